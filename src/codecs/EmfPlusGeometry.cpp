#include "codecs/EmfPlusGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "codecs/MetafileShapes.h"

namespace plendo::codecs::metafile::plus {
namespace {

void Add(Path& path, PathOp::Kind kind, Point a = {}, Point b = {}, Point c = {}) {
  path.push_back(PathOp{kind, {a, b, c}});
}

Point Lerp(Point from, Point along, double k) { return {from.x + along.x * k, from.y + along.y * k}; }

// A single step that keeps what lies outside a one-step area.
bool Single(const Area& a) { return !a.all && a.steps.size() == 1; }

Area Flipped(Area a) {
  a.steps[0].outside = !a.steps[0].outside;
  return a;
}

// The union of two areas as one step: exact for one inside step each whose
// outlines turn the same way (rectangles, regions' rectangle lists).
Area Union(const Area& a, const Area& b, bool even_odd) {
  if (a.all || b.all) return {};
  ClipStep merged;
  merged.even_odd = even_odd;
  for (const Area* part : {&a, &b})
    for (const ClipStep& s : part->steps)
      if (!s.outside) merged.path.insert(merged.path.end(), s.path.begin(), s.path.end());
  return {false, {std::move(merged)}};
}

Area Intersect(Area a, Area b) {
  if (a.all) return b;
  if (b.all) return a;
  a.steps.insert(a.steps.end(), std::make_move_iterator(b.steps.begin()), std::make_move_iterator(b.steps.end()));
  return a;
}

Area Exclude(Area a, Area b) {
  if (b.all) return Area::Nothing();
  if (Single(b)) return Intersect(std::move(a), Flipped(std::move(b)));
  return a;  // the complement of an intersection of several: kept whole
}

}  // namespace

void AppendPath(Path& out, const cairo_matrix_t& m, const PathData& path) {
  const std::size_t n = std::min(path.points.size(), path.types.size());
  bool open = false;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t type = path.types[i] & 7;
    if (type == 3 && open && i + 2 < n) {
      Add(out, PathOp::Curve, Apply(m, path.points[i]), Apply(m, path.points[i + 1]), Apply(m, path.points[i + 2]));
      i += 2;
    } else {
      Add(out, type == 0 || !open ? PathOp::Move : PathOp::Line, Apply(m, path.points[i]));
      open = true;
    }
    if (path.types[i] & 0x80) {
      Add(out, PathOp::Close);
      open = false;
    }
  }
}

void AppendCurve(Path& out, const cairo_matrix_t& m, std::span<const Point> p, double tension, std::size_t first,
                 std::size_t segments, bool closed) {
  const std::size_t n = p.size();
  if (n < 2 || !std::isfinite(tension)) return;
  const auto at = [&](std::ptrdiff_t i) {
    if (closed) return p[static_cast<std::size_t>((i % std::ptrdiff_t(n) + std::ptrdiff_t(n)) % std::ptrdiff_t(n))];
    return p[static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(i, 0, std::ptrdiff_t(n) - 1))];
  };
  const double k = tension / 3;
  const std::size_t total = closed ? n : n - 1;
  if (first >= total) return;
  segments = std::min(segments, total - first);
  Add(out, PathOp::Move, Apply(m, p[first]));
  for (std::size_t s = first; s < first + segments; ++s) {
    const auto i = static_cast<std::ptrdiff_t>(s);
    const Point a = at(i), b = at(i + 1), before = at(i - 1), after = at(i + 2);
    const Point c1 = Lerp(a, {b.x - before.x, b.y - before.y}, k);
    const Point c2 = Lerp(b, {after.x - a.x, after.y - a.y}, -k);
    Add(out, PathOp::Curve, Apply(m, c1), Apply(m, c2), Apply(m, b));
  }
  if (closed) Add(out, PathOp::Close);
}

void AppendArcByAngles(Path& out, const cairo_matrix_t& m, const RectF& box, double start, double sweep, bool pie) {
  if (!std::isfinite(start) || !std::isfinite(sweep) || sweep == 0 || box.w == 0 || box.h == 0) return;
  const double rad = std::numbers::pi / 180;
  sweep = std::clamp(sweep, -360.0, 360.0);
  const Point c{box.x + box.w / 2, box.y + box.h / 2};
  const Point from{c.x + std::cos(start * rad), c.y + std::sin(start * rad)};
  const Point to{c.x + std::cos((start + sweep) * rad), c.y + std::sin((start + sweep) * rad)};
  // AppendArc turns by its own reckoning of the output; asked to turn with
  // growing angles in world units whatever the matrix does.
  const bool keeps = m.xx * m.yy - m.xy * m.yx > 0;
  const bool clockwise = (sweep > 0) == keeps;
  if (std::abs(sweep) >= 360) {
    AppendEllipse(out, m, box.x, box.y, box.x + box.w, box.y + box.h);
    return;
  }
  AppendArc(out, m, box.x, box.y, box.x + box.w, box.y + box.h, from, to, clockwise,
            pie ? ArcKind::Pie : ArcKind::Open, false);
}

Area Combine(Area a, Area b, int mode) {
  switch (mode) {
    case 0: return b;
    case 1: return Intersect(std::move(a), std::move(b));
    case 2: return Union(a, b, false);
    case 3:
      if (a.all) return Exclude(std::move(a), std::move(b));
      if (b.all) return Exclude(std::move(b), std::move(a));
      return Union(a, b, true);
    case 4: return Exclude(std::move(a), std::move(b));
    case 5: return Exclude(std::move(b), std::move(a));
    default: return a;
  }
}

Area RegionArea(const RegionNode& node, const cairo_matrix_t& m) {
  switch (node.kind) {
    case RegionNode::Kind::Rect: {
      Path p;
      AppendRectangle(p, m, node.rect[0], node.rect[1], node.rect[0] + node.rect[2], node.rect[1] + node.rect[3]);
      return Area::Of(std::move(p), false);
    }
    case RegionNode::Kind::Path: {
      Path p;
      AppendPath(p, m, node.path);
      return Area::Of(std::move(p), true);
    }
    case RegionNode::Kind::Empty: return Area::Nothing();
    case RegionNode::Kind::Infinite: return {};
    case RegionNode::Kind::Combine:
      if (!node.left || !node.right) return {};
      return Combine(RegionArea(*node.left, m), RegionArea(*node.right, m), node.mode);
  }
  return {};
}

}  // namespace plendo::codecs::metafile::plus
