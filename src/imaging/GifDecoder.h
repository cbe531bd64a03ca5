#pragma once
#include <cstdint>
#include <span>

#include "platform/Bitmap.h"

namespace plendo::imaging {

// The first frame of a GIF placed on its logical screen, Bgra32: the frame's
// transparent index and the screen outside the frame are transparent. Data
// cut off inside the frame keeps the rows decoded so far. Throws DecodeError.
platform::Bitmap DecodeGif(std::span<const std::uint8_t> bytes);

}  // namespace plendo::imaging
