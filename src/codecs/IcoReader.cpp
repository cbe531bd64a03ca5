#include "codecs/IcoReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "codecs/BmpReader.h"
#include "codecs/ByteReader.h"

namespace plendo::codecs {

using platform::Bitmap;
using platform::PixelFormat;
using platform::Rgba;
namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

struct Entry {
  Bytes data;
  bool png = false;
  int depth = 0;
  std::uint64_t area = 0;  // two 32-bit sides multiply past any signed type
  int listed_depth = 0;    // the directory's bit count
};

// Bits a pixel of a PNG by its IHDR: bit depth times the samples of its
// colour type (a palette index is one sample); 0 for an unknown type.
int PngDepth(std::uint8_t bit_depth, std::uint8_t colour_type) {
  switch (colour_type) {
    case 0:
    case 3: return bit_depth;
    case 2: return 3 * bit_depth;
    case 4: return 2 * bit_depth;
    case 6: return 4 * bit_depth;
    default: return 0;
  }
}

// What an entry really holds, from its own header rather than the directory
// (whose size and depth fields are often 0 or wrong). PNG: the signature,
// then the IHDR chunk (length, "IHDR", u32 width, u32 height big-endian at
// 16..23, bit depth at 24, colour type at 25). DIB: its header, height halved
// for the mask.
bool DescribeEntry(Entry& e) {
  if (e.data.size() >= 8 && std::memcmp(e.data.data(), kPngSignature, 8) == 0) {
    if (e.data.size() < 26 || std::memcmp(e.data.data() + 12, "IHDR", 4) != 0) return false;
    e.png = true;
    e.depth = PngDepth(e.data[24], e.data[25]);
    const auto be32 = [&](std::size_t at) {
      return static_cast<std::uint64_t>(ReadU32BE(e.data, at));
    };
    e.area = be32(16) * be32(20);
    return e.depth > 0;
  }
  DibSummary s;
  if (!ReadDibSummary(e.data, s) || s.width <= 0 || s.height == 0) return false;
  e.depth = s.bits_per_pixel;
  e.area = static_cast<std::uint64_t>(s.width) * static_cast<std::uint64_t>(s.height < 0 ? -(s.height / 2) : s.height / 2);
  return true;
}

// A real icon's entries do not overlap, so trying them all reads the file
// about once. Entries crafted to overlap would make every failed attempt
// read the same bytes again: once the attempts have covered the file's size
// twice, the rest are not tried.
bool WithinBudget(std::size_t& spent, std::size_t entry_bytes, std::size_t file_bytes) {
  if (spent > 2 * file_bytes) return false;
  spent += entry_bytes;
  return true;
}

}  // namespace

// Directory: u16 reserved (0), u16 type (1 icon, 2 cursor), u16 count, then
// `count` entries of 16 bytes: u8 width, u8 height, u8 colours, u8 reserved,
// u16 planes (cursor: hot x), u16 bit count (cursor: hot y), u32 bytes,
// u32 offset of the entry's data from the start of the file.
bool LooksLikeIco(Bytes bytes) {
  return bytes.size() >= 6 && ReadU16LE(bytes, 0) == 0 && (ReadU16LE(bytes, 2) == 1 || ReadU16LE(bytes, 2) == 2) && ReadU16LE(bytes, 4) > 0;
}

Bitmap DecodeIco(Bytes bytes, const PngBytesDecoder& decode_png) {
  if (!LooksLikeIco(bytes)) throw IcoError("ICO: not an icon file");
  const std::size_t count = ReadU16LE(bytes, 4);
  std::vector<Entry> entries;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = 6 + 16 * i;
    if (at + 16 > bytes.size()) break;
    const std::uint32_t size = ReadU32LE(bytes, at + 8);
    const std::uint32_t offset = ReadU32LE(bytes, at + 12);
    if (offset >= bytes.size()) continue;
    // An entry running past the end keeps what is there; its decoder decides.
    Entry e;
    e.data = bytes.subspan(offset, std::min<std::size_t>(size, bytes.size() - offset));
    e.listed_depth = ReadU16LE(bytes, at + 6);
    if (DescribeEntry(e)) entries.push_back(e);
  }
  // The richest entry is the one we show: highest depth, then largest, then
  // the highest bit count the directory lists (PNG entries made from 16 or
  // 256 colours often store 32-bit pixels all the same); among equals the
  // first. When it cannot be decoded we try the next best.
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    if (a.depth != b.depth) return a.depth > b.depth;
    if (a.area != b.area) return a.area > b.area;
    return a.listed_depth > b.listed_depth;
  });
  std::size_t spent = 0;
  for (const Entry& e : entries) {
    if (e.png && !decode_png) continue;
    if (!WithinBudget(spent, e.data.size(), bytes.size())) break;
    try {
      return e.png ? decode_png(e.data) : DecodeIconDib(e.data);
    } catch (const Exception&) {
      // fall through to the next entry
    }
  }
  throw IcoError("ICO: no entry could be decoded");
}

}  // namespace plendo::codecs
