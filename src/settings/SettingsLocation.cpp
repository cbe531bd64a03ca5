#include "settings/SettingsLocation.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <system_error>

namespace plendo::settings {
namespace {

namespace fs = std::filesystem;

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

bool Within(const fs::path& folder, const fs::path& top) {
  auto f = folder.begin();
  for (auto t = top.begin(); t != top.end(); ++t, ++f)
    if (f == folder.end() || *f != *t) return false;
  return true;
}

// The first system default that exists, or none.
fs::path SystemDefault(const std::vector<fs::path>& folders, const fs::path& name) {
  for (const fs::path& folder : folders)
    if (Exists(folder / name)) return folder / name;
  return {};
}

}  // namespace

fs::path SettingsFilePathFor(const fs::path& executablePath) {
  fs::path path = executablePath;
  path.replace_extension(".ENV");
  return path;
}

bool CanWriteFile(const fs::path& file) {
  std::error_code ec;
  const auto status = fs::status(file, ec);
  if (fs::exists(status) && !fs::is_regular_file(status)) return false;
  fs::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  if (!fs::is_directory(folder, ec)) return false;
  std::string probe = (folder / ".plendo-probe.XXXXXX").string();
  const int fd = ::mkstemp(probe.data());
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

fs::path ConfigFolder() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') return fs::path(xdg) / "plendo";
  if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".config" / "plendo";
  return {};
}

std::vector<fs::path> SystemConfigFolders() {
  const char* dirs = std::getenv("XDG_CONFIG_DIRS");
  std::string_view list = dirs && *dirs ? dirs : "/etc/xdg";
  std::vector<fs::path> folders;
  while (!list.empty()) {
    const std::size_t colon = list.find(':');
    const std::string_view entry = list.substr(0, colon);
    if (!entry.empty() && entry.front() == '/') folders.push_back(fs::path(entry) / "plendo");
    list.remove_prefix(colon == std::string_view::npos ? list.size() : colon + 1);
  }
  return folders;
}

bool IsSystemFolder(const fs::path& folder) {
  const fs::path f = folder.lexically_normal();
  for (const char* top : {"/usr", "/bin", "/sbin"})
    if (Within(f, top)) return true;
  return false;
}

bool IsBuildFolder(const fs::path& folder) { return Exists(folder.parent_path() / "CMakeCache.txt"); }

SettingsLocation ResolveSettingsLocation(const fs::path& executablePath, const SettingsFolders& folders) {
  const fs::path beside = SettingsFilePathFor(executablePath);
  const fs::path folder = beside.parent_path();
  const bool portable = !IsSystemFolder(folder) && (Exists(beside) || folders.isBuildFolder(folder));
  if (portable && (folders.user.empty() || folders.canWrite(beside))) return {beside, beside, false};
  if (folders.user.empty()) return {SystemDefault(folders.system, beside.filename()), {}, true};

  const fs::path user = folders.user / beside.filename();
  if (Exists(user)) return {user, user, true};
  // A portable copy on a read-only medium still starts from its own file.
  const fs::path start = portable ? beside : SystemDefault(folders.system, beside.filename());
  return {start, user, true};
}

}  // namespace plendo::settings
