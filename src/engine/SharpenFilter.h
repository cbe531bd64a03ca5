#pragma once
// The 3x3 sharpening filter run after the draw.
#include <array>
#include <cstdint>

#include "platform/Bitmap.h"

namespace plendo::engine {

using Kernel3x3 = std::array<std::int16_t, 9>;  // row by row from the top; [4] is the centre

std::uint8_t ClampByte(int value);
// Converts `source` to 24 bits in place and gives `target` the same format and size.
void Make24BitPair(platform::Bitmap& source, platform::Bitmap& target);
// Takes the bitmap and returns a new 24-bit one of the same size.
platform::Bitmap Convolve3x3(platform::Bitmap bitmap, const Kernel3x3& kernel, std::uint8_t divisor,
                             std::uint8_t bias);

}  // namespace plendo::engine
