#pragma once
// The figures GDI draws, built as paths in output pixels: each logical point
// goes through the logical-to-output matrix, and curves are Béziers, which an
// affine matrix maps exactly.
#include <span>

#include "codecs/MetafileState.h"

namespace plendo::codecs::metafile {

Point Apply(const cairo_matrix_t& m, Point p);
// A matrix cairo can invert and whose numbers are finite; records can ask
// for anything, and a singular matrix would put cairo into an error state.
bool Usable(const cairo_matrix_t& m);

void AppendPolyline(Path& path, const cairo_matrix_t& m, std::span<const Point> points, bool close);
// Cubic segments after a start point: 3 points a curve.
void AppendBeziers(Path& path, const cairo_matrix_t& m, std::span<const Point> points, bool move_first);
void AppendRectangle(Path& path, const cairo_matrix_t& m, double l, double t, double r, double b);
void AppendEllipse(Path& path, const cairo_matrix_t& m, double l, double t, double r, double b);
void AppendRoundRect(Path& path, const cairo_matrix_t& m, double l, double t, double r, double b, double w,
                     double h);

enum class ArcKind { Open, Chord, Pie };
// The arc of the ellipse in the box from the ray through `start` to the ray
// through `end`, counter-clockwise as seen in the output unless `clockwise`;
// equal rays give the whole ellipse. `connect` draws a line from the current
// point to the arc's start instead of starting a new figure. Returns the
// arc's end point in logical units.
Point AppendArc(Path& path, const cairo_matrix_t& m, double l, double t, double r, double b, Point start,
                Point end, bool clockwise, ArcKind kind, bool connect);
// A circle arc by angles in degrees (counter-clockwise positive).
Point AppendAngleArc(Path& path, const cairo_matrix_t& m, Point centre, double radius, double start_deg,
                     double sweep_deg, bool connect);

}  // namespace plendo::codecs::metafile
