#include "engine/BatchParameters.h"

#include <charconv>
#include <cstdint>
#include <system_error>

namespace plendo::engine {

SizeChoice ParseSizeChoice(bool actual, const std::string& text) {
  SizeChoice choice{actual, 0, text};
  if (actual || text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return choice;
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec == std::errc() && end == text.data() + text.size() && value > 0) choice.pixels = value;
  return choice;
}

}  // namespace plendo::engine
