#include "codecs/EmfPlusPaint.h"

#include <algorithm>
#include <cmath>

#include "codecs/MetafileShapes.h"

namespace plendo::codecs::metafile::plus {
namespace {

// Pens are drawn at most this many picture pixels wide.
constexpr double kMaxPenPixels = 1 << 15;

void AddStop(cairo_pattern_t* p, double at, Argb c) {
  cairo_pattern_add_color_stop_rgba(p, std::clamp(at, 0.0, 1.0), c.r, c.g, c.b, c.a);
}

// Pattern space to picture pixels, inverted for cairo; false when the
// matrix cannot be inverted.
bool SetPatternMatrix(cairo_pattern_t* p, const cairo_matrix_t& space, const cairo_matrix_t& to_picture) {
  cairo_matrix_t m;
  cairo_matrix_multiply(&m, &space, &to_picture);
  if (!Usable(m) || cairo_matrix_invert(&m) != CAIRO_STATUS_SUCCESS) return false;
  cairo_pattern_set_matrix(p, &m);
  return true;
}

cairo_extend_t Extend(int wrap) {
  if (wrap == 4) return CAIRO_EXTEND_PAD;
  return wrap == 0 ? CAIRO_EXTEND_REPEAT : CAIRO_EXTEND_REFLECT;
}

// Hatch styles 0-5 as lines on an 8-pixel cell; the many percentage and
// pattern styles after them as the mix of their two colours.
PatternPtr HatchSource(const BrushData& b, double cell) {
  if (b.hatch > 5) {
    const double k = 0.5;
    return SolidSource({b.colour.a * k + b.back.a * (1 - k), b.colour.r * k + b.back.r * (1 - k),
                        b.colour.g * k + b.back.g * (1 - k), b.colour.b * k + b.back.b * (1 - k)});
  }
  const int side = std::clamp(static_cast<int>(std::lround(8 * cell)), 4, 256);
  SurfacePtr s = AdoptSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side));
  cairo_t* cr = cairo_create(s.get());
  cairo_set_source_rgba(cr, b.back.r, b.back.g, b.back.b, b.back.a);
  cairo_paint(cr);
  cairo_scale(cr, side / 8.0, side / 8.0);
  cairo_set_source_rgba(cr, b.colour.r, b.colour.g, b.colour.b, b.colour.a);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_line_width(cr, 1);
  auto line = [cr](double x0, double y0, double x1, double y1) {
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
  };
  if (b.hatch == 0 || b.hatch == 4) line(0, 3.5, 8, 3.5);
  if (b.hatch == 1 || b.hatch == 4) line(3.5, 0, 3.5, 8);
  if (b.hatch == 2 || b.hatch == 5) line(-1, -1, 9, 9), line(-1, 7, 1, 9), line(7, -1, 9, 1);
  if (b.hatch == 3 || b.hatch == 5) line(9, -1, -1, 9), line(1, -1, -1, 1), line(9, 7, 7, 9);
  cairo_stroke(cr);
  cairo_destroy(cr);
  PatternPtr p(cairo_pattern_create_for_surface(s.get()));
  cairo_pattern_set_extend(p.get(), CAIRO_EXTEND_REPEAT);
  return p;
}

PatternPtr LinearSource(const BrushData& b, const cairo_matrix_t& to_picture) {
  if (!(b.rect[2] != 0) || b.stops.empty()) return SolidSource(b.stops.empty() ? b.colour : b.stops[0].colour);
  PatternPtr p(cairo_pattern_create_linear(b.rect[0], 0, b.rect[0] + b.rect[2], 0));
  for (const Stop& s : b.stops) AddStop(p.get(), s.at, s.colour);
  cairo_pattern_set_extend(p.get(), Extend(b.wrap));
  if (!SetPatternMatrix(p.get(), b.transform, to_picture)) return SolidSource(b.stops[0].colour);
  return p;
}

