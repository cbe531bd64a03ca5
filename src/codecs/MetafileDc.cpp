#include "codecs/MetafileDc.h"

#include <algorithm>
#include <cmath>

namespace plendo::codecs::metafile {
namespace {

constexpr std::size_t kMaxSavedStates = 4096;

// Millimetres per logical unit of the metric mapping modes.
double MillimetresPerUnit(int mode) {
  switch (mode) {
    case kMmLoMetric: return 0.1;
    case kMmHiMetric: return 0.01;
    case kMmLoEnglish: return 0.254;
    case kMmHiEnglish: return 0.0254;
    case kMmTwips: return 25.4 / 1440;
    default: return 0;
  }
}

cairo_matrix_t Multiply(const cairo_matrix_t& first, const cairo_matrix_t& then) {
  cairo_matrix_t r;
  cairo_matrix_multiply(&r, &first, &then);
  return r;
}

}  // namespace

MetafileDc::MetafileDc(MetafileCanvas& canvas, const cairo_matrix_t& device_to_picture, Point device_per_mm)
    : canvas_(canvas), device_(device_to_picture), device_per_mm_(device_per_mm) {}

cairo_matrix_t MetafileDc::LogicalToPicture() const {
  const DcState& s = state_;
  double sx = 1, sy = 1;
  if (const double mm = MillimetresPerUnit(s.map_mode); mm > 0) {
    sx = device_per_mm_.x * mm;
    sy = -device_per_mm_.y * mm;
  } else if (s.map_mode == kMmIsotropic || s.map_mode == kMmAnisotropic) {
    sx = s.viewport_ext.x / s.window_ext.x;
    sy = s.viewport_ext.y / s.window_ext.y;
    if (s.map_mode == kMmIsotropic) {
      const double k = std::min(std::abs(sx), std::abs(sy));
      sx = std::copysign(k, sx), sy = std::copysign(k, sy);
    }
  }
  cairo_matrix_t page;
  cairo_matrix_init(&page, sx, 0, 0, sy, s.viewport_org.x - s.window_org.x * sx,
                    s.viewport_org.y - s.window_org.y * sy);
  return Multiply(Multiply(s.world, page), device_);
}

void MetafileDc::Save() {
  if (saved_.size() < kMaxSavedStates) saved_.push_back(state_);
}

void MetafileDc::Restore(int which) {
  const std::size_t size = saved_.size();
  std::size_t keep;
  if (which < 0) {
    const std::size_t back = static_cast<std::size_t>(-static_cast<long long>(which));
    if (back > size) return;
    keep = size - back;
  } else {
    if (which == 0 || static_cast<std::size_t>(which) > size) return;
    keep = static_cast<std::size_t>(which) - 1;
  }
  state_ = std::move(saved_[keep]);
  saved_.resize(keep);
}

void MetafileDc::SetMapMode(int mode) {
  if (mode >= kMmText && mode <= kMmAnisotropic) state_.map_mode = mode;
}

void MetafileDc::ScaleWindowExt(double xn, double xd, double yn, double yd) {
  if (xd == 0 || yd == 0) return;
  state_.window_ext.x = state_.window_ext.x * xn / xd;
  state_.window_ext.y = state_.window_ext.y * yn / yd;
}

void MetafileDc::ScaleViewportExt(double xn, double xd, double yn, double yd) {
  if (xd == 0 || yd == 0) return;
  state_.viewport_ext.x = state_.viewport_ext.x * xn / xd;
  state_.viewport_ext.y = state_.viewport_ext.y * yn / yd;
}

void MetafileDc::SetWorld(const cairo_matrix_t& m) {
  if (Usable(m)) state_.world = m;
}

void MetafileDc::ModifyWorld(const cairo_matrix_t& m, int mode) {
  switch (mode) {
    case 1: cairo_matrix_init_identity(&state_.world); break;
    case 2: SetWorld(Multiply(m, state_.world)); break;
    case 3: SetWorld(Multiply(state_.world, m)); break;
    case 4: SetWorld(m); break;
    default: break;
  }
}

// --- path bracket ---

void MetafileDc::BeginPath() {
  in_path_ = true;
  path_.clear();
}

void MetafileDc::AbortPath() {
  in_path_ = false;
  path_.clear();
}

void MetafileDc::CloseFigure() {
  if (in_path_ && !path_.empty()) path_.push_back(PathOp{PathOp::Close, {}});
}

void MetafileDc::FillPath() {
  canvas_.Fill(path_, state_.poly_fill == 1, state_.brush, state_);
  path_.clear();
}

void MetafileDc::StrokePath() {
  canvas_.Stroke(path_, state_.pen, LogicalToPicture(), state_);
  path_.clear();
}

void MetafileDc::StrokeAndFillPath() {
  canvas_.Fill(path_, state_.poly_fill == 1, state_.brush, state_, !state_.pen.Null());
  canvas_.Stroke(path_, state_.pen, LogicalToPicture(), state_);
  path_.clear();
}

void MetafileDc::SelectClipPath(int mode) {
  Path p = std::move(path_);
  path_.clear();
  in_path_ = false;
  Clip(std::move(p), state_.poly_fill == 1, mode);
}

// --- drawing ---

void MetafileDc::Emit(Path&& path, bool fill, bool stroke) {
  if (path.empty()) return;
  if (in_path_) {
    path_.insert(path_.end(), path.begin(), path.end());
    return;
  }
  const cairo_matrix_t m = LogicalToPicture();
  if (!Usable(m)) return;
  if (fill) canvas_.Fill(path, state_.poly_fill == 1, state_.brush, state_, stroke && !state_.pen.Null());
  if (stroke) canvas_.Stroke(path, state_.pen, m, state_);
}

void MetafileDc::MoveTo(Point p) {
  state_.position = p;
  if (in_path_) path_.push_back(PathOp{PathOp::Move, {Apply(LogicalToPicture(), p)}});
}

void MetafileDc::LineTo(Point p) {
  const Point from = state_.position;
  state_.position = p;
  const cairo_matrix_t m = LogicalToPicture();
  if (in_path_) {
    if (path_.empty()) path_.push_back(PathOp{PathOp::Move, {Apply(m, from)}});
    path_.push_back(PathOp{PathOp::Line, {Apply(m, p)}});
    return;
  }
  const Point line[] = {from, p};
  Path path;
  AppendPolyline(path, m, line, false);
  Emit(std::move(path), false, true);
}

void MetafileDc::Polyline(std::span<const Point> points) {
  if (points.size() < 2) return;
  Path path;
  AppendPolyline(path, LogicalToPicture(), points, false);
  Emit(std::move(path), false, true);
}

void MetafileDc::PolylineTo(std::span<const Point> points) {
  if (points.empty()) return;
  const cairo_matrix_t m = LogicalToPicture();
  Path path;
  if (!in_path_ || path_.empty()) path.push_back(PathOp{PathOp::Move, {Apply(m, state_.position)}});
  for (const Point& p : points) path.push_back(PathOp{PathOp::Line, {Apply(m, p)}});
  state_.position = points.back();
  Emit(std::move(path), false, true);
}

void MetafileDc::Polygon(std::span<const Point> points) {
  if (points.size() < 2) return;
  Path path;
  AppendPolyline(path, LogicalToPicture(), points, true);
  Emit(std::move(path), true, true);
}

void MetafileDc::PolyPolygon(std::span<const Point> points, std::span<const std::uint32_t> counts) {
  const cairo_matrix_t m = LogicalToPicture();
  Path path;
  std::size_t at = 0;
  for (std::uint32_t n : counts) {
    if (n > points.size() - at) break;
    if (n >= 2) AppendPolyline(path, m, points.subspan(at, n), true);
    at += n;
  }
  Emit(std::move(path), true, true);
}

void MetafileDc::PolyPolyline(std::span<const Point> points, std::span<const std::uint32_t> counts) {
  const cairo_matrix_t m = LogicalToPicture();
  Path path;
  std::size_t at = 0;
  for (std::uint32_t n : counts) {
    if (n > points.size() - at) break;
    if (n >= 2) AppendPolyline(path, m, points.subspan(at, n), false);
    at += n;
  }
  Emit(std::move(path), false, true);
}

void MetafileDc::PolyBezier(std::span<const Point> points) {
  if (points.size() < 4) return;
  Path path;
  AppendBeziers(path, LogicalToPicture(), points, true);
  Emit(std::move(path), false, true);
}

void MetafileDc::PolyBezierTo(std::span<const Point> points) {
  if (points.size() < 3) return;
  const cairo_matrix_t m = LogicalToPicture();
  Path path;
  if (!in_path_ || path_.empty()) path.push_back(PathOp{PathOp::Move, {Apply(m, state_.position)}});
  AppendBeziers(path, m, points, false);
  state_.position = points[points.size() / 3 * 3 - 1];
  Emit(std::move(path), false, true);
}

void MetafileDc::PolyDraw(std::span<const Point> points, std::span<const std::uint8_t> types) {
  const cairo_matrix_t m = LogicalToPicture();
  Path path;
  if (!in_path_ || path_.empty()) path.push_back(PathOp{PathOp::Move, {Apply(m, state_.position)}});
  const std::size_t n = std::min(points.size(), types.size());
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t t = types[i] & 6;
    if (t == 6) {
      path.push_back(PathOp{PathOp::Move, {Apply(m, points[i])}});
    } else if (t == 4 && i + 2 < n) {
      path.push_back(PathOp{PathOp::Curve, {Apply(m, points[i]), Apply(m, points[i + 1]), Apply(m, points[i + 2])}});
      i += 2;
    } else {
      path.push_back(PathOp{PathOp::Line, {Apply(m, points[i])}});
    }
    if (types[i] & 1) path.push_back(PathOp{PathOp::Close, {}});
    state_.position = points[i];
  }
  Emit(std::move(path), false, true);
}

