#pragma once
#include <cstdint>
#include <span>

#include "platform/Bitmap.h"

namespace plendo::imaging {

struct JpegSize {
  int width = 0;
  int height = 0;
};

// The frame's size from the header alone, without decoding. Throws
// DecodeError when the header cannot be read.
JpegSize ReadJpegSize(std::span<const std::uint8_t> bytes);

// Greyscale, YCbCr, RGB, CMYK and YCCK JPEG into Bgr24. Throws DecodeError
// (or BitmapTooLarge); data cut off early decodes with the rest grey.
// `scale_denominator` 2, 4 or 8 decodes straight at that fraction of the size
// by DCT scaling, ceil(width / d) x ceil(height / d), which is far cheaper
// than decoding whole and shrinking; the pixel limit applies to that scaled
// size. Any other denominator than 1, 2, 4, 8 throws std::invalid_argument.
platform::Bitmap DecodeJpeg(std::span<const std::uint8_t> bytes, int scale_denominator = 1);

// The largest denominator d in {8, 4, 2, 1} that still leaves the decoded
// picture `headroom` times the target size on both axes
// (source / d >= headroom * target), so the resampler shrinks from enough
// detail; 1 when none does or a target size is not positive.
int ChooseJpegScale(int source_width, int source_height, double target_width, double target_height,
                    double headroom);

}  // namespace plendo::imaging
