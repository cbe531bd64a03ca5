#include "codecs/MetafileShapes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plendo::codecs::metafile {
namespace {

constexpr double kPi = std::numbers::pi;

void Add(Path& path, PathOp::Kind kind, Point a = {}, Point b = {}, Point c = {}) {
  path.push_back(PathOp{kind, {a, b, c}});
}

// Logical-space ellipse arc from angle a0 by `sweep`, as Béziers of at most
// a quarter turn each.
void AppendEllipseArc(Path& path, const cairo_matrix_t& m, Point c, double rx, double ry, double a0,
                      double sweep) {
  if (!std::isfinite(a0) || !std::isfinite(sweep)) return;  // a damaged record's angles
  const int pieces = std::clamp(static_cast<int>(std::ceil(std::abs(sweep) / (kPi / 2) - 1e-9)), 1, 8);
  const double step = sweep / pieces;
  const double k = 4.0 / 3.0 * std::tan(step / 4);
  double a = a0;
  for (int i = 0; i < pieces; ++i, a += step) {
    const double b = a + step;
    const Point p1{c.x + rx * (std::cos(a) - k * std::sin(a)), c.y + ry * (std::sin(a) + k * std::cos(a))};
    const Point p2{c.x + rx * (std::cos(b) + k * std::sin(b)), c.y + ry * (std::sin(b) - k * std::cos(b))};
    const Point p3{c.x + rx * std::cos(b), c.y + ry * std::sin(b)};
    Add(path, PathOp::Curve, Apply(m, p1), Apply(m, p2), Apply(m, p3));
  }
}

double Det(const cairo_matrix_t& m) { return m.xx * m.yy - m.xy * m.yx; }

}  // namespace

Point Apply(const cairo_matrix_t& m, Point p) {
  return {m.xx * p.x + m.xy * p.y + m.x0, m.yx * p.x + m.yy * p.y + m.y0};
}

bool Usable(const cairo_matrix_t& m) {
  for (double v : {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0})
    if (!std::isfinite(v) || std::abs(v) > 1e12) return false;
  const double det = Det(m);
  return std::isfinite(det) && std::abs(det) > 1e-18;
}

void AppendPolyline(Path& path, const cairo_matrix_t& m, std::span<const Point> points, bool close) {
  if (points.empty()) return;
  Add(path, PathOp::Move, Apply(m, points[0]));
  for (std::size_t i = 1; i < points.size(); ++i) Add(path, PathOp::Line, Apply(m, points[i]));
  if (close) Add(path, PathOp::Close);
}

void AppendBeziers(Path& path, const cairo_matrix_t& m, std::span<const Point> points, bool move_first) {
  std::size_t i = 0;
  if (move_first) {
    if (points.empty()) return;
    Add(path, PathOp::Move, Apply(m, points[0]));
    i = 1;
  }
  for (; i + 3 <= points.size(); i += 3)
    Add(path, PathOp::Curve, Apply(m, points[i]), Apply(m, points[i + 1]), Apply(m, points[i + 2]));
}

void AppendRectangle(Path& path, const cairo_matrix_t& m, double l, double t, double r, double b) {
  const Point corners[] = {{l, t}, {r, t}, {r, b}, {l, b}};
  AppendPolyline(path, m, corners, true);
}

void AppendEllipse(Path& path, const cairo_matrix_t& m, double l, double t, double r, double b) {
  const Point c{(l + r) / 2, (t + b) / 2};
  const double rx = std::abs(r - l) / 2, ry = std::abs(b - t) / 2;
  Add(path, PathOp::Move, Apply(m, {c.x + rx, c.y}));
  AppendEllipseArc(path, m, c, rx, ry, 0, 2 * kPi);
  Add(path, PathOp::Close);
}

void AppendRoundRect(Path& path, const cairo_matrix_t& m, double l, double t, double r, double b, double w,
                     double h) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  const double rx = std::min(std::abs(w) / 2, (r - l) / 2), ry = std::min(std::abs(h) / 2, (b - t) / 2);
  if (rx <= 0 || ry <= 0) return AppendRectangle(path, m, l, t, r, b);
  Add(path, PathOp::Move, Apply(m, {l + rx, t}));
  Add(path, PathOp::Line, Apply(m, {r - rx, t}));
  AppendEllipseArc(path, m, {r - rx, t + ry}, rx, ry, -kPi / 2, kPi / 2);
  Add(path, PathOp::Line, Apply(m, {r, b - ry}));
  AppendEllipseArc(path, m, {r - rx, b - ry}, rx, ry, 0, kPi / 2);
  Add(path, PathOp::Line, Apply(m, {l + rx, b}));
  AppendEllipseArc(path, m, {l + rx, b - ry}, rx, ry, kPi / 2, kPi / 2);
  Add(path, PathOp::Line, Apply(m, {l, t + ry}));
  AppendEllipseArc(path, m, {l + rx, t + ry}, rx, ry, kPi, kPi / 2);
  Add(path, PathOp::Close);
}

Point AppendArc(Path& path, const cairo_matrix_t& m, double l, double t, double r, double b, Point start,
                Point end, bool clockwise, ArcKind kind, bool connect) {
  const Point c{(l + r) / 2, (t + b) / 2};
  const double rx = std::abs(r - l) / 2, ry = std::abs(b - t) / 2;
  if (rx <= 0 || ry <= 0) return c;
  const double a0 = std::atan2((start.y - c.y) / ry, (start.x - c.x) / rx);
  const double a1 = std::atan2((end.y - c.y) / ry, (end.x - c.x) / rx);
  // In output pixels (y down) counter-clockwise turns toward smaller angles;
  // a matrix that mirrors turns it round.
  const bool toward_smaller = (Det(m) > 0) != clockwise;
  double sweep = toward_smaller ? a0 - a1 : a1 - a0;
  while (sweep <= 1e-12) sweep += 2 * kPi;
  while (sweep > 2 * kPi) sweep -= 2 * kPi;
  if (toward_smaller) sweep = -sweep;
  const Point first{c.x + rx * std::cos(a0), c.y + ry * std::sin(a0)};
  if (kind == ArcKind::Pie) {
    Add(path, PathOp::Move, Apply(m, c));
    Add(path, PathOp::Line, Apply(m, first));
  } else {
    Add(path, connect && !path.empty() ? PathOp::Line : PathOp::Move, Apply(m, first));
  }
  AppendEllipseArc(path, m, c, rx, ry, a0, sweep);
  if (kind != ArcKind::Open) Add(path, PathOp::Close);
  return {c.x + rx * std::cos(a0 + sweep), c.y + ry * std::sin(a0 + sweep)};
}

Point AppendAngleArc(Path& path, const cairo_matrix_t& m, Point centre, double radius, double start_deg,
                     double sweep_deg, bool connect) {
  // Angles count counter-clockwise with y up, so they are negated for y down.
  const double a0 = -start_deg * kPi / 180, sweep = -std::clamp(sweep_deg, -3600.0, 3600.0) * kPi / 180;
  const Point first{centre.x + radius * std::cos(a0), centre.y + radius * std::sin(a0)};
  Add(path, connect && !path.empty() ? PathOp::Line : PathOp::Move, Apply(m, first));
  if (radius > 0 && sweep != 0) AppendEllipseArc(path, m, centre, radius, radius, a0, sweep);
  return {centre.x + radius * std::cos(a0 + sweep), centre.y + radius * std::sin(a0 + sweep)};
}

}  // namespace plendo::codecs::metafile
