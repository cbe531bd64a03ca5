#include "codecs/MetafileCharset.h"

#include <iconv.h>

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

}  // namespace

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