void MetafileDc::Rectangle(double l, double t, double r, double b) {
  Path path;
  AppendRectangle(path, LogicalToPicture(), l, t, r, b);
  Emit(std::move(path), true, true);
}

void MetafileDc::RoundRect(double l, double t, double r, double b, double w, double h) {
  Path path;
  AppendRoundRect(path, LogicalToPicture(), l, t, r, b, w, h);
  Emit(std::move(path), true, true);
}

void MetafileDc::Ellipse(double l, double t, double r, double b) {
  Path path;
  AppendEllipse(path, LogicalToPicture(), l, t, r, b);
  Emit(std::move(path), true, true);
}

void MetafileDc::Arc(ArcKind kind, double l, double t, double r, double b, Point start, Point end) {
  Path path;
  AppendArc(path, LogicalToPicture(), l, t, r, b, start, end, state_.clockwise, kind, false);
  Emit(std::move(path), kind != ArcKind::Open, true);
}

void MetafileDc::ArcTo(double l, double t, double r, double b, Point start, Point end) {
  const cairo_matrix_t m = LogicalToPicture();
  Path path;
  if (!in_path_ || path_.empty()) path.push_back(PathOp{PathOp::Move, {Apply(m, state_.position)}});
  state_.position = AppendArc(path, m, l, t, r, b, start, end, state_.clockwise, ArcKind::Open, true);
  Emit(std::move(path), false, true);
}

