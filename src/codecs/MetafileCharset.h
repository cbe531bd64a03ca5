#pragma once
// Text bytes of the records into code points. ANSI text is in the code page
// of the selected font's character set; a double-byte character takes two
// bytes, so the per-byte advances of the record are kept with each character.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace plendo::codecs::metafile {

struct TextChar {
  char32_t code = 0;
  std::uint32_t units = 1;  // bytes (ANSI) or 16-bit units (UTF-16) it took
};

std::vector<TextChar> DecodeUtf16Text(std::span<const std::uint8_t> bytes);
std::vector<TextChar> DecodeAnsiText(std::span<const std::uint8_t> bytes, std::uint8_t charset);
std::string ToUtf8(char32_t c);
// A face name stored as UTF-16 (EMF) or in the font's code page (WMF), up to
// its first NUL.
std::string FaceNameUtf16(std::span<const std::uint8_t> bytes);
std::string FaceNameAnsi(std::span<const std::uint8_t> bytes, std::uint8_t charset);

// Faces whose bytes are the Symbol font's encoding (0x61 is alpha, 0xB4 the
// multiplication sign) whatever character set the record names.
bool IsSymbolFace(const std::string& face);
// Characters of such a face into Unicode: bytes as read from ANSI text, and
// the private-use U+F020 to U+F0FF that UTF-16 text carries them as.
void MapSymbolFont(std::vector<TextChar>& text);

}  // namespace plendo::codecs::metafile
