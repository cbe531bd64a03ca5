#include "app/ProgramStart.h"

#include <string_view>

namespace plendo::app {
namespace {

bool Set(const char* value) { return value && *value; }

}  // namespace

std::vector<std::filesystem::path> FilesFromCommandLine(int argc, const char* const* argv,
                                                        const std::filesystem::path& cwd) {
  std::vector<std::filesystem::path> files;
  for (int i = 1; i < argc; ++i) {
    if (!argv[i] || !*argv[i]) continue;
    const std::filesystem::path given(argv[i]);
    files.push_back(given.is_absolute() ? given : cwd / given);
  }
  return files;
}

std::string PanelPlatform(const EnvironmentLookup& env) {
  if (Set(env("QT_QPA_PLATFORM"))) return {};
  const char* session = env("XDG_SESSION_TYPE");
  const bool wayland = (session && std::string_view(session) == "wayland") || Set(env("WAYLAND_DISPLAY"));
  return wayland && Set(env("DISPLAY")) ? "xcb" : "";
}

}  // namespace plendo::app
