#pragma once
// The 3x3 sharpening filter run after the draw.
#include <array>
#include <cstdint>
#include <vector>

#include "platform/Bitmap.h"

namespace plendo::engine {

using Kernel3x3 = std::array<std::int16_t, 9>;  // row by row from the top; [4] is the centre

std::uint8_t ClampByte(int value);
// Converts `source` to 24 bits in place and gives `target` the same format and size.
void Make24BitPair(platform::Bitmap& source, platform::Bitmap& target);
// Takes the bitmap and returns it sharpened, as 24 bits (converted first when
// it has another format).
platform::Bitmap Convolve3x3(platform::Bitmap bitmap, const Kernel3x3& kernel, std::uint8_t divisor,
                             std::uint8_t bias);

// Sharpens a Bgr24 bitmap in place while it is still being drawn: once row y
// is final, row y - 1 has all its neighbours and is sharpened at once, while
// it is still in the cache. Edges replicate, each channel's sum is divided
// truncating toward zero (a divisor of 0 divides by 1), the bias is added
// and the result clamped to 0..255.
//
// The bitmap must stay alive and keep its size until Finish(). It keeps the
// unsharpened copies of the two rows the next output still reads.
class RowSharpener {
 public:
  RowSharpener(platform::Bitmap& bitmap, const Kernel3x3& kernel, std::uint8_t divisor, std::uint8_t bias);

  // Rows 0..y are final. Calls must not go back; skipped rows count as final.
  // Once the last row is final the whole bitmap is sharpened.
  void RowReady(int y);
  // Sharpens every row not yet done; later calls do nothing.
  void Finish();

 private:
  void SharpenRow(int y);

  platform::Bitmap& bitmap_;
  Kernel3x3 kernel_;
  int divisor_;
  int bias_;
  int done_ = 0;  // rows 0..done_ - 1 are sharpened
  std::vector<std::uint8_t> above_;  // row done_ - 1 as it was before sharpening
  std::vector<std::uint8_t> row_;    // row done_, copied just before it is overwritten
};

}  // namespace plendo::engine
