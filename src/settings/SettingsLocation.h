#pragma once
// Where the settings file lives.
//
// Normally beside the executable: its path with the extension replaced by
// ".ENV" (build/bin/plendo -> build/bin/plendo.ENV). When that file cannot be
// written (a program installed in a read-only folder) the same file name is
// used under $XDG_CONFIG_HOME/plendo/ (~/.config/plendo/ when unset), so
// settings are never lost silently. The panel and plendo-batch resolve the
// location the same way, so both see the same file.
#include <filesystem>
#include <functional>
#include <string>

namespace plendo::settings {

// Executable path with its extension replaced by ".ENV" (appended when the
// name has none).
std::filesystem::path SettingsFilePathFor(const std::filesystem::path& executablePath);

// Whether `file` could be created or replaced: its folder exists and takes a
// new file, and `file` is not something other than a regular file. Tries for
// real, so it also holds for root and read-only mounts.
bool CanWriteFile(const std::filesystem::path& file);

// $XDG_CONFIG_HOME/plendo (or $HOME/.config/plendo); empty when neither is set.
std::filesystem::path ConfigFolder();

struct SettingsLocation {
  std::filesystem::path readPath;   // where start-up reads
  std::filesystem::path writePath;  // where program end writes
  bool fallback = false;            // writePath is in the config folder
};

using WritableCheck = std::function<bool(const std::filesystem::path&)>;

// Beside the executable when writable; otherwise the config folder. While the
// config folder holds no file yet, start-up still reads the one beside the
// executable, so a shipped file is picked up and carried over.
SettingsLocation ResolveSettingsLocation(const std::filesystem::path& executablePath,
                                         const WritableCheck& canWrite = CanWriteFile,
                                         const std::filesystem::path& configFolder = ConfigFolder());

}  // namespace plendo::settings
