#pragma once
#include <cstdint>
#include <span>

#include "platform/Bitmap.h"

namespace plendo::imaging {

// The first frame of a GIF on its logical screen, Bgra32: the transparent
// index and the screen the frame leaves uncovered are transparent, parts
// outside the screen are dropped. Images without a graphic control extension
// belong to the frame of the image after them. Data cut off inside the frame
// keeps what was decoded. Throws DecodeError.
platform::Bitmap DecodeGif(std::span<const std::uint8_t> bytes);

}  // namespace plendo::imaging
