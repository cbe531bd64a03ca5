#include "settings/SettingsTable.h"

#include <type_traits>

#include "settings/CommaText.h"
#include "platform/Language.h"
#include "settings/SettingsStore.h"

namespace plendo::settings {
namespace {

using platform::IniFile;
using Entry = SettingEntry;
using G = OptionGroup;

// --- the entries that depend on others --------------------------------------

// Item 0 of the size box is always "原寸"; a hand-edited list that lost it
// gets it back, and an empty list is no list at all.
void ReadSizeList(const IniFile& ini, StoredSettings& s) {
  const auto text = ini.Get("Option", "RSize");
  if (!text) return;
  std::vector<std::string> items = FromCommaText(*text);
  if (items.empty()) return;
  if (items.front() != kActualSizeItem) items.insert(items.begin(), kActualSizeItem);
  s.panel.RSize = std::move(items);
}

// The selection is applied to the list as the file has it; one the list does
// not have is none.
void ReadSizeSelection(const IniFile& ini, StoredSettings& s) {
  ReadSizeList(ini, s);
  const auto text = ini.Get("Status", "GSize");
  const std::int32_t index = text ? ParseInteger(*text, s.panel.GSize) : s.panel.GSize;
  s.panel.GSize = index >= 0 && static_cast<std::size_t>(index) < s.panel.RSize.size() ? index : -1;
}

// Without an entry of its own, the size to return to is the one selected.
void ReadSavedSelection(const IniFile& ini, StoredSettings& s) {
  const auto text = ini.Get("Status", "SaveGSize");
  s.app.SaveGSize = text ? ParseInteger(*text, s.panel.GSize) : s.panel.GSize;
}

std::string WriteSizeSelection(const StoredSettings& s) { return std::to_string(s.panel.GSize); }
std::string WriteSavedSelection(const StoredSettings& s) { return std::to_string(s.app.SaveGSize); }
std::string WriteSizeList(const StoredSettings& s) { return ToCommaText(s.panel.RSize); }
// Any style but normal is written as always-on-top.
std::string WritePanelStyle(const StoredSettings& s) {
  return std::to_string(s.panel.StaysOnTop() ? kPanelStyleTopmost : kPanelStyleNormal);
}
void ReadPanelStyle(const IniFile& ini, StoredSettings& s) {
  const auto text = ini.Get("Option", "PanelStyle");
  s.panel.PanelStyle = text ? ParseInteger(*text, kPanelStyleTopmost) : kPanelStyleTopmost;
}
// The settings panel opens on its first tab after a program start.
std::string WriteFirstPage(const StoredSettings&) { return "0"; }

std::vector<Entry> MakeTable() {
  using A = AppSettings;
  using P = MainPanelSettings;
  return {
      {"MFORM", "Top", &P::Top},
      {"MFORM", "Left", &P::Left},

      {"Status", "XQTMode", &A::XQTMode},
      {"Status", "XQTExt", &A::XQTExt},
      {"Status", "WOPath", &P::WOPath},
      {"Status", "OutOrigDir", &A::OutOrigDir, true,
       {.name = "--beside", .group = G::Output,
        .help = PLENDO_TEXT("plendo-batch", "write beside each source file; existing files are never replaced there")}},
      {"Status", "GSize", CustomEntry{ReadSizeSelection, WriteSizeSelection}},
      {"Status", "SaveGSize", CustomEntry{ReadSavedSelection, WriteSavedSelection}},
      {"Status", "RGL", &P::RGL},
      {"Status", "RGW", &P::RGW},
      {"Status", "RGV", &P::RGV},

      {"Option", "RSize", CustomEntry{ReadSizeList, WriteSizeList}},
      {"Option", "XQTDisp", &A::XQTDisp},
      {"Option", "JPEGExt", &A::JPEGExt, true,
       {.name = "--ext", .value_name = "jpg|jpeg|JPG|JPEG",
        .choices = {{"jpg", 0}, {"jpeg", 1}, {"JPG", 2}, {"JPEG", 3}}, .group = G::Output,
        .help = PLENDO_TEXT("plendo-batch", "extension of the output files")}},
      {"Option", "Progress", &A::Progress, true,
       {.name = "--progressive", .off_name = "--no-progressive", .group = G::Output,
        .help = PLENDO_TEXT("plendo-batch", "write progressive JPEGs")}},
      {"Option", "ExifCopy", &A::ExifCopy, true,
       {.name = "--exif", .off_name = "--no-exif", .group = G::Output,
        .help = PLENDO_TEXT("plendo-batch", "carry a JPEG source's EXIF data over")}},
      {"Option", "OverWrite", &A::OverWrite, true,
       {.name = "--overwrite", .off_name = "--skip", .group = G::Output,
        .help = PLENDO_TEXT("plendo-batch", "replace an existing output file in DIR, or leave it alone")}},
      {"Option", "Gamma", &A::Gamma, true,
       {.name = "--gamma", .value_name = "L", .low = 0, .high = 3, .group = G::Corrections,
        .help = PLENDO_TEXT("plendo-batch", "gamma level 0 (none) to 3 (darkest)")}},
      {"Option", "SharpNess", &A::SharpNess, true,
       {.name = "--sharpness", .value_name = "L", .low = 0, .high = 3, .group = G::Corrections,
        .help = PLENDO_TEXT("plendo-batch", "sharpening level 0 (none) to 3 (strongest)")}},
      {"Option", "AddGSMark", &A::AddGSMark, true,
       {.name = "--mark", .off_name = "--no-mark", .group = G::Corrections,
        .help = PLENDO_TEXT("plendo-batch", "add _g<gamma>s<sharpness> to the output names")}},
      {"Option", "AutoEffOFF", &A::AutoEffOFF, true,
       {.name = "--auto-effects-off", .off_name = "--no-auto-effects-off", .group = G::Corrections,
        .help = PLENDO_TEXT("plendo-batch", "switch gamma and sharpening off at actual size")}},
      {"Option", "PanelStyle", CustomEntry{ReadPanelStyle, WritePanelStyle}},
      {"Option", "AlphaBlendType", &A::AlphaBlendType},
      {"Option", "AlphaBlendValue", &A::AlphaBlendValue},
      {"Option", "Jobs", &A::Jobs, true,
       {.name = "--jobs", .value_name = "N", .low = 1, .high = 64, .group = G::Other,
        .help = PLENDO_TEXT("plendo-batch", "convert N files at once (default: one per core)")}},
      {"Option", "ToSRGB", &A::ToSrgb, true,
       {.name = "--srgb", .off_name = "--keep-profile", .group = G::Output,
        .help = PLENDO_TEXT("plendo-batch", "convert colours to sRGB by the source's ICC profile and embed none, "
                                            "or keep the profile")}},
      {"Option", "OutFormat", &A::OutFormat, true,
       {.name = "--format", .value_name = "jpeg|png|webp|avif|jxl",
        .choices = {{"jpeg", kFormatJpeg}, {"png", kFormatPng}, {"webp", kFormatWebp}, {"avif", kFormatAvif},
                    {"jxl", kFormatJxl}},
        .group = G::Output,
        .help = PLENDO_TEXT("plendo-batch", "file format of the outputs (default: the panel's choice, JPEG at first)")}},
      // plendo-batch's --max-file-size takes sizes with units; it is parsed apart.
      {"Option", "MaxFileKB", &A::MaxFileKB},
      {"Option", "NoLocation", &A::NoLocation, true,
       {.name = "--no-location", .off_name = "--keep-location", .group = G::Output,
        .help = PLENDO_TEXT("plendo-batch", "remove the GPS position from the EXIF data carried over, or keep it")}},
      {"Option", "NoEnlarge", &A::NoEnlarge, true,
       {.name = "--no-enlarge", .off_name = "--enlarge", .group = G::Size,
        .help = PLENDO_TEXT("plendo-batch", "keep a picture whose chosen side is already N or less at its own size "
                                            "(its name still says N), or enlarge it to N")}},
      {"Option", "FolderDrop", &A::FolderDrop},
      {"Option", "Language", &A::Language},

      {"CFORM", "SaveLocate", &A::SaveLocate},
      {"CFORM", "ActivePage", CustomEntry{nullptr, WriteFirstPage}},

      {"Secret", "Compress", &A::Compress, false,
       {.name = "--quality", .value_name = "Q", .low = 0, .high = 100, .group = G::Output,
        .help = PLENDO_TEXT("plendo-batch", "quality 0 to 100 (JPEG's scale; the other lossy formats look alike at "
                                            "the same number)")}},
      {"Secret", "GammaStep", &A::GammaStep, false},
  };
}

std::string Format(std::int32_t v) { return std::to_string(v); }
std::string Format(bool v) { return v ? "1" : "0"; }
std::string Format(double v) { return FormatReal(v); }
const std::string& Format(const std::string& v) { return v; }

std::int32_t Parse(std::string_view text, std::int32_t fallback) { return ParseInteger(text, fallback); }
bool Parse(std::string_view text, bool fallback) { return ParseBoolean(text, fallback); }
double Parse(std::string_view text, double fallback) { return ParseReal(text, fallback); }

AppSettings& RecordOf(StoredSettings& s, AppSettings*) { return s.app; }
MainPanelSettings& RecordOf(StoredSettings& s, MainPanelSettings*) { return s.panel; }
const AppSettings& RecordOf(const StoredSettings& s, AppSettings*) { return s.app; }
const MainPanelSettings& RecordOf(const StoredSettings& s, MainPanelSettings*) { return s.panel; }

// A plain entry: a missing key or unconvertible text gives the field's default.
template <class T, class Record>
void ReadMember(const IniFile& ini, const Entry& e, T Record::*member, StoredSettings& into) {
  static const StoredSettings defaults;
  const T& fallback = RecordOf(defaults, static_cast<Record*>(nullptr)).*member;
  T& field = RecordOf(into, static_cast<Record*>(nullptr)).*member;
  if constexpr (std::is_same_v<T, std::string>) {
    field = ini.GetString(e.section, e.key, fallback);
  } else {
    const auto text = ini.Get(e.section, e.key);
    field = text ? Parse(*text, fallback) : fallback;
  }
}

template <class T, class Record>
std::string WriteMember(T Record::*member, const StoredSettings& from) {
  return Format(RecordOf(from, static_cast<Record*>(nullptr)).*member);
}

}  // namespace

const std::vector<SettingEntry>& SettingsTable() {
  static const std::vector<SettingEntry> table = MakeTable();
  return table;
}

void ReadEntries(const IniFile& ini, StoredSettings& into) {
  for (const Entry& e : SettingsTable())
    std::visit(
        [&](auto field) {
          if constexpr (!std::is_same_v<decltype(field), CustomEntry>) ReadMember(ini, e, field, into);
        },
        e.field);
  // Then those that depend on others, in table order.
  for (const Entry& e : SettingsTable())
    if (const auto* custom = std::get_if<CustomEntry>(&e.field); custom && custom->read) custom->read(ini, into);
}

void WriteEntries(IniFile& ini, const StoredSettings& from) {
  for (const Entry& e : SettingsTable()) {
    if (!e.written) continue;
    const std::string value = std::visit(
        [&](auto field) -> std::string {
          if constexpr (std::is_same_v<decltype(field), CustomEntry>)
            return field.write(from);
          else
            return WriteMember(field, from);
        },
        e.field);
    ini.Set(e.section, e.key, value);
  }
}

void SetFromOption(const SettingEntry& entry, std::int32_t value, AppSettings& into) {
  if (const auto* number = std::get_if<std::int32_t AppSettings::*>(&entry.field))
    into.**number = value;
  else if (const auto* flag = std::get_if<bool AppSettings::*>(&entry.field))
    into.**flag = value != 0;
}

}  // namespace plendo::settings
