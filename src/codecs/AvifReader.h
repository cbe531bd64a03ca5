#pragma once
// AVIF files that libheif does not take, through libavif: image sequences
// (".avifs", or an AVIF whose brands name only the sequence) give their
// first frame, as an animated WebP or GIF does, and layered files their
// primary layer. Takes bytes, never a path.
#include <cstdint>
#include <span>

#include "platform/Bitmap.h"

namespace plendo::codecs {

// The file type box names an AVIF brand, still ("avif") or sequence
// ("avis"), as major or compatible brand.
bool NamesAvif(std::span<const std::uint8_t> bytes);

// The first image: Bgr24, or Bgra32 (straight alpha) when it has alpha,
// deep samples scaled to 8 bits, PQ and HLG tone-mapped to sRGB. The size
// is checked against the pixel limit before any frame is decoded. Throws
// HeifError or BitmapTooLarge.
platform::Bitmap DecodeAvif(std::span<const std::uint8_t> bytes);

}  // namespace plendo::codecs