void MetafileDc::AngleArc(Point centre, double radius, double start, double sweep) {
  const cairo_matrix_t m = LogicalToPicture();
  Path path;
  if (!in_path_ || path_.empty()) path.push_back(PathOp{PathOp::Move, {Apply(m, state_.position)}});
  state_.position = AppendAngleArc(path, m, centre, radius, start, sweep, true);
  Emit(std::move(path), false, true);
}

void MetafileDc::SetPixel(Point p, Colour c) {
  const Point at = Apply(LogicalToPicture(), p);
  Path path;
  cairo_matrix_t id;
  cairo_matrix_init_identity(&id);
  AppendRectangle(path, id, at.x, at.y, at.x + 1, at.y + 1);
  canvas_.FillColour(path, c, state_);
}

void MetafileDc::FloodFill(Point p, Colour colour, bool surface) {
  const cairo_matrix_t m = LogicalToPicture();
  if (Usable(m)) canvas_.FloodFill(Apply(m, p), colour, surface, state_);
}

// --- clipping and regions ---

Path MetafileDc::RegionPath(const Region& region, bool device_units) const {
  const cairo_matrix_t m = device_units ? device_ : LogicalToPicture();
  Path path;
  if (!Usable(m)) return path;
  for (const Region::Rect& r : region.rects) AppendRectangle(path, m, r.left, r.top, r.right, r.bottom);
  return path;
}

void MetafileDc::Clip(Path&& path, bool even_odd, int mode) {
  std::vector<ClipStep>& clip = state_.clip;
  switch (mode) {
    case kRgnCopy:
      clip.clear();
      clip.push_back({std::move(path), even_odd, false});
      break;
    case kRgnAnd: clip.push_back({std::move(path), even_odd, false}); break;
    case kRgnDiff: clip.push_back({std::move(path), even_odd, true}); break;
    case kRgnOr:
    case kRgnXor:
      // A union with no clip is still no clip; otherwise it widens the last
      // step, which is exact for the rectangle lists regions are made of.
      if (!clip.empty() && !clip.back().outside) {
        clip.back().path.insert(clip.back().path.end(), path.begin(), path.end());
        clip.back().even_odd = mode == kRgnXor;
      }
      break;
    default: break;
  }
}

void MetafileDc::IntersectClipRect(double l, double t, double r, double b) {
  const cairo_matrix_t m = LogicalToPicture();
  if (!Usable(m)) return;
  Path path;
  AppendRectangle(path, m, l, t, r, b);
  Clip(std::move(path), false, kRgnAnd);
}

void MetafileDc::ExcludeClipRect(double l, double t, double r, double b) {
  const cairo_matrix_t m = LogicalToPicture();
  if (!Usable(m)) return;
  Path path;
  AppendRectangle(path, m, l, t, r, b);
  Clip(std::move(path), false, kRgnDiff);
}

