#pragma once
// EMF+ figures as paths in picture pixels: stored paths, cardinal splines
// turned into Béziers, arcs by angle; and areas (regions, clips) as the
// clip steps the canvas knows, combined by the region modes.
#include <span>
#include <vector>

#include "codecs/EmfPlusObjects.h"
#include "codecs/MetafileState.h"

namespace plendo::codecs::metafile::plus {

void AppendPath(Path& out, const cairo_matrix_t& m, const PathData& path);
// A cardinal spline through `points` with `tension` (0: straight lines), as
// Béziers: segments [first, first + segments) of the curve through all of
// them, or the whole closed curve.
void AppendCurve(Path& out, const cairo_matrix_t& m, std::span<const Point> points, double tension,
                 std::size_t first, std::size_t segments, bool closed);
// The arc of the ellipse in (x, y, w, h) from `start` degrees through
// `sweep` degrees, clockwise on screen for a positive sweep; a pie adds the
// centre.
void AppendArcByAngles(Path& out, const cairo_matrix_t& m, const RectF& box, double start, double sweep, bool pie);

// A set of picture pixels: everything, or the intersection of the steps.
struct Area {
  bool all = true;
  std::vector<ClipStep> steps;
  static Area Of(Path&& path, bool even_odd) { return {false, {ClipStep{std::move(path), even_odd, false}}}; }
  static Area Nothing() { return {false, {ClipStep{}}}; }
};
// 0 replace (b), 1 intersect, 2 union, 3 xor, 4 exclude (a without b),
// 5 complement (b without a). Exact for the shapes real files combine (a
// step list with one of its own); others are approximated by their union.
Area Combine(Area a, Area b, int mode);
Area RegionArea(const RegionNode& node, const cairo_matrix_t& m);

}  // namespace plendo::codecs::metafile::plus
