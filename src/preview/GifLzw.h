#pragma once
// The image data of one frame: a minimum code size byte, then LZW codes
// packed least significant bit first into data sub-blocks.
//
//   code-size(1) (size(1) data(size))* 0
//
// Codes start at code-size + 1 bits and grow to 12. Code 2^m clears the
// table, 2^m + 1 ends the data. A code-size above 8 is read as 8.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "preview/GifExtensions.h"

namespace plendo::preview {

// Reads codes of a given width from the data sub-blocks, loading one
// sub-block at a time. -1 once the data runs out: at the end of the file,
// or past the size-0 sub-block.
class GifCodeReader {
 public:
  GifCodeReader(GifReader& in, const GifLoadContext& context, const void* sender)
      : in_(in), context_(context), sender_(sender) {}

  int Read(int bits);
  // Steps over what is left of the data up to its size-0 sub-block.
  void SkipRest();

 private:
  GifReader& in_;
  const GifLoadContext& context_;
  const void* sender_;
  std::uint32_t window_ = 0;  // unread bits, the oldest lowest
  int count_ = 0;
  std::size_t block_left_ = 0;
  bool finished_ = false;  // the size-0 sub-block has been read
};

// The values of one frame's data, one at a time.
class GifLzwDecoder {
 public:
  static constexpr int kEnd = -2;   // the end code came
  static constexpr int kNoData = -1;

  GifLzwDecoder(GifReader& in, const GifLoadContext& context, const void* sender, int min_code_size);

  // The next value, or kEnd / kNoData. Raises "Circular decoder table entry"
  // for an entry whose prefix chain does not lead back to a single value.
  int Next();
  // Reads the code after the last pixel: an end code there ends the data.
  void ReadTrailingCode();
  void SkipRest() { codes_.SkipRest(); }

 private:
  int Restart();
  int End();
  int Expand(int code);

  GifCodeReader codes_;
  int min_code_size_;  // 0..8
  int clear_, end_;
  int code_size_ = 0, limit_ = 0, next_free_ = 0;
  int previous_ = 0, first_ = 0;
  bool cleared_ = true;  // decoding starts as after a clear code
  std::array<std::uint16_t, 4096> prefix_{};
  std::array<std::uint8_t, 4096> suffix_{};
  std::array<std::uint8_t, 4097> stack_{};
  int depth_ = 0;
};

// Receives the rows of a frame as they are decoded: (row index, width
// indices). Rows come in file order or in the four interlace passes; a row
// the data ends inside comes with the fill for the rest, and rows the data
// never reaches do not come at all.
using GifRowSink = std::function<void(int y, std::span<const std::uint8_t> row)>;

// Decodes the image data at the reader, one row at a time, so a frame costs
// one row of memory whatever its size. Afterwards the reader stands behind
// the data's size-0 sub-block.
void DecodeGifImageData(GifReader& in, const GifLoadContext& context, const void* sender, int width, int height,
                        bool interlaced, std::uint8_t fill, const GifRowSink& sink);

}  // namespace plendo::preview