// Drawn as an elliptical gradient over the outline's box, from the centre
// colour at the centre point to the surrounding colour at the box's edge.
PatternPtr PathGradientSource(const BrushData& b, const cairo_matrix_t& to_picture) {
  const auto& pts = b.boundary.points;
  if (pts.empty() || b.stops.empty()) return SolidSource(b.colour);
  double x0 = pts[0].x, x1 = x0, y0 = pts[0].y, y1 = y0;
  for (const Point& q : pts) x0 = std::min(x0, q.x), x1 = std::max(x1, q.x), y0 = std::min(y0, q.y), y1 = std::max(y1, q.y);
  const double rx = (x1 - x0) / 2, ry = (y1 - y0) / 2;
  if (!(rx > 0) || !(ry > 0)) return SolidSource(b.colour);
  PatternPtr p(cairo_pattern_create_radial(0, 0, 0, 0, 0, 1));
  for (auto s = b.stops.rbegin(); s != b.stops.rend(); ++s) AddStop(p.get(), 1 - s->at, s->colour);
  cairo_pattern_set_extend(p.get(), CAIRO_EXTEND_NONE);
  cairo_matrix_t unit;  // the unit circle onto the box, about the centre point
  cairo_matrix_init(&unit, rx, 0, 0, ry, (x0 + x1) / 2, (y0 + y1) / 2);
  cairo_matrix_t space;
  cairo_matrix_multiply(&space, &unit, &b.transform);
  if (!SetPatternMatrix(p.get(), space, to_picture)) return SolidSource(b.colour);
  return p;
}

PatternPtr TextureSource(const BrushData& b, const cairo_matrix_t& to_picture) {
  if (!b.texture) return SolidSource(b.colour);
  PatternPtr p(cairo_pattern_create_for_surface(b.texture.get()));
  cairo_pattern_set_extend(p.get(), b.wrap == 4 ? CAIRO_EXTEND_NONE : Extend(b.wrap));
  if (!SetPatternMatrix(p.get(), b.transform, to_picture)) return SolidSource(b.colour);
  return p;
}

}  // namespace

PatternPtr SolidSource(Argb c) { return PatternPtr(cairo_pattern_create_rgba(c.r, c.g, c.b, c.a)); }

PatternPtr BrushSource(const BrushData& b, const cairo_matrix_t& to_picture, double cell) {
  switch (b.kind) {
    case BrushData::Kind::Solid: return SolidSource(b.colour);
    case BrushData::Kind::Hatch: return HatchSource(b, cell);
    case BrushData::Kind::Linear: return LinearSource(b, to_picture);
    case BrushData::Kind::PathGradient: return PathGradientSource(b, to_picture);
    case BrushData::Kind::Texture: return TextureSource(b, to_picture);
  }
  return SolidSource(b.colour);
}

MetafileCanvas::Line PenLine(const PenData& pen, double unit_to_world, const cairo_matrix_t& to_picture) {
  MetafileCanvas::Line line;
  const double scale = std::sqrt(std::abs(to_picture.xx * to_picture.yy - to_picture.xy * to_picture.yx));
  double width = std::isfinite(pen.width) ? std::abs(pen.width) : 0;
  if (pen.unit != 0) width *= unit_to_world;
  if (pen.transformed) width *= std::sqrt(std::abs(pen.transform.xx * pen.transform.yy - pen.transform.xy * pen.transform.yx));
  // At least one picture pixel, as a zero-width pen is; at most a width that
  // still covers any picture, or cairo's joins take seconds to build.
  if (scale > 0 && std::isfinite(scale)) width = std::clamp(width * scale, 1.0, kMaxPenPixels) / scale;
  line.width = width;
  const auto cap = [](int c) {
    if (c == 1 || c == 0x11) return CAIRO_LINE_CAP_SQUARE;
    if (c == 2 || c == 0x12) return CAIRO_LINE_CAP_ROUND;
    return CAIRO_LINE_CAP_BUTT;
  };
  line.cap = cap(pen.start_cap == pen.end_cap ? pen.start_cap : std::max(pen.start_cap, pen.end_cap));
  line.join = pen.join == 1 ? CAIRO_LINE_JOIN_BEVEL : pen.join == 2 ? CAIRO_LINE_JOIN_ROUND : CAIRO_LINE_JOIN_MITER;
  line.miter_limit = std::isfinite(pen.miter_limit) ? pen.miter_limit : 10;
  std::vector<double> dashes;  // in pen widths
  switch (pen.style) {
    case 1: dashes = {3, 1}; break;
    case 2: dashes = {1, 1}; break;
    case 3: dashes = {3, 1, 1, 1}; break;
    case 4: dashes = {3, 1, 1, 1, 1, 1}; break;
    case 5: dashes = pen.dashes; break;
    default: break;
  }
  bool any = false;
  for (double& d : dashes) {
    // Dashes under a picture pixel would cost a segment a pixel or less.
    d = std::isfinite(d) ? std::clamp(d, 0.0, 1e4) * width : 0;
    if (d > 0 && scale > 0) d = std::max(d, 1 / scale);
    any = any || d > 0;
  }
  if (any) {
    line.dashes = std::move(dashes);
    line.dash_offset = std::isfinite(pen.dash_offset) ? pen.dash_offset * width : 0;
  }
  return line;
}

}  // namespace plendo::codecs::metafile::plus
