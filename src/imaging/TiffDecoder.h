#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "platform/Bitmap.h"

namespace plendo::imaging {

// The first page of a TIFF of any photometric interpretation, Bgra32
// (straight alpha). Throws DecodeError.
platform::Bitmap DecodeTiff(std::span<const std::uint8_t> bytes);

// The first page's ICC profile (tag 34675) as stored; empty when there is
// none or the file cannot be opened.
std::vector<std::uint8_t> ReadTiffIccProfile(std::span<const std::uint8_t> bytes);

}  // namespace plendo::imaging
