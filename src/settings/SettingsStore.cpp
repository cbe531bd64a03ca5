#include "settings/SettingsStore.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "settings/CommaText.h"

namespace plendo::settings {
namespace {

using platform::IniFile;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string Bool(bool value) { return value ? "1" : "0"; }
std::string Int(std::int32_t value) { return std::to_string(value); }

// Reads entries of one section; every read falls back to its default.
class SectionReader {
 public:
  SectionReader(const IniFile& ini, const char* section) : ini_(ini), section_(section) {}
  std::int32_t Integer(const char* key, std::int32_t fallback) const {
    auto v = ini_.Get(section_, key);
    return v ? ParseInteger(*v, fallback) : fallback;
  }
  bool Boolean(const char* key, bool fallback) const {
    auto v = ini_.Get(section_, key);
    return v ? ParseBoolean(*v, fallback) : fallback;
  }
  double Real(const char* key, double fallback) const {
    auto v = ini_.Get(section_, key);
    return v ? ParseReal(*v, fallback) : fallback;
  }
  std::string Text(const char* key, const std::string& fallback) const {
    return ini_.GetString(section_, key, fallback);
  }

 private:
  const IniFile& ini_;
  const char* section_;
};

// Item 0 of the size box is always "原寸"; a hand-edited list that lost it
// gets it back, and an empty list is no list at all.
std::vector<std::string> SizeListFrom(std::vector<std::string> items,
                                      const std::vector<std::string>& fallback) {
  if (items.empty()) return fallback;
  if (items.front() != kActualSizeItem) items.insert(items.begin(), kActualSizeItem);
  return items;
}

std::int32_t SelectionIn(std::int32_t index, std::size_t count) {
  return (index >= 0 && static_cast<std::size_t>(index) < count) ? index : -1;
}

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
  StartSettings s;
  AppSettings& a = s.app;
  MainPanelSettings& p = s.panel;
  p = current;

  const SectionReader mform(ini, "MFORM");
  p.Top = mform.Integer("Top", 100);
  p.Left = mform.Integer("Left", 100);

  const SectionReader status(ini, "Status");
  a.XQTMode = status.Integer("XQTMode", 0);
  a.XQTExt = status.Integer("XQTExt", kTypeJpeg);
  p.WOPath = status.Text("WOPath", "");
  a.OutOrigDir = status.Boolean("OutOrigDir", false);

  const SectionReader option(ini, "Option");
  if (auto rsize = ini.Get("Option", "RSize"))
    p.RSize = SizeListFrom(FromCommaText(*rsize), current.RSize);
  // The selection is applied to the new items; one they do not have is none.
  p.GSize = SelectionIn(status.Integer("GSize", current.GSize), p.RSize.size());
  a.SaveGSize = status.Integer("SaveGSize", p.GSize);
  p.RGL = status.Boolean("RGL", true);
  p.RGW = status.Boolean("RGW", false);
  p.RGV = status.Boolean("RGV", false);

  a.XQTDisp = option.Boolean("XQTDisp", false);
  a.ExifCopy = option.Boolean("ExifCopy", false);
  a.OverWrite = option.Boolean("OverWrite", true);
  a.JPEGExt = option.Integer("JPEGExt", 0);
  a.Gamma = option.Integer("Gamma", 1);
  a.Progress = option.Boolean("Progress", false);
  a.SharpNess = option.Integer("SharpNess", 1);
  a.AddGSMark = option.Boolean("AddGSMark", false);
  a.AutoEffOFF = option.Boolean("AutoEffOFF", true);
  p.PanelStyle = option.Integer("PanelStyle", kPanelStyleTopmost);
  a.AlphaBlendType = option.Integer("AlphaBlendType", 0);
  a.AlphaBlendValue = option.Integer("AlphaBlendValue", 180);
  a.Jobs = option.Integer("Jobs", 0);

  a.SaveLocate = SectionReader(ini, "CFORM").Boolean("SaveLocate", false);

  const SectionReader secret(ini, "Secret");
  a.Compress = secret.Integer("Compress", 70);
  a.GammaStep = secret.Real("GammaStep", 0.06);
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
  ini.Set("MFORM", "Top", Int(p.Top));
  ini.Set("MFORM", "Left", Int(p.Left));

  ini.Set("Status", "XQTMode", Int(a.XQTMode));
  ini.Set("Status", "XQTExt", Int(a.XQTExt));
  ini.Set("Status", "WOPath", p.WOPath);
  ini.Set("Status", "OutOrigDir", Bool(a.OutOrigDir));
  ini.Set("Status", "GSize", Int(p.GSize));
  ini.Set("Status", "SaveGSize", Int(a.SaveGSize));
  ini.Set("Status", "RGL", Bool(p.RGL));
  ini.Set("Status", "RGW", Bool(p.RGW));
  ini.Set("Status", "RGV", Bool(p.RGV));

  ini.Set("Option", "RSize", ToCommaText(p.RSize));
  ini.Set("Option", "XQTDisp", Bool(a.XQTDisp));
  ini.Set("Option", "JPEGExt", Int(a.JPEGExt));
  ini.Set("Option", "Progress", Bool(a.Progress));
  ini.Set("Option", "ExifCopy", Bool(a.ExifCopy));
  ini.Set("Option", "OverWrite", Bool(a.OverWrite));
  ini.Set("Option", "Gamma", Int(a.Gamma));
  ini.Set("Option", "SharpNess", Int(a.SharpNess));
  ini.Set("Option", "AddGSMark", Bool(a.AddGSMark));
  ini.Set("Option", "AutoEffOFF", Bool(a.AutoEffOFF));
  ini.Set("Option", "PanelStyle", Int(p.StaysOnTop() ? kPanelStyleTopmost : kPanelStyleNormal));
  ini.Set("Option", "AlphaBlendType", Int(a.AlphaBlendType));
  ini.Set("Option", "AlphaBlendValue", Int(a.AlphaBlendValue));
  ini.Set("Option", "Jobs", Int(a.Jobs));

  ini.Set("CFORM", "SaveLocate", Bool(a.SaveLocate));
  ini.Set("CFORM", "ActivePage", "0");
}

void WriteEndSettings(const SettingsLocation& location, const AppSettings& app,
                      const MainPanelSettings& panel) {
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

}  // namespace plendo::settings
