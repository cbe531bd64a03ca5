#pragma once
// Which installed font draws each character of a metafile's text. A record
// names a Windows face; the family asked of fontconfig is that face where the
// system may have it, else an installed family of the same kind. A character the
// family lacks comes from whichever installed font has it, the closest to
// the family first, so a Latin face's Chinese or a Japanese face's Hangul is
// drawn, never shown as boxes.
#include <fontconfig/fontconfig.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>

#include "codecs/MetafileState.h"
#include "platform/CallFree.h"

namespace plendo::codecs::metafile {

// The family fontconfig is asked for: the face itself where the system may
// have it, a metric-alike family for the common Windows faces, and a
// Japanese font for Japanese faces and character sets.
std::string FamilyFor(const Font& font);

// Answers for one playing of a file; fontconfig's sorted list of fonts is
// made once per family and style, each character looked up once.
class FontFallback {
 public:
  // A family that has `c`, the closest to `family` first; empty when no
  // installed font has it.
  const std::string& FamilyWith(char32_t c, const std::string& family, const Font& font);

 private:
  struct Candidates {
    std::unique_ptr<FcFontSet, platform::CallFree<FcFontSetDestroy>> fonts;
    std::unordered_map<char32_t, std::string> found;
  };
  // Family, bold, italic, language.
  using Key = std::tuple<std::string, bool, bool, std::string>;

  Candidates& CandidatesFor(const Key& key);

  std::map<Key, Candidates> sets_;
};

}  // namespace plendo::codecs::metafile
