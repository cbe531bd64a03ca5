#pragma once
// Windows metafiles: an optional placeable header (key 0x9AC6CDD7, the
// picture's box and units per inch), the 18-byte metafile header, records.
#include <cstdint>
#include <span>

#include "codecs/MetafileCanvas.h"
#include "codecs/MetafilePlay.h"

namespace plendo::codecs::metafile {

struct WmfHeader {
  bool placeable = false;
  double left = 0, top = 0, right = 0, bottom = 0;  // logical units
  double units_per_inch = 0;                        // placeable files only
  std::size_t records_at = 0;
  std::uint16_t objects = 0;
  // The part of the box shown, as fractions of it: the whole box unless the
  // drawing runs outside it (see FitWmfToDrawing).
  double view_x0 = 0, view_y0 = 0, view_x1 = 1, view_y1 = 1;
};

// Throws MetafileError when the header cannot be read or the file gives no
// size (no placeable box and no window extent).
WmfHeader ParseWmfHeader(std::span<const std::uint8_t> bytes);

// A drawing that runs outside its box is shown whole: the view becomes the
// drawing's own extent, as the picture is meant to be seen in full.
void FitWmfToDrawing(std::span<const std::uint8_t> bytes, WmfHeader& header);

// The picture's box, (left, top) to (right, bottom), fills width x height.
PlayResult PlayWmf(std::span<const std::uint8_t> bytes, const WmfHeader& header, MetafileCanvas& canvas,
                   double width, double height);

}  // namespace plendo::codecs::metafile
