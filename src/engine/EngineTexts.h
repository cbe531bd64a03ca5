#pragma once
// The texts the engine hands a panel to show. They are Japanese, as the
// panel is; a panel that speaks English looks each one up where it shows it
// (the translation context "Engine"). Texts that carry a number are made
// from a template with %1 in its place, so that the number can be taken out
// again and put into the translated template.
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Language.h"

namespace plendo::engine {

// The size panel's count after a batch.
inline constexpr const char* kCountCaption = PLENDO_TEXT("Engine", "出力済 %1 枚");
// A file written at the lowest quality and still over the size limit: its size in KB.
inline constexpr const char* kOverLimitNote = PLENDO_TEXT("Engine", "サイズ上限に収まりません\r\n最低画質で %1 KB");
// A libjpeg error while writing, with libjpeg's message code.
inline constexpr const char* kJpegErrorText = PLENDO_TEXT("Engine", "JPEG エラー #%1");

// Every template above.
inline constexpr const char* kEngineTemplates[] = {kCountCaption, kOverLimitNote, kJpegErrorText};

// `text` with %1, %2 ... replaced by `values` in turn.
std::string FillIn(std::string_view text, const std::vector<std::string>& values);

// `text` in another language: its own translation when `translate` knows
// one, else the translation of the one of `templates` it was made from, with
// the same values, else `text` unchanged. `translate` gives a translation or
// its argument itself.
using Translate = std::function<std::string(const char* source)>;
std::string TranslateText(const std::string& text, std::span<const char* const> templates, const Translate& translate);
inline std::string TranslateEngineText(const std::string& text, const Translate& translate) {
  return TranslateText(text, kEngineTemplates, translate);
}

}  // namespace plendo::engine
