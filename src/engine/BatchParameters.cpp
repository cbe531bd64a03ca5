#include "engine/BatchParameters.h"

#include <charconv>
#include <climits>
#include <system_error>

namespace plendo::engine {

SizeChoice ParseSizeChoice(bool actual, const std::string& text) {
  SizeChoice choice{actual, 0, text};
  if (actual || text.empty()) return choice;
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ptr != end) return choice;
  if (ec == std::errc::result_out_of_range) {
    if (text[0] != '-') choice.pixels = LLONG_MAX;
  } else if (ec == std::errc() && value > 0) {
    choice.pixels = value;
  }
  return choice;
}

}  // namespace plendo::engine
