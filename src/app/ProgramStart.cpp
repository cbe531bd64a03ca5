#include "app/ProgramStart.h"

#include <string_view>

namespace plendo::app {
namespace {

bool Set(const char* value) { return value && *value; }

std::optional<platform::Language> LanguageNamed(std::string_view name) {
  if (name == "ja") return platform::Language::Japanese;
  if (name == "en") return platform::Language::English;
  return std::nullopt;
}

}  // namespace

PanelCommandLine ParsePanelCommandLine(int argc, const char* const* argv, const std::filesystem::path& cwd) {
  PanelCommandLine line;
  bool optionsOver = false;
  for (int i = 1; i < argc; ++i) {
    if (!argv[i] || !*argv[i]) continue;
    const std::string_view arg = argv[i];
    if (!optionsOver && arg == "--") {
      optionsOver = true;
    } else if (!optionsOver && arg == "--help") {
      line.help = true;
    } else if (!optionsOver && arg == "--version") {
      line.version = true;
    } else if (!optionsOver && (arg == "--lang" || arg.starts_with("--lang="))) {
      const bool joined = arg != "--lang";
      const std::string_view name = joined ? arg.substr(7) : (i + 1 < argc && argv[i + 1] ? argv[++i] : "");
      line.language = LanguageNamed(name);
      if (!line.language) line.error = "--lang takes en or ja, not '" + std::string(name) + "'";
    } else {
      const std::filesystem::path given(argv[i]);
      line.files.push_back(given.is_absolute() ? given : cwd / given);
    }
  }
  return line;
}

std::string PanelHelpText() {
  return R"(Usage: plendo [--lang en|ja] [--] [FILE]...

Opens the Plendo panel: choose an output folder and a size, then drop image
files on it, and each becomes a JPEG of that size. Files named here are
converted as one drop on the panel; while a panel runs, they are handed to it
and this start ends at once.

Options:
  --help       show this help and exit
  --version    show the version and exit
  --lang en|ja speak English or Japanese this time, whatever the settings say
  --           end of options: every later argument is a file

Every other argument is a file, even one that begins with '-'. The settings
are kept in $XDG_CONFIG_HOME/plendo/plendo.ENV. The panel speaks Japanese
unless the Language choice on the first tab of its settings panel asks for
English or the desktop's language. For conversions from a shell, see
plendo-batch.
)";
}

std::string PanelPlatform(const EnvironmentLookup& env) {
  if (Set(env("QT_QPA_PLATFORM"))) return {};
  const char* session = env("XDG_SESSION_TYPE");
  const bool wayland = (session && std::string_view(session) == "wayland") || Set(env("WAYLAND_DISPLAY"));
  return wayland && Set(env("DISPLAY")) ? "xcb" : "";
}

}  // namespace plendo::app
