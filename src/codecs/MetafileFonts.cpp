#include "codecs/MetafileFonts.h"
#include "platform/CallFree.h"

#include <algorithm>
#include <cctype>

namespace plendo::codecs::metafile {
namespace {

constexpr const char* kJapaneseGothic = "IPAPGothic";

bool Contains(const std::string& haystack, const char* needle) {
  std::string h = haystack, n = needle;
  for (char& c : h) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (char& c : n) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return h.find(n) != std::string::npos;
}

bool IsAscii(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The language a character set writes, for fontconfig to prefer fonts made
// for it. Han characters of text that names none take Japanese forms, as the
// people this program is for read them.
const char* LanguageOf(std::uint8_t charset) {
  switch (charset) {
    case 129: case 130: return "ko";  // HANGUL, JOHAB
    case 134: return "zh-cn";         // GB2312
    case 136: return "zh-tw";         // CHINESEBIG5
    case 161: return "el";
    case 177: return "he";
    case 178: return "ar";
    case 204: return "ru";
    case 222: return "th";
    default: return "ja";
  }
}

}  // namespace

std::string FamilyFor(const Font& font) {
  const std::string& f = font.face;
  if (f.empty()) return font.charset == 128 ? kJapaneseGothic : "sans-serif";
  if (Contains(f, "mincho") || f.find("明朝") != std::string::npos) return "IPAMincho";
  if (Contains(f, "gothic") || Contains(f, "meiryo") || f.find("ゴシック") != std::string::npos ||
      f.find("メイリオ") != std::string::npos)
    return kJapaneseGothic;
  if (font.charset == 128 || (!IsAscii(f) && (font.charset == 0 || font.charset == 1))) return kJapaneseGothic;
  if (!IsAscii(f)) return "sans-serif";
  for (const char* serif : {"times", "georgia", "cambria", "garamond", "book antiqua", "century", "palatino",
                            "euclid", "bookman"})
    if (Contains(f, serif)) return "DejaVu Serif";
  for (const char* mono : {"courier", "consolas", "lucida console", "fixedsys", "terminal"})
    if (Contains(f, mono)) return "DejaVu Sans Mono";
  return f;
}

FontFallback::Candidates& FontFallback::CandidatesFor(const Key& key) {
  auto it = sets_.find(key);
  if (it != sets_.end()) return it->second;
  Candidates& c = sets_[key];
  std::unique_ptr<FcPattern, platform::CallFree<FcPatternDestroy>> pattern(FcPatternCreate());
  if (!pattern) return c;
  const auto& [family, bold, italic, language] = key;
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>(language.c_str()));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  c.fonts.reset(FcFontSort(nullptr, pattern.get(), FcFalse, nullptr, &result));
  return c;
}

const std::string& FontFallback::FamilyWith(char32_t code, const std::string& family, const Font& font) {
  Candidates& c = CandidatesFor(Key{family, font.weight >= 600, font.italic, LanguageOf(font.charset)});
  auto known = c.found.find(code);
  if (known != c.found.end()) return known->second;
  std::string& answer = c.found[code];
  if (!c.fonts) return answer;
  for (int i = 0; i < c.fonts->nfont; ++i) {
    FcCharSet* chars = nullptr;
    FcChar8* name = nullptr;
    if (FcPatternGetCharSet(c.fonts->fonts[i], FC_CHARSET, 0, &chars) == FcResultMatch &&
        FcCharSetHasChar(chars, code) &&
        FcPatternGetString(c.fonts->fonts[i], FC_FAMILY, 0, &name) == FcResultMatch) {
      answer = reinterpret_cast<const char*>(name);
      break;
    }
  }
  return answer;
}

}  // namespace plendo::codecs::metafile
