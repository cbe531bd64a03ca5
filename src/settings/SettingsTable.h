#pragma once
// Every entry of the .ENV file in one table, in the order the file is
// written: its section and key, the field it fills, whether it is written
// back, and, where plendo-batch has an option for it, how the option is
// spelled, what values it takes and its help line. Reading, writing,
// plendo-batch's options, their parsing and its --help all walk this table,
// so a new setting is a field (with its default) and a row.
#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/IniFile.h"
#include "settings/AppSettings.h"
#include "settings/PanelSettings.h"

namespace plendo::settings {

// Everything the file holds: the shared settings and the panel's own.
struct StoredSettings {
  AppSettings app;
  MainPanelSettings panel;
};

// An entry whose value depends on others (the size list and its selection)
// or is written in a normal form: read after every plain entry, in table
// order.
struct CustomEntry {
  void (*read)(const platform::IniFile& ini, StoredSettings& into);
  std::string (*write)(const StoredSettings& from);
};

using SettingField = std::variant<std::int32_t AppSettings::*, bool AppSettings::*, double AppSettings::*,
                                  std::int32_t MainPanelSettings::*, bool MainPanelSettings::*,
                                  std::string MainPanelSettings::*, CustomEntry>;

// Where plendo-batch lists an option in its --help.
enum class OptionGroup { Size, Output, Corrections, Input, Other };

// plendo-batch's option for an entry. An integer option takes a number in
// [low, high] or, with `choices`, one of their names; a switch (a Boolean
// entry) is `name` for on and `off_name` for off.
struct CommandOption {
  const char* name = nullptr;
  const char* off_name = nullptr;
  const char* value_name = nullptr;
  std::int32_t low = 0;
  std::int32_t high = 0;
  std::vector<std::pair<std::string, std::int32_t>> choices;
  OptionGroup group = OptionGroup::Other;
  const char* help = "";
};

struct SettingEntry {
  const char* section;
  const char* key;
  SettingField field;
  bool written = true;  // [Secret] holds hand-tuned values: read, never written
  CommandOption option;

  bool HasOption() const { return option.name != nullptr; }
};

const std::vector<SettingEntry>& SettingsTable();

// Reads every entry; a missing key or unconvertible text keeps what `into`
// holds (its defaults).
void ReadEntries(const platform::IniFile& ini, StoredSettings& into);
// Sets every written entry, in table order.
void WriteEntries(platform::IniFile& ini, const StoredSettings& from);

// A value given on the command line for an entry's option: an integer
// (number or choice), or on/off for a switch.
void SetFromOption(const SettingEntry& entry, std::int32_t value, AppSettings& into);

}  // namespace plendo::settings
