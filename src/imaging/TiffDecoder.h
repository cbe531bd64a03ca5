#pragma once
#include <cstdint>
#include <span>

#include "platform/Bitmap.h"

namespace plendo::imaging {

// The first page of a TIFF of any photometric interpretation, Bgra32
// (straight alpha). Throws DecodeError.
platform::Bitmap DecodeTiff(std::span<const std::uint8_t> bytes);

}  // namespace plendo::imaging
