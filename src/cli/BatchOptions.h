#pragma once
// The command line of plendo-batch: every setting a batch uses has an
// option; what is not given comes from the settings file.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/PanelHost.h"
#include "platform/Exception.h"
#include "settings/AppSettings.h"

namespace plendo::cli {

// A command line that cannot be run as given (exit status 2).
class UsageError : public Exception {
 public:
  using Exception::Exception;
};

inline constexpr const char* kActualSizeText = "原寸";

struct BatchOptions {
  bool help = false;
  std::optional<std::filesystem::path> settings_file;
  std::optional<std::string> size_text;  // digits, or 原寸 for --actual-size
  std::optional<engine::SizeSide> side;
  std::optional<std::string> out_dir;
  std::optional<bool> beside;
  std::optional<std::int32_t> quality;
  std::optional<bool> progressive;
  std::optional<bool> exif;
  std::optional<std::int32_t> gamma;
  std::optional<std::int32_t> sharpness;
  std::optional<bool> mark;
  std::optional<bool> auto_effects_off;
  std::optional<std::int32_t> jpeg_ext;
  std::optional<bool> overwrite;
  std::optional<std::int32_t> type;  // -1 all, otherwise the image type index
  std::optional<std::int32_t> jobs;  // files converted at once
  std::vector<std::string> files;
};

// Parses the arguments after the program name. Accepts "--opt VALUE" and
// "--opt=VALUE"; "--" ends the options. Throws UsageError.
BatchOptions ParseBatchOptions(const std::vector<std::string>& args);

// What a batch runs with: the settings file's values with the options laid over.
struct BatchJob {
  settings::AppSettings app;
  std::string size_text;
  engine::SizeSide side = engine::SizeSide::LongSide;
  std::string wo_path;
};

// The panel's state as read from the settings file, for the options to override.
struct StoredPanelState {
  settings::AppSettings app;
  std::string size_text;  // empty when the file names no size
  engine::SizeSide side = engine::SizeSide::LongSide;
  std::string wo_path;
};

// Throws UsageError when neither the file nor the options give a size or an
// output destination.
BatchJob MakeBatchJob(const StoredPanelState& stored, const BatchOptions& options);

std::string HelpText();

}  // namespace plendo::cli
