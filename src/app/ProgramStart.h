#pragma once
// What the panel program decides before it has a window: which files its
// command line names, and which display platform it asks Qt for.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Language.h"

namespace plendo::app {

// The panel's command line: --help, --version, --lang en|ja (the language
// of this run, whatever the settings say), and files. "--" ends the
// options; every other argument is a file, whatever it begins with, made
// absolute against `cwd` so that another process can find it. The bytes of
// a name are kept as given; empty arguments are dropped.
struct PanelCommandLine {
  bool help = false;
  bool version = false;
  std::optional<platform::Language> language;
  std::string error;  // why the line cannot be run; empty when it can
  std::vector<std::filesystem::path> files;
};
PanelCommandLine ParsePanelCommandLine(int argc, const char* const* argv, const std::filesystem::path& cwd);

// What `plendo --help` prints.
std::string PanelHelpText();

using EnvironmentLookup = std::function<const char*(const char* name)>;

// On a Wayland session the compositor decides stacking, and most ignore a
// client's wish to stay on top. Through XWayland the panel is an X11 window
// whose stay-on-top state every compositor honours. So: "xcb" when the
// session is Wayland, an X server is offered (DISPLAY) and the user has not
// chosen a platform (QT_QPA_PLATFORM); otherwise empty, Qt's own choice.
std::string PanelPlatform(const EnvironmentLookup& env);

}  // namespace plendo::app
