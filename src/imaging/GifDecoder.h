#pragma once
#include <cstdint>
#include <span>

#include "platform/Bitmap.h"

namespace plendo::imaging {

// The first frame of a GIF on its logical screen, Bgra32: the transparent
// index and the screen the frame leaves uncovered are transparent, parts
// outside the screen are dropped. The frame is the first image, joined by the
// images after it while they are tiles of one picture (a "true colour" GIF:
// no graphic control extension on any, none overlapping another, until the
// screen is covered). An LZW code size above 8 is read as 8, and a file with
// no colour table shows its indices as grey levels. Data cut off inside the
// frame keeps what was decoded. Throws DecodeError.
platform::Bitmap DecodeGif(std::span<const std::uint8_t> bytes);

}  // namespace plendo::imaging