void MetafileDc::SelectClipRegion(const Region* region, int mode, bool device_units) {
  if (!region) {
    if (mode == kRgnCopy) state_.clip.clear();
    return;
  }
  Clip(RegionPath(*region, device_units), false, mode);
}

void MetafileDc::OffsetClip(double dx, double dy) {
  const cairo_matrix_t m = LogicalToPicture();
  if (!Usable(m)) return;
  const double ox = m.xx * dx + m.xy * dy, oy = m.yx * dx + m.yy * dy;
  for (ClipStep& step : state_.clip)
    for (PathOp& op : step.path)
      for (Point& p : op.p) p.x += ox, p.y += oy;
}

void MetafileDc::FillRegion(const Region& region, const Brush& brush, bool device_units) {
  canvas_.Fill(RegionPath(region, device_units), false, brush, state_);
}

void MetafileDc::FrameRegion(const Region& region, const Brush& brush, double, double, bool device_units) {
  Pen pen;
  pen.colour = brush.colour;
  canvas_.Stroke(RegionPath(region, device_units), pen, LogicalToPicture(), state_);
}

void MetafileDc::InvertRegion(const Region& region, bool device_units) {
  canvas_.PatternOp(RegionPath(region, device_units), 0x00550009, state_);
}

// --- bitmaps ---

void MetafileDc::StretchBlt(double dx, double dy, double dw, double dh, cairo_surface_t* image, double sx,
                            double sy, double sw, double sh, std::uint32_t rop) {
  if (!image) return PatBlt(dx, dy, dw, dh, rop);
  canvas_.Blit(image, sx, sy, sw, sh, LogicalToPicture(), dx, dy, dw, dh, rop, state_);
}

void MetafileDc::PatBlt(double x, double y, double w, double h, std::uint32_t rop) {
  const cairo_matrix_t m = LogicalToPicture();
  if (!Usable(m)) return;
  Path path;
  AppendRectangle(path, m, x, y, x + w, y + h);
  canvas_.PatternOp(path, rop, state_);
}

void MetafileDc::GradientRect(const Vertex& a, const Vertex& b, bool vertical) {
  const cairo_matrix_t m = LogicalToPicture();
  if (!Usable(m)) return;
  const Point p0 = Apply(m, a.p);
  const Point p1 = Apply(m, vertical ? Point{a.p.x, b.p.y} : Point{b.p.x, a.p.y});
  cairo_t* cr = canvas_.BeginDraw(state_);
  Path path;
  AppendRectangle(path, m, a.p.x, a.p.y, b.p.x, b.p.y);
  for (const PathOp& op : path) {
    if (op.kind == PathOp::Move) cairo_move_to(cr, op.p[0].x, op.p[0].y);
    else if (op.kind == PathOp::Line) cairo_line_to(cr, op.p[0].x, op.p[0].y);
    else cairo_close_path(cr);
  }
  cairo_pattern_t* g = cairo_pattern_create_linear(p0.x, p0.y, p1.x, p1.y);
  cairo_pattern_add_color_stop_rgb(g, 0, a.r, a.g, a.b);
  cairo_pattern_add_color_stop_rgb(g, 1, b.r, b.g, b.b);
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  canvas_.EndDraw();
}

void MetafileDc::GradientTriangle(const Vertex& a, const Vertex& b, const Vertex& c) {
  const cairo_matrix_t m = LogicalToPicture();
  if (!Usable(m)) return;
  cairo_t* cr = canvas_.BeginDraw(state_);
  cairo_pattern_t* mesh = cairo_pattern_create_mesh();
  cairo_mesh_pattern_begin_patch(mesh);
  const Vertex* v[] = {&a, &b, &c};
  for (int i = 0; i < 3; ++i) {
    const Point p = Apply(m, v[i]->p);
    if (i == 0) cairo_mesh_pattern_move_to(mesh, p.x, p.y);
    else cairo_mesh_pattern_line_to(mesh, p.x, p.y);
  }
  for (int i = 0; i < 3; ++i) cairo_mesh_pattern_set_corner_color_rgb(mesh, i, v[i]->r, v[i]->g, v[i]->b);
  cairo_mesh_pattern_end_patch(mesh);
  for (int i = 0; i < 3; ++i) {
    const Point p = Apply(m, v[i]->p);
    if (i == 0) cairo_move_to(cr, p.x, p.y);
    else cairo_line_to(cr, p.x, p.y);
  }
  cairo_close_path(cr);
  cairo_set_source(cr, mesh);
  cairo_fill(cr);
  cairo_pattern_destroy(mesh);
  canvas_.EndDraw();
}

}  // namespace plendo::codecs::metafile
