#pragma once
// Rows as the photo libraries (libheif, libwebp, libjxl) hand them out, into
// the bitmap's blue-green-red order, and the EXIF box layout HEIF and JPEG XL
// share. Used by their three readers.
#include <cstdint>
#include <span>
#include <vector>

#include "platform/Bitmap.h"

namespace plendo::codecs {

// `width` pixels of 8-bit R, G, B (and A when `channels` is 4) into B, G, R
// (and A). `rgb` and `out` may be the same row.
void StoreRgbRow(const std::uint8_t* rgb, int channels, int width, std::uint8_t* out);

// The same from 16-bit little-endian samples holding `bits` significant bits
// (9 to 16), each scaled to 8 bits with rounding, so the largest value maps
// to 255 and no level is lost to truncation.
void StoreDeepRgbRow(const std::uint8_t* rgb16, int channels, int width, int bits, std::uint8_t* out);

// Premultiplied Bgra32 to straight alpha, in place (a pixel of alpha 0
// becomes transparent black).
void Unpremultiply(platform::Bitmap& bgra);

// HEIF's EXIF item and JPEG XL's "Exif" box hold a 4-byte big-endian offset
// from the end of that word to the TIFF header, whatever precedes the header
// (usually "Exif" 00 00), then the TIFF data. That data; when the offset
// misleads (some writers leave the word out, or count from elsewhere), the
// first TIFF header ("II*\0" or "MM\0*") near the start of the box. A
// JPEG APP1 segment around the data (FF E1, length, "Exif" 00 00) bounds it
// by its length. Empty when there is none.
std::vector<std::uint8_t> TiffFromExifBox(std::span<const std::uint8_t> box);

}  // namespace plendo::codecs
