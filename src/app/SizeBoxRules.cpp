#include "app/SizeBoxRules.h"

#include <charconv>
#include <cstdint>

#include "settings/SizeList.h"

namespace plendo::app {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(text[i]) != Lower(prefix[i])) return false;
  }
  return true;
}

}  // namespace

GDotKey ClassifyGDotKey(char32_t ch) {
  if (ch == 13) return GDotKey::Swallow;
  if (ch == 32) return GDotKey::Toggle;
  if ((ch >= 1 && ch <= 31) || (ch >= U'0' && ch <= U'9')) return GDotKey::Pass;
  return GDotKey::Refuse;
}

bool IsUsableSizeText(const std::string& text) {
  if (text == settings::kActualSizeItem) return true;
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;  // no sign, no blanks: a negative size is none
  }
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc{} && end == text.data() + text.size() && value > 0;
}

std::optional<int> FindItemWithPrefix(const std::vector<std::string>& items,
                                      const std::string& prefix) {
  if (prefix.empty()) return std::nullopt;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (StartsWithIgnoringCase(items[i], prefix)) return static_cast<int>(i);
  }
  return std::nullopt;
}

}  // namespace plendo::app
