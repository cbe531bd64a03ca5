#pragma once
// The rules of the size box GDot, apart from the widget: which typed
// characters it takes, which texts are a usable size, and what a typed key
// does to the box's text and highlight. The panel only applies the outcome,
// so the rules are plain functions a test calls without a window.
#include <QString>
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

// The box's text and its highlighted part. With nothing highlighted `length`
// is 0 and `start` is the cursor. Positions count UTF-16 units, as the edit
// line does ("原寸" is two).
struct SizeBoxText {
  QString text;
  int start = 0;
  int length = 0;
  friend bool operator==(const SizeBoxText&, const SizeBoxText&) = default;
};

enum class SizeBoxAction {
  Nothing,  // consumed, the box stays as it is (Enter, Backspace at the start)
  Toggle,   // Space: switch actual size on or off
  Beep,     // refused: consumed with a beep
  BoxOwn,   // an editing key or clipboard shortcut: the edit line handles it
  Edit,     // consumed; the box now shows `shown` and has changed
};

struct SizeBoxKeyOutcome {
  SizeBoxAction action = SizeBoxAction::Nothing;
  SizeBoxText shown;  // Edit only
  int item = -1;      // Edit only: the item the box now shows, -1 for a typed text
};

// A key typed into the box showing `now`. A digit completes to the first item
// that begins with the text typed so far (up to the highlight, plus the
// digit) and highlights the rest of that item; with no such item the digit
// replaces the highlight. Backspace removes the highlight or else the
// character before the cursor.
SizeBoxKeyOutcome TypeIntoSizeBox(const SizeBoxText& now, char32_t key,
                                  const std::vector<std::string>& items);

}  // namespace plendo::app
