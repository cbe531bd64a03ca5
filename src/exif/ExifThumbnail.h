#pragma once
// The thumbnail the writer puts into IFD1: the picture of the written JPEG,
// stretched nearest-neighbour to at most 160 x 120 (never enlarged).
#include <cstddef>
#include <cstdint>

#include "platform/Bitmap.h"

namespace plendo::exif {

struct ThumbnailSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const ThumbnailSize&, const ThumbnailSize&) = default;
};

// Scale = min(160 / width, 120 / height, 1); each side rounded to the nearest
// integer with ties to even, and at least 1.
ThumbnailSize FitThumbnail(int width, int height);

// Decodes the JPEG file in `data` row by row (only one source row is held at
// a time), at the smallest DCT scale that keeps a pixel for every thumbnail
// pixel, into a 24-bit thumbnail of FitThumbnail's size (of the full
// picture), nearest pixel. Raises EJPEG.
platform::Bitmap DecodeJpegThumbnail(const std::uint8_t* data, std::size_t size);

}  // namespace plendo::exif
