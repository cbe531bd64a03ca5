#pragma once
// The character filter of the numeric edit box, apart from the widget, so a
// test can ask it without a window.
#include <string_view>

namespace plendo::controls {

enum class NumEditKey {
  NextControl,  // Enter: focus moves on, the character is swallowed silently
  Pass,         // goes on into the text
  Refuse,       // swallowed with the default beep
};

// `text` is the box's text before the key (UTF-8), `caret` the selection
// start in characters. Control characters 1..31 (Backspace, clipboard
// shortcuts) and digits always pass; a sign only at the start; one "." only.
// The filter keeps keystrokes sane, it does not make the text a number.
NumEditKey ClassifyNumEditKey(char32_t ch, std::string_view text, int caret);

}  // namespace plendo::controls
