#pragma once
// The .ENV settings file: its sections, keys, defaults, and which program
// moment reads and writes them. No Qt: the panel and plendo-batch share it.
//
// Which entries there are, in which section and order, is SettingsTable's.
// Anything else in the file is kept as it is.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/IniFile.h"
#include "settings/AppSettings.h"
#include "settings/PanelSettings.h"
#include "settings/SettingsLocation.h"
#include "settings/SettingsTable.h"

namespace plendo::settings {

using StartSettings = StoredSettings;

// Reads everything the main panel reads at start, in its reading order.
// Missing file, keys or unconvertible values give the defaults. `current` is
// the panel's state before reading: the defaults of RSize and GSize.
StartSettings ReadStartSettings(const platform::IniFile& ini,
                                const MainPanelSettings& current = {});
StartSettings ReadStartSettings(const std::filesystem::path& path,
                                const MainPanelSettings& current = {});

// Sets every entry the program end writes, in its writing order, ActivePage 0.
void ApplyEndSettings(platform::IniFile& ini, const AppSettings& app,
                      const MainPanelSettings& panel);
// Loads `location.writePath` (or, while that does not exist yet, the file
// start-up read), applies the end settings and writes the whole file back in
// one piece. platform::IniWriteError when it cannot be written.
void WriteEndSettings(const SettingsLocation& location, const AppSettings& app,
                      const MainPanelSettings& panel);
void WriteEndSettings(const std::filesystem::path& path, const AppSettings& app,
                      const MainPanelSettings& panel);

// The settings panel's own entries, read when it opens and written, entry by
// entry, when it closes (with the main panel's current position).
struct SettingsPanelPlacement {
  std::int32_t Top = 0;
  std::int32_t Left = 0;
  std::int32_t ActivePage = 0;
};
SettingsPanelPlacement ReadSettingsPanelPlacement(const std::filesystem::path& path,
                                                  std::int32_t mainTop, std::int32_t mainLeft);
void WriteSettingsPanelPlacement(const std::filesystem::path& path, std::int32_t mainTop,
                                 std::int32_t mainLeft, const SettingsPanelPlacement& placement);
// The same, to `location.writePath`; in the config folder, the first write
// creates the folder and starts from the file start-up read.
void WriteSettingsPanelPlacement(const SettingsLocation& location, std::int32_t mainTop,
                                 std::int32_t mainLeft, const SettingsPanelPlacement& placement);

// Value conversions of the file. Unconvertible text gives the fallback.
std::int32_t ParseInteger(std::string_view text, std::int32_t fallback);
bool ParseBoolean(std::string_view text, bool fallback);  // any non-zero integer is true
double ParseReal(std::string_view text, double fallback);
std::string FormatReal(double value);

}  // namespace plendo::settings
