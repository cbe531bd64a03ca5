#pragma once
// The decoded PNG as the preview keeps it, one stored layout per colour type
// and bit depth:
//
//   grey 1/4/8        Indexed1/4/8, the samples as they are (grey ramp palette)
//   grey 2            Indexed4, sample v stored as 5 x v (its step in 16 levels)
//   grey 16           Indexed8 of the high bytes; low bytes in `low`
//   palette 1/4/8     Indexed1/4/8, the indices as they are
//   palette 2         Indexed4, the index as it is
//   truecolour 8/16   Bgr24, gamma-corrected (16: high bytes; low bytes, also
//                     corrected, in `low` in the same place)
//   grey+alpha 8/16   Indexed8 grey (16: high byte, low byte in `low`); alpha
//   colour+alpha      Bgr24 as truecolour; alpha
//
// `alpha` is width x height bytes, first row first (16 bits: the high byte),
// never gamma-corrected. `low` is laid out like the pixel rows.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Bitmap.h"
#include "preview/PngChunks.h"

namespace plendo::preview {

using PngGamma = std::array<std::uint8_t, 256>;

struct PngRaster {
  PngHeader header;
  platform::Bitmap pixels;
  std::vector<std::uint8_t> alpha;
  std::vector<std::uint8_t> low;
  // Truecolour with a colour key: the key's samples as the file writes them
  // (red, green, blue, big-endian 16 bits each), and one byte per pixel, 1
  // where the pixel's samples equal it. Compared before gamma, because the
  // gamma table maps neighbouring samples onto one value.
  std::optional<std::array<std::uint8_t, 6>> colour_key;
  std::vector<std::uint8_t> keyed;

  // Allocates the zeroed planes for a header that passed
  // CheckHeaderForDecoding.
  static PngRaster For(const PngHeader& header);
  // Starts marking the pixels that match `key` (truecolour layouts only).
  void SetColourKey(const std::array<std::uint8_t, 6>& key);

  // Stores pixel `i` of an unfiltered row of samples at column x, row y.
  void StorePixel(const std::uint8_t* samples, std::uint32_t i, int x, int y, const PngGamma& gamma);
  // A whole image row at once where no conversion is needed (indexed
  // layouts at 1, 4 or 8 bits); false when this layout needs StorePixel.
  bool StoreRowAsIs(const std::uint8_t* samples, int y);
  // A whole row of 8-bit truecolour (with or without alpha, no colour key)
  // in one pass, as StorePixel would store it pixel by pixel; false for
  // every other layout.
  bool StoreTruecolourRow(const std::uint8_t* samples, int y, const PngGamma& gamma);

  // The palette index at (x, y) of an indexed layout.
  unsigned IndexAt(int x, int y) const;
};

// Bits of one pixel in the file, and bytes of one whole pixel (at least 1).
unsigned PngBitsPerPixel(const PngHeader& header);
unsigned PngFilterOffset(const PngHeader& header);

}  // namespace plendo::preview
