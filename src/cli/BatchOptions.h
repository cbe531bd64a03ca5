#pragma once
// The command line of plendo-batch: every setting a batch uses has an
// option; what is not given comes from the settings file.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/BatchTexts.h"
#include "engine/PanelHost.h"
#include "platform/Exception.h"
#include "settings/AppSettings.h"
#include "settings/SettingsTable.h"

namespace plendo::cli {

// A command line that cannot be run as given (exit status 2): one of
// plendo-batch's texts with the values that fill its marks.
class UsageError : public Exception {
 public:
  explicit UsageError(const char* text, std::vector<std::string> values = {})
      : Exception(Say(Language::English, text, values)), text_(text), values_(std::move(values)) {}
  using Exception::Message;  // in English
  std::string Message(Language language) const { return Say(language, text_, values_); }

 private:
  const char* text_;
  std::vector<std::string> values_;
};

inline constexpr const char* kActualSizeText = "原寸";

// A setting given on the command line: the table entry and its value (a
// number, a choice's value, or 1/0 for a switch).
struct SettingOverride {
  const settings::SettingEntry* entry;
  std::int32_t value;
};

struct BatchOptions {
  bool help = false;
  bool version = false;
  std::optional<std::filesystem::path> settings_file;
  std::optional<std::string> size_text;  // digits, or 原寸 for --actual-size
  std::optional<engine::SizeSide> side;
  std::optional<std::string> out_dir;
  std::optional<std::int32_t> type;  // -1 all, otherwise the image type index
  std::vector<SettingOverride> settings;  // in the order given: a later one wins
  std::vector<std::string> files;
  bool recursive = false;                 // a FILE that is a folder gives the files below it
  std::optional<std::string> files_from;  // names one per line; "-" is the standard input
  bool null_separated = false;            // those names end in NUL, not a newline
  bool dry_run = false;
  bool quiet = false;
  bool verbose = false;
};

// Parses the arguments after the program name. Accepts "--opt VALUE" and
// "--opt=VALUE"; "--" ends the options. Throws UsageError.
BatchOptions ParseBatchOptions(const std::vector<std::string>& args);

// What a batch runs with, and what the settings file holds for one.
struct BatchJob {
  settings::AppSettings app;
  std::string size_text;  // empty when the file names no size
  engine::SizeSide side = engine::SizeSide::LongSide;
  std::string wo_path;
};

// The settings file's values with the options laid over. Throws UsageError
// when neither the file nor the options give a size or an output destination.
BatchJob MakeBatchJob(const BatchJob& stored, const BatchOptions& options);

// What --help prints, in `language`.
std::string HelpText(Language language = Language::English);

// One option as a shell completes it: what its value is.
enum class OptionValue { None, Number, Choice, Folder, File };
struct OptionSpec {
  std::string name;  // "--size", "-h"
  OptionValue value = OptionValue::None;
  std::vector<std::string> choices;  // for OptionValue::Choice
  std::string help;
};
// Every option ParseBatchOptions takes.
const std::vector<OptionSpec>& OptionSpecs();

}  // namespace plendo::cli
