#pragma once
// Encodes the working bitmap as a PNG in memory with libpng: 8-bit RGB, or
// RGBA when it has transparency; the ICC profile as iCCP, the EXIF block as
// eXIf (both before the image data). Lossless: quality is not used.
#include <cstdint>
#include <vector>

#include "codecs/EncoderPixels.h"

namespace plendo::codecs {

std::vector<std::uint8_t> EncodePng(const platform::Bitmap& bitmap, const PhotoEncodeOptions& options);

}  // namespace plendo::codecs
