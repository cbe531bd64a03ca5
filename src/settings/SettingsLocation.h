#pragma once
// Where the settings file lives.
//
// An installed Plendo keeps each user's settings in
// $XDG_CONFIG_HOME/plendo/plendo.ENV (~/.config/plendo/ when unset); while the
// user has none, a default in $XDG_CONFIG_DIRS (/etc/xdg/plendo/plendo.ENV) is
// read, and carried over at the first write. Only a build tree or a portable
// copy keeps the file beside the program (build/bin/plendo.ENV): a copy
// outside the system's program folders whose folder already holds the file,
// or is the folder a build put the programs in. The panel and plendo-batch
// resolve the location the same way, so both see the same file.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

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
// The plendo folder in each of $XDG_CONFIG_DIRS (default /etc/xdg), most
// important first.
std::vector<std::filesystem::path> SystemConfigFolders();

// A folder the system installs programs into (/usr/..., /bin, /sbin), where
// no user's settings belong.
bool IsSystemFolder(const std::filesystem::path& folder);
// A folder a CMake build put the programs in: its parent holds CMakeCache.txt.
bool IsBuildFolder(const std::filesystem::path& folder);

struct SettingsLocation {
  std::filesystem::path readPath;   // where start-up reads (empty: nowhere, all defaults)
  std::filesystem::path writePath;  // where program end writes
  bool fallback = false;            // writePath is in the config folder
};

struct SettingsFolders {
  std::filesystem::path user = ConfigFolder();
  std::vector<std::filesystem::path> system = SystemConfigFolders();
  std::function<bool(const std::filesystem::path&)> canWrite = CanWriteFile;
  std::function<bool(const std::filesystem::path&)> isBuildFolder = IsBuildFolder;
};

// Beside the program for a build tree or a portable copy whose file can be
// written; otherwise the user's config folder. There, while the user has no
// file yet, start-up reads the system default, or a portable copy's own file.
SettingsLocation ResolveSettingsLocation(const std::filesystem::path& executablePath,
                                         const SettingsFolders& folders = {});

}  // namespace plendo::settings
