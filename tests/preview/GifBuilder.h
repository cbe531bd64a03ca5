#pragma once
// GIF files built block by block for the decoder suites, including files no
// encoder would write. Image data is written one code per value, so the
// bytes follow from the indices alone.
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "platform/Bitmap.h"

namespace plendo::test {

using Bytes = std::vector<std::uint8_t>;
using Codes = std::vector<std::pair<int, int>>;  // (code, width in bits)

inline Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
inline Bytes Word(int v) { return {static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>(v >> 8 & 0xFF)}; }

// Flag bits for a table of the colours (size code in bits 0-2), and the
// table itself padded with black.
inline std::uint8_t TableFlags(std::size_t count) {
  std::uint8_t code = 0;
  while ((std::size_t{2} << code) < count) ++code;
  return 0x80 | code;
}
inline Bytes ColourTable(const std::vector<platform::Rgba>& colours) {
  Bytes out;
  for (std::size_t i = 0; i < (std::size_t{2} << (TableFlags(colours.size()) & 7)); ++i) {
    const platform::Rgba c = i < colours.size() ? colours[i] : platform::Rgba{};
    out.insert(out.end(), {c.r, c.g, c.b});
  }
  return out;
}

inline Bytes GifHeader(int width, int height, const std::vector<platform::Rgba>& global,
                       const std::string& signature = "GIF89a") {
  const std::uint8_t flags = global.empty() ? 0 : TableFlags(global.size());
  return Join({Bytes(signature.begin(), signature.end()), Word(width), Word(height), {flags, 0, 0},
               global.empty() ? Bytes{} : ColourTable(global)});
}

// transparent: the transparent index, or -1 for none.
inline Bytes GraphicControl(int transparent = -1, int disposal = 0, int delay = 0) {
  return Join({{0x21, 0xF9, 4, static_cast<std::uint8_t>(disposal << 2 | (transparent >= 0))}, Word(delay),
               {static_cast<std::uint8_t>(transparent >= 0 ? transparent : 0), 0}});
}

// `data` in sub-blocks of up to 255 bytes, then the size-0 one.
inline Bytes SubBlocks(const Bytes& data) {
  Bytes out;
  for (std::size_t at = 0; at < data.size(); at += 255) {
    const std::size_t n = std::min<std::size_t>(255, data.size() - at);
    out.push_back(static_cast<std::uint8_t>(n));
    const auto from = data.begin() + static_cast<std::ptrdiff_t>(at);
    out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(n));
  }
  out.push_back(0);
  return out;
}

// Least significant bit first.
inline Bytes PackCodes(const Codes& codes) {
  Bytes out;
  std::uint32_t window = 0;
  int count = 0;
  for (auto [code, bits] : codes) {
    window |= static_cast<std::uint32_t>(code) << count;
    for (count += bits; count >= 8; count -= 8, window >>= 8) out.push_back(static_cast<std::uint8_t>(window));
  }
  if (count > 0) out.push_back(static_cast<std::uint8_t>(window));
  return out;
}

// A clear code, one code per value at the width a decoder reads it (growing
// as its table fills, cleared again before it is full), the end code.
inline Codes LiteralCodes(const std::vector<std::uint8_t>& indices, int m, bool with_end = true) {
  const int clear = 1 << m;
  Codes codes;
  int bits = m + 1, next = clear + 2, since_clear = 0;
  codes.push_back({clear, bits});
  for (std::uint8_t v : indices) {
    if (next >= 4094) {
      codes.push_back({clear, bits});
      bits = m + 1, next = clear + 2, since_clear = 0;
    }
    codes.push_back({v, bits});
    if (since_clear++ > 0 && ++next >= (1 << bits) && bits < 12) ++bits;
  }
  if (with_end) codes.push_back({clear + 1, bits});
  return codes;
}

// `count` pixels of one value in as few codes as a decoder's table allows:
// the value, then each code names the next free entry, a run one longer than
// the one before; once the table is full its longest run repeats. A 2000 x
// 2000 frame takes about 4 KB.
inline Codes RunCodes(std::size_t count, int value, int m) {
  const int clear = 1 << m;
  const std::size_t longest = static_cast<std::size_t>(4095 - clear);
  int bits = m + 1, next = clear + 2, limit = 2 * clear;
  Codes codes = {{clear, bits}};
  for (std::size_t last = 0; count > 0;) {
    const std::size_t run = last == 0 ? 1 : std::min({count, last + 1, longest});
    codes.push_back({run == 1 ? value : clear + static_cast<int>(run), bits});
    count -= run;
    if (last > 0 && next < 4096 && ++next >= limit && limit < 4096) {
      limit *= 2;
      ++bits;
    }
    last = run;
  }
  codes.push_back({clear + 1, bits});
  return codes;
}

// code-size(1) and the codes in sub-blocks.
inline Bytes ImageData(const Codes& codes, int m) {
  return Join({{static_cast<std::uint8_t>(m)}, SubBlocks(PackCodes(codes))});
}

struct ImageOptions {
  int left = 0, top = 0;
  std::vector<platform::Rgba> local;  // local table, when not empty
};

// Descriptor, local table, then `data` as it stands.
inline Bytes ImageBlock(int width, int height, const Bytes& data, const ImageOptions& o = {}) {
  const std::uint8_t flags = o.local.empty() ? 0 : TableFlags(o.local.size());
  return Join({{','}, Word(o.left), Word(o.top), Word(width), Word(height), {flags},
               o.local.empty() ? Bytes{} : ColourTable(o.local), data});
}
inline Bytes Image(int width, int height, const std::vector<std::uint8_t>& indices, const ImageOptions& o = {}) {
  return ImageBlock(width, height, ImageData(LiteralCodes(indices, 8), 8), o);
}

inline const Bytes kTrailer = {';'};

}  // namespace plendo::test
