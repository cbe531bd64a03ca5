#pragma once
// EXIF and colour profiles that HEIF (and AVIF), JPEG XL and WebP sources
// keep in boxes and chunks of their own, where a JPEG keeps them in APPn
// segments.
#include <cstdint>
#include <span>
#include <vector>

namespace plendo::imaging {

// The EXIF block of a HEIF, JPEG XL or WebP source wrapped as a JPEG stream
// of one APP1 segment (FF D8, FF E1, length, "Exif" 00 00, the TIFF data,
// FF D9), which the EXIF component reads exactly as a JPEG source's. HEIF and
// JPEG XL pixels come out already turned as the file says, so the block's
// Orientation is set to 1 there: a viewer must not turn them again. Empty for
// any other source, a source without a block, or a block too large for one
// segment.
std::vector<std::uint8_t> ContainerExifAsJpeg(std::span<const std::uint8_t> source);

// The ICC profile of a HEIF, JPEG XL or WebP source exactly as stored (for
// JPEG XL, only when its pixels are decoded in it), or for a HEIF without
// one, a profile made from its nclx colour box when that is not sRGB. Empty
// for any other source or when there is none.
std::vector<std::uint8_t> ContainerIccProfile(std::span<const std::uint8_t> source);

}  // namespace plendo::imaging
