#pragma once
// What EMF+ brushes and pens paint with, as cairo sources and line styles.
#include <cairo.h>

#include <memory>

#include "codecs/EmfPlusObjects.h"
#include "codecs/MetafileCanvas.h"

namespace plendo::codecs::metafile::plus {

struct PatternDeleter {
  void operator()(cairo_pattern_t* p) const { cairo_pattern_destroy(p); }
};
using PatternPtr = std::unique_ptr<cairo_pattern_t, PatternDeleter>;

PatternPtr SolidSource(Argb colour);
// `to_picture`: the brush's world units to picture pixels; `cell`: picture
// pixels per device pixel, the size of a hatch cell.
PatternPtr BrushSource(const BrushData& brush, const cairo_matrix_t& to_picture, double cell);

// The pen's line in world units. `unit_to_world`: world units per unit of a
// pen whose width is not in world units; `to_picture` holds the line at
// one picture pixel at least.
MetafileCanvas::Line PenLine(const PenData& pen, double unit_to_world, const cairo_matrix_t& to_picture);

}  // namespace plendo::codecs::metafile::plus
