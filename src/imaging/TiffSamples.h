#pragma once
// TIFF sample layouts that libtiff decodes but its RGBA reader does not
// take: grey and RGB of 2, 4, 12 or 32 bits, integer or floating point,
// and 16-bit CMYK. The samples come through libtiff's scanline reader and
// are scaled to 8 bits.
#include <tiffio.h>

#include "platform/Bitmap.h"

namespace plendo::imaging {

// The first directory's picture as stored (rows top first, no turning), as
// straight Bgra32 without row padding. Integer samples of up to 16 bits are
// scaled by their full range; floating-point and 32-bit samples by the
// file's SMinSampleValue and SMaxSampleValue where it gives them, else by
// the range the data spans. Throws DecodeError for a layout it cannot read.
platform::Bitmap ReadTiffSamples(TIFF* tif, std::uint32_t width, std::uint32_t height);

}  // namespace plendo::imaging
