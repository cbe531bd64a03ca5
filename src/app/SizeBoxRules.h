#pragma once
// The rules of the size box GDot, apart from the widget: which typed
// characters it takes, which texts are a usable size, and how a typed prefix
// completes to an item.
#include <optional>
#include <string>
#include <vector>

namespace plendo::app {

enum class GDotKey {
  Swallow,  // Enter: nothing happens
  Toggle,   // Space: switch actual size on or off, no beep
  Pass,     // digits and control characters (editing keys, clipboard)
  Refuse,   // anything else: swallowed with a beep
};

GDotKey ClassifyGDotKey(char32_t ch);

// A usable size: "原寸", or a whole decimal number above 0 that fits 32 bits.
bool IsUsableSizeText(const std::string& text);

// Index of the first item that begins with `prefix`, ASCII letter case
// ignored; nothing for an empty prefix or no match.
std::optional<int> FindItemWithPrefix(const std::vector<std::string>& items,
                                      const std::string& prefix);

}  // namespace plendo::app
