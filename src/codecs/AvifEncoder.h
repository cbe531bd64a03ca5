#pragma once
// Encodes the working bitmap as an AVIF in memory with libavif: 8-bit 4:2:0
// YUV, alpha as an auxiliary image when the bitmap has transparency, the ICC
// profile in a colr box (sRGB code points without one), the EXIF block as an
// Exif item. The pixels must already stand upright: the block's Orientation
// should say 1 (viewers disagree on AVIF's own turning and mirroring).
#include <cstdint>
#include <vector>

#include "codecs/EncoderPixels.h"

namespace plendo::codecs {

// AV1 encoder and speed chosen with bench/compare.sh on 8 x 24 MP -> 1920:
// libaom at speed 9 keeps a batch above a third of the JPEG's throughput.
inline constexpr int kAvifSpeed = 9;

// `options.quality` 0..100: the quantizer is (100 - quality) x 63 / 100,
// rounded, for colour and alpha alike.
std::vector<std::uint8_t> EncodeAvif(const platform::Bitmap& bitmap, const PhotoEncodeOptions& options);

}  // namespace plendo::codecs
