#include "engine/EngineTexts.h"

#include <optional>

namespace plendo::engine {
namespace {

// The values that make `text` from `pattern` (its marks %1, %2 ... in that
// order): the text between the pattern's fixed parts. None when the fixed
// parts are not there, or the pattern has no mark.
std::optional<std::vector<std::string>> ValuesIn(std::string_view text, std::string_view pattern) {
  std::vector<std::string_view> fixed;
  for (std::size_t mark; (mark = pattern.find('%')) != std::string_view::npos; pattern.remove_prefix(mark + 2))
    fixed.push_back(pattern.substr(0, mark));
  fixed.push_back(pattern);
  const std::string_view head = fixed.front(), tail = fixed.back();
  if (fixed.size() < 2 || text.size() < head.size() + tail.size() || !text.starts_with(head) || !text.ends_with(tail))
    return std::nullopt;
  text = text.substr(head.size(), text.size() - head.size() - tail.size());
  std::vector<std::string> values;
  for (std::size_t i = 1; i + 1 < fixed.size(); ++i) {
    const std::size_t found = text.find(fixed[i]);
    if (found == std::string_view::npos) return std::nullopt;
    values.emplace_back(text.substr(0, found));
    text.remove_prefix(found + fixed[i].size());
  }
  values.emplace_back(text);
  return values;
}

}  // namespace

std::string FillIn(std::string_view text, const std::vector<std::string>& values) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool mark = text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9';
    const std::size_t n = mark ? static_cast<std::size_t>(text[i + 1] - '1') : values.size();
    if (n < values.size()) {
      out += values[n];
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string TranslateText(const std::string& text, std::span<const char* const> templates, const Translate& translate) {
  if (std::string own = translate(text.c_str()); own != text) return own;
  for (const char* pattern : templates) {
    if (const auto values = ValuesIn(text, pattern)) return FillIn(translate(pattern), *values);
  }
  return text;
}

}  // namespace plendo::engine
