#pragma once
#include <cstdint>
#include <span>

#include "platform/Bitmap.h"

namespace plendo::imaging {

// Greyscale, YCbCr, RGB, CMYK and YCCK JPEG into Bgr24. Throws DecodeError
// (or BitmapTooLarge); data cut off early decodes with the rest grey.
platform::Bitmap DecodeJpeg(std::span<const std::uint8_t> bytes);

}  // namespace plendo::imaging
