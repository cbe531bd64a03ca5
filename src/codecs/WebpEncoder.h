#pragma once
// Encodes the working bitmap as a WebP in memory with libwebp: lossy at a
// quality of 0..100 on libwebp's scale, or lossless; alpha kept when the
// bitmap has transparency. The ICC profile goes into an ICCP chunk and the
// EXIF block into an EXIF chunk (an extended-format file, by libwebpmux).
#include <cstdint>
#include <vector>

#include "codecs/EncoderPixels.h"

namespace plendo::codecs {

// libwebp's method: 0 fastest .. 6 smallest. On a 24 MP -> 1920 batch, 1
// encodes about a tenth faster than 2 at the same SSIM for each quality
// (bench/QualityMap.cpp) and no larger files; 0 is no faster than 1.
inline constexpr int kWebpMethod = 1;

std::vector<std::uint8_t> EncodeWebp(const platform::Bitmap& bitmap, const PhotoEncodeOptions& options);

}  // namespace plendo::codecs
