#pragma once
// Bitmaps inside metafile records, decoded by our BMP reader into cairo
// surfaces. A record keeps the header-and-palette and the pixel rows apart
// (EMF) or packed one after the other (WMF, DIB pattern brushes).
#include <cstdint>
#include <span>

#include "codecs/MetafileState.h"

namespace plendo::codecs::metafile {

// No bitmap in a metafile is decoded beyond this many pixels; a record with
// a larger header (a huge width in a small file) is skipped.
inline constexpr std::int64_t kMaxDibPixels = std::int64_t{1} << 25;

// Null when the bitmap cannot be decoded or is too large. `with_alpha` keeps
// the fourth byte of 32-bit rows as alpha (AlphaBlend with source alpha);
// otherwise 32-bit rows are opaque, as GDI draws them.
SurfacePtr DibSurface(std::span<const std::uint8_t> info, std::span<const std::uint8_t> bits,
                      bool with_alpha = false);
// A packed DIB: header, palette and rows in one block.
SurfacePtr PackedDibSurface(std::span<const std::uint8_t> packed);
// A Windows 3.0 device-dependent bitmap (WMF BITBLT/STRETCHBLT and
// CREATEPATTERNBRUSH): u16 type, width, height, width bytes; u8 planes, bits
// per pixel; u32 pointer; then the rows, top row first.
SurfacePtr Bitmap16Surface(std::span<const std::uint8_t> header_and_bits);

}  // namespace plendo::codecs::metafile
