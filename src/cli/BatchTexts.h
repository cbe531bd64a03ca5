#pragma once
// plendo-batch's texts in the language of its locale (platform::LocaleLanguage).
// Its own texts are English, marked PLENDO_TEXT("plendo-batch", ...) and put
// into Japanese by translations/plendo-batch_ja.ts; the engine's are Japanese
// and put into English by translations/plendo_en.ts, as the panel shows them.
// Numbers and names stand in a text as %1, %2 ...
#include <string>
#include <vector>

#include "platform/Language.h"

namespace plendo::cli {

using platform::Language;

// One of plendo-batch's own texts in `language`, its marks filled with `values`.
std::string Say(Language language, const char* text, const std::vector<std::string>& values = {});

// A text of the engine in `language`: a message, a count, or the reason a
// file failed (the system's own words stay as the system gave them).
std::string EngineSays(Language language, const std::string& text);

}  // namespace plendo::cli
