#include "cli/BatchTexts.h"

#include <string_view>

#include "engine/EngineTexts.h"

namespace plendo::cli {
namespace {

struct TranslatedText {
  const char* context;
  const char* source;
  const char* translation;
};

#include "TranslatedTexts.inc"

template <std::size_t N>
std::string Lookup(const TranslatedText (&table)[N], std::string_view context, const char* source) {
  for (const TranslatedText& t : table)
    if (context == t.context && std::string_view(source) == t.source) return t.translation;
  return source;
}

// The reasons the engine gives for a file that failed, in its own words
// (English); the system's words (strerror) come as they are.
constexpr const char* kReasons[] = {
    PLENDO_TEXT("plendo-batch", "not an image Plendo reads"),
    PLENDO_TEXT("plendo-batch", "damaged %1 data"),
    PLENDO_TEXT("plendo-batch", "the EXIF data could not be put in"),
};

}  // namespace

std::string Say(Language language, const char* text, const std::vector<std::string>& values) {
  const std::string said =
      language == Language::Japanese ? Lookup(kTexts_plendo_batch_ja, "plendo-batch", text) : std::string(text);
  return values.empty() ? said : engine::FillIn(said, values);
}

std::string EngineSays(Language language, const std::string& text) {
  if (language == Language::Japanese)
    return engine::TranslateText(text, kReasons, [](const char* source) {
      return Lookup(kTexts_plendo_batch_ja, "plendo-batch", source);
    });
  return engine::TranslateEngineText(text,
                                     [](const char* source) { return Lookup(kTexts_plendo_en, "Engine", source); });
}

}  // namespace plendo::cli
