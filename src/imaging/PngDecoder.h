#pragma once
#include <cstdint>
#include <span>

#include "platform/Bitmap.h"

namespace plendo::imaging {

// Every PNG colour type and bit depth into Bgra32 when the file has alpha or
// a transparent colour (tRNS), Bgr24 otherwise; 16-bit samples are scaled to
// 8, interlaced files deinterlaced, gamma chunks ignored. Throws DecodeError
// (or BitmapTooLarge).
platform::Bitmap DecodePng(std::span<const std::uint8_t> bytes);

}  // namespace plendo::imaging
