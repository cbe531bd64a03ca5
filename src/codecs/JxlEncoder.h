#pragma once
// Encodes the working bitmap as a JPEG XL in memory with libjxl: lossy at a
// Butteraugli distance, or lossless; alpha as an extra channel when the
// bitmap has transparency; the ICC profile as its colour encoding (sRGB
// without one); the EXIF block in an Exif box; the Orientation also in the
// codestream's header, which is what JPEG XL decoders turn by.
#include <cstdint>
#include <vector>

#include "codecs/EncoderPixels.h"

namespace plendo::codecs {

// libjxl's effort 1 (fastest) .. 9; 3 keeps a 24 MP -> 1920 batch near the
// JPEG's speed.
inline constexpr int kJxlEffort = 3;

// `options.quality` 0..100 maps to a distance as cjxl maps its quality:
// 0.1 + (100 - q) x 0.09 from 30 up, growing faster below; with
// `options.lossless` the frame is lossless.
std::vector<std::uint8_t> EncodeJxl(const platform::Bitmap& bitmap, const PhotoEncodeOptions& options);

}  // namespace plendo::codecs
