#pragma once
// Encodes the working bitmap as a WebP in memory with libwebp: lossy at a
// quality of 0..100 on libwebp's scale, or lossless; alpha kept when the
// bitmap has transparency. The ICC profile goes into an ICCP chunk and the
// EXIF block into an EXIF chunk (an extended-format file, by libwebpmux).
#include <cstdint>
#include <vector>

#include "codecs/EncoderPixels.h"

namespace plendo::codecs {

// libwebp's method: 0 fastest .. 6 smallest. On photos scaled to 1920, 0
// gives the same SSIM for each quality as 1, 2 and 4 (bench/QualityMap.cpp)
// at no more bytes than 2, in two thirds of 2's encoding time.
inline constexpr int kWebpMethod = 0;

std::vector<std::uint8_t> EncodeWebp(const platform::Bitmap& bitmap, const PhotoEncodeOptions& options);

}  // namespace plendo::codecs
