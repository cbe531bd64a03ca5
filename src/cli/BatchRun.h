#pragma once
// plendo-batch from its arguments to its exit status, apart from the process
// itself (signals, the real streams), so tests can run it in place.
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/Language.h"

namespace plendo::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitUsage = 2;

struct BatchEnvironment {
  // Where the program lives: the panel's settings file is read beside it.
  std::filesystem::path executable;
  // Show a progress line on `err` (only when it is a terminal).
  bool show_progress = false;
  // Asked between two files; true stops the batch after the current one.
  std::function<bool()> stop_requested;
  // Where --files-from - reads its names; none: that option is refused.
  std::istream* input = nullptr;
  // The language of the messages, the tally and --help (the locale's).
  platform::Language language = platform::Language::English;
};

// The settings file plendo-batch reads when none is named: the panel's own,
// the panel program "plendo" in the same folder with ".ENV".
std::filesystem::path DefaultSettingsFile(const std::filesystem::path& executable);

int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             const BatchEnvironment& environment);

}  // namespace plendo::cli
