#pragma once
// What EMF+ brushes and pens paint with, as cairo sources and line styles.
#include <cairo.h>

#include <memory>

#include "codecs/EmfPlusObjects.h"
#include "codecs/MetafileCanvas.h"
#include "platform/CallFree.h"

namespace plendo::codecs::metafile::plus {

using PatternPtr = std::unique_ptr<cairo_pattern_t, platform::CallFree<cairo_pattern_destroy>>;

PatternPtr SolidSource(Argb colour);
// `to_picture`: the brush's world units to picture pixels; `cell`: picture
// pixels per device pixel, the size of a hatch cell.
PatternPtr BrushSource(const BrushData& brush, const cairo_matrix_t& to_picture, double cell);

// The pen's line in world units. `unit_to_world`: world units per unit of a
// pen whose width is not in world units; `to_picture` holds the line at
// one picture pixel at least.
MetafileCanvas::Line PenLine(const PenData& pen, double unit_to_world, const cairo_matrix_t& to_picture);

}  // namespace plendo::codecs::metafile::plus
