#pragma once
// A source's embedded ICC colour profile, and turning pixels into sRGB by it.
// Pixels are never changed unless a caller asks for sRGB.
#include <cstdint>
#include <span>
#include <vector>

#include "platform/Bitmap.h"

namespace plendo::imaging {

// The profile exactly as embedded: a JPEG's APP2 "ICC_PROFILE" chunks joined
// in their order, a PNG's iCCP chunk inflated, a TIFF's tag 34675, a HEIF's
// colour box, a WebP's ICCP chunk or a JPEG XL's own profile. Empty when
// the source has none, or when it cannot be read whole (a chunk missing, a
// bad stream): half a profile is worse than none.
std::vector<std::uint8_t> ReadIccProfile(std::span<const std::uint8_t> bytes);

// Whether a profile describes RGB data, so that it fits a colour JPEG (a
// CMYK or grey source's profile does not).
bool DescribesRgb(std::span<const std::uint8_t> profile);

// Converts a Bgr24 or Bgra32 bitmap (alpha untouched) from the colours `profile` describes to sRGB
// (perceptual intent). False, leaving the pixels as they are, when the
// profile cannot be used (damaged, not an RGB profile).
bool ConvertToSrgb(platform::Bitmap& bitmap, std::span<const std::uint8_t> profile);

}  // namespace plendo::imaging
