#pragma once
// Encodes the working bitmap as a WebP in memory with libwebp: lossy at a
// quality of 0..100 on libwebp's scale, or lossless; alpha kept when the
// bitmap has transparency. The ICC profile goes into an ICCP chunk and the
// EXIF block into an EXIF chunk (an extended-format file, by libwebpmux).
#include <cstdint>
#include <vector>

#include "codecs/EncoderPixels.h"

namespace plendo::codecs {

// libwebp's method: 0 fastest .. 6 smallest. 2 keeps a 24 MP -> 1920 batch
// near the JPEG's speed at a few per cent more bytes than the default 4
// (bench/compare.sh).
inline constexpr int kWebpMethod = 2;

std::vector<std::uint8_t> EncodeWebp(const platform::Bitmap& bitmap, const PhotoEncodeOptions& options);

}  // namespace plendo::codecs
