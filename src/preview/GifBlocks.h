#pragma once
// The fixed structures of a GIF file, one parse function each. Every one
// reads through a GifReader, so a structure cut off by the end of the file
// raises "Premature end of data" before anything is kept.
//
//   file     = header screen [global table] block* [";"]
//   header   = "GIF" version(3)
//   screen   = width(2) height(2) flags(1) background(1) aspect(1)
//   table    = (red, green, blue)(1 each) x (2 shl (flags and 7))
//   image    = separator(1) left(2) top(2) width(2) height(2) flags(1) [local table]
//              code-size(1) sub-block* 0
//   sub-block = size(1) data(size)
// All 16-bit fields are little-endian.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "preview/GifReader.h"

namespace plendo::preview {

// What one load may take. Memory: the frames' image data as the file holds
// it, their tables and extensions, and what each frame and extension costs
// besides. Work: the pixels decoded while checking the frames, bounded on its
// own because one LZW code may stand for thousands of pixels, so a small
// file can ask for a great deal of decoding.
struct GifLoadLimits {
  std::size_t bytes = std::size_t{1} << 28;
  std::uint64_t decoded_pixels = std::uint64_t{1} << 30;
};
// Comment, text and unknown application data is never shown: past this much
// it is still read and checked, not kept.
inline constexpr std::size_t kGifMaxKeptBytes = std::size_t{16} << 20;

// What one load has taken so far. Charge and Decode raise EGIFTooLarge past
// the limits; Keep says whether data nobody shows may still be kept.
class GifLoadBudget {
 public:
  explicit GifLoadBudget(GifLoadLimits limits = {}) : limits_(limits) {}
  void Charge(std::size_t bytes) {
    if (bytes > limits_.bytes - used_) throw EGIFTooLarge();
    used_ += bytes;
  }
  void Decode(std::uint64_t pixels) {
    if (pixels > limits_.decoded_pixels - decoded_) throw EGIFTooLarge();
    decoded_ += pixels;
  }
  bool Keep(std::size_t bytes) {
    if (bytes > kGifMaxKeptBytes - kept_) return false;
    kept_ += bytes;
    return true;
  }
  std::size_t Used() const { return used_; }

 private:
  GifLoadLimits limits_;
  std::size_t used_ = 0;
  std::uint64_t decoded_ = 0;
  std::size_t kept_ = 0;
};

struct TGIFColor {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const TGIFColor&, const TGIFColor&) = default;
};

// Up to 256 entries; empty when the file has no such table.
struct TGIFColorMap {
  std::vector<TGIFColor> entries;
  int Count() const { return static_cast<int>(entries.size()); }
  bool Empty() const { return entries.empty(); }
};
using TGIFGlobalColorMap = TGIFColorMap;
using TGIFLocalColorMap = TGIFColorMap;

// Flags of the screen and image descriptors.
inline constexpr std::uint8_t kGifColorTableFlag = 0x80;
inline constexpr std::uint8_t kGifInterlacedFlag = 0x40;
inline constexpr std::uint8_t kGifTableSizeMask = 0x07;

struct TGIFHeader {
  std::array<char, 3> signature{};
  std::array<char, 3> version{};
  std::uint16_t width = 0, height = 0;  // as the file gives them
  std::uint8_t flags = 0;
  std::uint8_t background = 0;
  std::uint8_t aspect = 0;
  TGIFGlobalColorMap color_map;
};

// header and screen; the global table follows when flags bit 7 is set. When
// the first three bytes are not "GIF" in any letter case, the header is
// looked for once more 4 bytes into the file (the reader's start), behind a
// prefix some programs write. Raises "Invalid GIF signature".
TGIFHeader ReadGifHeader(GifReader& in);

// (2 shl (flags and 7)) entries of red, green, blue.
TGIFColorMap ReadColorMap(GifReader& in, std::uint8_t flags);

struct TGIFImageDescriptor {
  std::uint8_t separator = ',';  // not checked
  std::uint16_t left = 0, top = 0, width = 0, height = 0;
  std::uint8_t flags = 0;
};
TGIFImageDescriptor ReadImageDescriptor(GifReader& in);

// Sub-blocks up to the size-0 one or the end of the file. Each block's bytes
// go to `take`; a block longer than the file raises "Premature end of data".
template <class Take>
void ReadSubBlocks(GifReader& in, Take take) {
  for (int size = in.ReadByte(); size > 0; size = in.ReadByte()) take(in.Read(static_cast<std::size_t>(size)));
}

// One line per sub-block, each up to its first zero byte; kept while the
// budget lets us.
std::vector<std::string> ReadSubBlockLines(GifReader& in, GifLoadBudget& budget);

// Steps over sub-blocks up to and including the size-0 one, or to the end of
// the file, whatever their sizes claim.
void SkipSubBlocks(GifReader& in);

}  // namespace plendo::preview
