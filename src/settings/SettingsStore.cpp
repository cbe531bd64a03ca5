#include "settings/SettingsStore.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace plendo::settings {
namespace {

using platform::IniFile;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string Int(std::int32_t value) { return std::to_string(value); }

}  // namespace

int MainPanelSettings::SideIndex() const {
  int side = 0;
  if (RGL) side = 0;
  if (RGW) side = 1;
  if (RGV) side = 2;
  return side;
}

std::int32_t ParseInteger(std::string_view text, std::int32_t fallback) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size() || text.empty()) return fallback;
  return value;
}

bool ParseBoolean(std::string_view text, bool fallback) {
  constexpr std::int32_t kNone = std::numeric_limits<std::int32_t>::min();
  const std::int32_t v = ParseInteger(text, kNone);
  if (v == kNone) return fallback;
  return v != 0;
}

double ParseReal(std::string_view text, double fallback) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size() || text.empty()) return fallback;
  if (!std::isfinite(value)) return fallback;
  return value;
}

std::string FormatReal(double value) {
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc{} ? std::string(buffer, end) : std::string("0");
}

StartSettings ReadStartSettings(const IniFile& ini, const MainPanelSettings& current) {
  StoredSettings s;
  s.panel = current;
  ReadEntries(ini, s);
  return s;
}

StartSettings ReadStartSettings(const std::filesystem::path& path,
                                const MainPanelSettings& current) {
  IniFile ini;
  try {
    ini = IniFile::Load(path);
  } catch (const platform::IniReadError&) {
    // An unreadable file reads as a missing one: every default.
  }
  return ReadStartSettings(ini, current);
}

void ApplyEndSettings(IniFile& ini, const AppSettings& a, const MainPanelSettings& p) {
  WriteEntries(ini, StoredSettings{a, p});
}

void WriteEndSettings(const SettingsLocation& location, const AppSettings& app,
                      const MainPanelSettings& panel) {
  if (location.writePath.empty()) return;  // no home to keep settings in
  std::error_code ec;
  const bool haveTarget = std::filesystem::exists(location.writePath, ec);
  IniFile ini;
  try {
    ini = IniFile::Load(haveTarget ? location.writePath : location.readPath);
  } catch (const platform::IniReadError&) {
    // Nothing readable to keep; the program's own entries are written anyway.
  }
  ApplyEndSettings(ini, app, panel);
  if (location.fallback) std::filesystem::create_directories(location.writePath.parent_path(), ec);
  ini.Save(location.writePath);
}

void WriteEndSettings(const std::filesystem::path& path, const AppSettings& app,
                      const MainPanelSettings& panel) {
  WriteEndSettings(SettingsLocation{path, path, false}, app, panel);
}

SettingsPanelPlacement ReadSettingsPanelPlacement(const std::filesystem::path& path,
                                                  std::int32_t mainTop, std::int32_t mainLeft) {
  using platform::ReadIniString;
  SettingsPanelPlacement p;
  p.Top = ParseInteger(ReadIniString(path, "CFORM", "Top", ""), mainTop + 120);
  p.Left = ParseInteger(ReadIniString(path, "CFORM", "Left", ""), mainLeft + 100);
  p.ActivePage = ParseInteger(ReadIniString(path, "CFORM", "ActivePage", ""), 0);
  return p;
}

void WriteSettingsPanelPlacement(const std::filesystem::path& path, std::int32_t mainTop,
                                 std::int32_t mainLeft, const SettingsPanelPlacement& placement) {
  using platform::WriteIniString;
  WriteIniString(path, "MFORM", "Top", Int(mainTop));
  WriteIniString(path, "MFORM", "Left", Int(mainLeft));
  WriteIniString(path, "CFORM", "Top", Int(placement.Top));
  WriteIniString(path, "CFORM", "Left", Int(placement.Left));
  WriteIniString(path, "CFORM", "ActivePage", Int(placement.ActivePage));
}

void WriteSettingsPanelPlacement(const SettingsLocation& location, std::int32_t mainTop,
                                 std::int32_t mainLeft, const SettingsPanelPlacement& placement) {
  if (location.writePath.empty()) return;
  std::error_code ec;
  if (location.fallback && !std::filesystem::exists(location.writePath, ec)) {
    // The first write to the config folder carries the whole file over: a
    // file holding only these entries would hide every other one at the next
    // start.
    std::filesystem::create_directories(location.writePath.parent_path(), ec);
    IniFile ini;
    try {
      ini = IniFile::Load(location.readPath);
    } catch (const platform::IniReadError&) {
      // Nothing readable to carry over.
    }
    ini.Save(location.writePath);
  }
  WriteSettingsPanelPlacement(location.writePath, mainTop, mainLeft, placement);
}

}  // namespace plendo::settings
