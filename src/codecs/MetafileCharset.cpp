#include "codecs/MetafileCharset.h"

#include <iconv.h>

#include <algorithm>
#include <memory>

namespace plendo::codecs::metafile {
namespace {

const char* CodePageOf(std::uint8_t charset) {
  switch (charset) {
    case 128: return "CP932";   // SHIFTJIS
    case 129: return "CP949";   // HANGUL
    case 134: return "GBK";     // GB2312
    case 136: return "BIG5";    // CHINESEBIG5
    case 161: return "CP1253";  // GREEK
    case 162: return "CP1254";  // TURKISH
    case 163: return "CP1258";  // VIETNAMESE
    case 177: return "CP1255";  // HEBREW
    case 178: return "CP1256";  // ARABIC
    case 186: return "CP1257";  // BALTIC
    case 204: return "CP1251";  // RUSSIAN
    case 222: return "CP874";   // THAI
    case 238: return "CP1250";  // EASTEUROPE
    default: return "CP1252";
  }
}

bool IsLeadByte(std::uint8_t charset, std::uint8_t b) {
  switch (charset) {
    case 128: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 129: case 134: case 136: return b >= 0x81 && b <= 0xFE;
    default: return false;
  }
}

// The Symbol font's code points 0x20 to 0xFF in Unicode; 0x80 to 0x9F and
// 0xF0 hold nothing (drawn as spaces).
constexpr char16_t kSymbolFont[224] = {
    // 0x20
    u' ', u'!', 0x2200, u'#', 0x2203, u'%', u'&', 0x220B, u'(', u')', 0x2217, u'+', u',', 0x2212, u'.', u'/',
    u'0', u'1', u'2', u'3', u'4', u'5', u'6', u'7', u'8', u'9', u':', u';', u'<', u'=', u'>', u'?',
    // 0x40
    0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B,
    0x039C, 0x039D, 0x039F, 0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8,
    0x0396, u'[', 0x2234, u']', 0x22A5, u'_',
    // 0x60
    0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, 0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB,
    0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8,
    0x03B6, u'{', u'|', u'}', 0x223C, u' ',
    // 0x80
    u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ',
    u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ', u' ',
    // 0xA0
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190,
    0x2191, 0x2192, 0x2193, 0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260,
    0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5,
    // 0xC0
    0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284, 0x2282,
    0x2286, 0x2208, 0x2209, 0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227,
    0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3,
    // 0xE0
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7,
    0x23A8, 0x23A9, 0x23AA, u' ', 0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4,
    0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, u' ',
};

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

char32_t ConvertOne(iconv_t cd, const std::uint8_t* in, std::size_t n) {
  char from[2] = {static_cast<char>(in[0]), n > 1 ? static_cast<char>(in[1]) : '\0'};
  char to[8] = {};
  char* src = from;
  char* dst = to;
  std::size_t left = n, room = sizeof to;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &src, &left, &dst, &room) == static_cast<std::size_t>(-1) || room > 4) return U'\uFFFD';
  return static_cast<char32_t>(static_cast<std::uint8_t>(to[0]) | static_cast<std::uint8_t>(to[1]) << 8 |
                               static_cast<std::uint8_t>(to[2]) << 16 | static_cast<std::uint8_t>(to[3]) << 24);
}

char ToLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool IsSymbolFace(const std::string& face) {
  std::string lower(face.size(), ' ');
  std::transform(face.begin(), face.end(), lower.begin(), ToLower);
  return lower.find("symbol") != std::string::npos;
}

void MapSymbolFont(std::vector<TextChar>& text) {
  for (TextChar& c : text) {
    const char32_t byte = c.code >= 0xF020 && c.code <= 0xF0FF ? c.code - 0xF000 : c.code;
    if (byte >= 0x20 && byte <= 0xFF) c.code = kSymbolFont[byte - 0x20];
  }
}

std::vector<TextChar> DecodeUtf16Text(std::span<const std::uint8_t> bytes) {
  std::vector<TextChar> out;
  const std::size_t n = bytes.size() / 2;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    const char32_t u = bytes[2 * i] | bytes[2 * i + 1] << 8;
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < n) {
      const char32_t v = bytes[2 * i + 2] | bytes[2 * i + 3] << 8;
      if (v >= 0xDC00 && v < 0xE000) {
        out.push_back({0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00), 2});
        ++i;
        continue;
      }
    }
    out.push_back({u, 1});
  }
  return out;
}

std::vector<TextChar> DecodeAnsiText(std::span<const std::uint8_t> bytes, std::uint8_t charset) {
  std::vector<TextChar> out;
  out.reserve(bytes.size());
  const std::unique_ptr<void, IconvCloser> cd(iconv_open("UTF-32LE", CodePageOf(charset)));
  const bool usable = cd.get() != reinterpret_cast<void*>(-1);
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t n = IsLeadByte(charset, bytes[i]) && i + 1 < bytes.size() ? 2 : 1;
    char32_t c = bytes[i];
    if (c >= 0x80 || n == 2) c = usable ? ConvertOne(static_cast<iconv_t>(cd.get()), &bytes[i], n) : U'\uFFFD';
    out.push_back({c, static_cast<std::uint32_t>(n)});
    i += n;
  }
  return out;
}

std::string ToUtf8(char32_t c) {
  std::string s;
  if (c >= 0x110000 || (c >= 0xD800 && c < 0xE000)) c = 0xFFFD;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | c >> 6), s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | c >> 12), s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | c >> 18), s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F)), s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

std::string FaceNameUtf16(std::span<const std::uint8_t> bytes) {
  std::string s;
  for (const TextChar& c : DecodeUtf16Text(bytes)) {
    if (c.code == 0) break;
    s += ToUtf8(c.code);
  }
  return s;
}

std::string FaceNameAnsi(std::span<const std::uint8_t> bytes, std::uint8_t charset) {
  std::size_t n = 0;
  while (n < bytes.size() && bytes[n] != 0) ++n;
  std::string s;
  for (const TextChar& c : DecodeAnsiText(bytes.first(n), charset)) s += ToUtf8(c.code);
  return s;
}

}  // namespace plendo::codecs::metafile
