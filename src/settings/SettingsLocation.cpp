#include "settings/SettingsLocation.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <system_error>

namespace plendo::settings {

std::filesystem::path SettingsFilePathFor(const std::filesystem::path& executablePath) {
  std::filesystem::path path = executablePath;
  path.replace_extension(".ENV");
  return path;
}

bool CanWriteFile(const std::filesystem::path& file) {
  std::error_code ec;
  const auto status = std::filesystem::status(file, ec);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) return false;
  std::filesystem::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  if (!std::filesystem::is_directory(folder, ec)) return false;
  std::string probe = (folder / ".plendo-probe.XXXXXX").string();
  const int fd = ::mkstemp(probe.data());
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

std::filesystem::path ConfigFolder() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
    return std::filesystem::path(xdg) / "plendo";
  if (const char* home = std::getenv("HOME"); home && *home)
    return std::filesystem::path(home) / ".config" / "plendo";
  return {};
}

SettingsLocation ResolveSettingsLocation(const std::filesystem::path& executablePath,
                                         const WritableCheck& canWrite,
                                         const std::filesystem::path& configFolder) {
  const std::filesystem::path beside = SettingsFilePathFor(executablePath);
  if (configFolder.empty() || canWrite(beside)) return {beside, beside, false};
  const std::filesystem::path config = configFolder / beside.filename();
  std::error_code ec;
  const bool configHasFile = std::filesystem::exists(config, ec);
  return {configHasFile ? config : beside, config, true};
}

}  // namespace plendo::settings
