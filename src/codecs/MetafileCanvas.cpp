#include "codecs/MetafileCanvas.h"

#include <algorithm>
#include <cmath>

#include "codecs/MetafileFlood.h"
#include "codecs/MetafileShapes.h"

namespace plendo::codecs::metafile {
namespace {

// Raster operations the records use most (ternary codes with their op index).
enum Rop : std::uint32_t {
  kBlackness = 0x00000042, kNotSrcErase = 0x001100A6, kNotSrcCopy = 0x00330008, kSrcErase = 0x00440328,
  kDstInvert = 0x00550009, kPatInvert = 0x005A0049, kSrcInvert = 0x00660046, kSrcAnd = 0x008800C6,
  kNoOp = 0x00AA0029, kMergePaint = 0x00BB0226, kMergeCopy = 0x00C000CA, kSrcCopy = 0x00CC0020,
  kSrcPaint = 0x00EE0086, kPatCopy = 0x00F00021, kPatPaint = 0x00FB0A09, kWhiteness = 0x00FF0062,
};

// Far outside any picture, still well inside cairo's fixed-point range.
constexpr double kFar = 4.0e6;

// GDI's pixel (x, y) is centred on the point (x, y), cairo's on (x + 0.5,
// y + 0.5): a line through x lights pixel x there, so pens draw half a pixel
// further here. Fills cover the same pixels in both without it.
constexpr double kPenOffset = 0.5;

// GDI hatch styles on an 8-pixel cell: horizontal, vertical, the two
// diagonals, cross, diagonal cross.
SurfacePtr HatchCell(std::uint32_t style, Colour colour, bool opaque, Colour bk, double scale) {
  const int side = std::max(8, static_cast<int>(std::lround(8 * scale)));
  SurfacePtr s = AdoptSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side));
  cairo_t* cr = cairo_create(s.get());
  if (opaque) {
    cairo_set_source_rgb(cr, bk.r, bk.g, bk.b);
    cairo_paint(cr);
  }
  cairo_scale(cr, side / 8.0, side / 8.0);
  cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
  cairo_set_line_width(cr, 1);
  auto line = [cr](double x0, double y0, double x1, double y1) {
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
  };
  if (style == 0 || style == 4) line(0, 3.5, 8, 3.5);
  if (style == 1 || style == 4) line(3.5, 0, 3.5, 8);
  if (style == 2 || style == 5) line(-1, -1, 9, 9), line(-1, 7, 1, 9), line(7, -1, 9, 1);
  if (style == 3 || style == 5) line(9, -1, -1, 9), line(1, -1, -1, 1), line(9, 7, 7, 9);
  cairo_stroke(cr);
  cairo_destroy(cr);
  return s;
}

// A monochrome brush's black/white mask in the colours of the moment.
SurfacePtr MonoCell(cairo_surface_t* mask, Colour zero, Colour one) {
  cairo_surface_flush(mask);
  const int w = cairo_image_surface_get_width(mask), h = cairo_image_surface_get_height(mask);
  SurfacePtr s = AdoptSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
  if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS || w <= 0 || h <= 0) return s;
  auto argb = [](const Colour& c) {
    return 0xFF000000u | std::uint32_t(std::lround(c.r * 255)) << 16 | std::uint32_t(std::lround(c.g * 255)) << 8 |
           std::uint32_t(std::lround(c.b * 255));
  };
  const std::uint32_t z = argb(zero), o = argb(one);
  const unsigned char* from = cairo_image_surface_get_data(mask);
  unsigned char* to = cairo_image_surface_get_data(s.get());
  const int from_stride = cairo_image_surface_get_stride(mask), to_stride = cairo_image_surface_get_stride(s.get());
  for (int y = 0; y < h; ++y) {
    const auto* in = reinterpret_cast<const std::uint32_t*>(from + static_cast<std::size_t>(y) * from_stride);
    auto* out = reinterpret_cast<std::uint32_t*>(to + static_cast<std::size_t>(y) * to_stride);
    for (int x = 0; x < w; ++x) out[x] = (in[x] & 0xFFFFFF) ? o : z;
  }
  cairo_surface_mark_dirty(s.get());
  return s;
}

// The binary raster operations of GDI's drawing modes on one 8-bit channel
// (R2_BLACK = 1 ... R2_WHITE = 16): bit 2P + D of mode - 1 is the result for
// pen bit P over screen bit D.
std::uint8_t Rop2(int mode, std::uint8_t d, std::uint8_t p) {
  const unsigned table = static_cast<unsigned>(mode - 1);
  unsigned out = 0;
  for (int bit = 0; bit < 8; ++bit) {
    const unsigned pb = p >> bit & 1, db = d >> bit & 1;
    out |= (table >> (2 * pb + db) & 1) << bit;
  }
  return static_cast<std::uint8_t>(out);
}

// Modes that cairo's operators do not give.
bool BitwiseRop2(int mode) { return mode >= 1 && mode <= 16 && mode != 6 && mode != 7 && mode != 13; }

std::vector<double> DashesFor(const Pen& pen, double unit) {
  const double u = std::max(unit, 1.0);
  switch (pen.style & kPsStyleMask) {
    case kPsDash: return {6 * u, 2 * u};
    case kPsDot: case kPsAlternate: return {u, u};
    case kPsDashDot: return {6 * u, 2 * u, u, 2 * u};
    case kPsDashDotDot: return {6 * u, 2 * u, u, 2 * u, u, 2 * u};
    case kPsUserStyle: {
      std::vector<double> d;
      for (double v : pen.user_dashes) d.push_back(std::max(v, 0.0) * u);
      bool any = false;
      for (double v : d) any = any || v > 0;
      return any ? d : std::vector<double>{};
    }
    default: return {};
  }
}

}  // namespace

MetafileCanvas::MetafileCanvas(cairo_t* cr, double x0, double y0, double pattern_scale)
    : cr_(cr), pattern_scale_(pattern_scale) {
  cairo_matrix_init_translate(&base_, -x0, -y0);
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_GOOD);
  // Sixteen fills of the whole tile, then no more.
  cairo_surface_t* target = cairo_get_target(cr_);
  const std::size_t area = cairo_surface_get_type(target) == CAIRO_SURFACE_TYPE_IMAGE
                               ? static_cast<std::size_t>(cairo_image_surface_get_width(target)) *
                                     static_cast<std::size_t>(cairo_image_surface_get_height(target))
                               : 0;
  flood_budget_ = 16 * std::max<std::size_t>(area, 4096);
}

void MetafileCanvas::Extend(Point p) {
  if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
  extent_.x0 = std::min(extent_.x0, p.x), extent_.x1 = std::max(extent_.x1, p.x);
  extent_.y0 = std::min(extent_.y0, p.y), extent_.y1 = std::max(extent_.y1, p.y);
}

void MetafileCanvas::Extend(const Path& path) {
  for (const PathOp& op : path) {
    if (op.kind == PathOp::Close) continue;
    Extend(op.p[0]);
    if (op.kind == PathOp::Curve) Extend(op.p[1]), Extend(op.p[2]);
  }
}

void MetafileCanvas::SetPath(const Path& path, double offset) {
  cairo_matrix_t at = base_;
  cairo_matrix_translate(&at, offset, offset);
  cairo_set_matrix(cr_, &at);
  cairo_new_path(cr_);
  for (const PathOp& op : path) {
    switch (op.kind) {
      case PathOp::Move: cairo_move_to(cr_, op.p[0].x, op.p[0].y); break;
      case PathOp::Line: cairo_line_to(cr_, op.p[0].x, op.p[0].y); break;
      case PathOp::Curve:
        cairo_curve_to(cr_, op.p[0].x, op.p[0].y, op.p[1].x, op.p[1].y, op.p[2].x, op.p[2].y);
        break;
      case PathOp::Close: cairo_close_path(cr_); break;
    }
  }
}

void MetafileCanvas::ApplyClip(const DcState& dc) {
  cairo_reset_clip(cr_);
  for (const ClipStep& step : dc.clip) {
    SetPath(step.path, 0);
    if (step.outside) {
      cairo_rectangle(cr_, -kFar, -kFar, 2 * kFar, 2 * kFar);
      cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
    } else {
      cairo_set_fill_rule(cr_, step.even_odd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    }
    cairo_clip(cr_);
  }
}

cairo_t* MetafileCanvas::BeginDraw(const DcState& dc) {
  cairo_save(cr_);
  ApplyClip(dc);
  cairo_set_matrix(cr_, &base_);
  cairo_new_path(cr_);
  drew_ = true;
  return cr_;
}

void MetafileCanvas::EndDraw() {
  cairo_new_path(cr_);
  cairo_restore(cr_);
}

void MetafileCanvas::SetBrushSource(const Brush& brush, const DcState& dc) {
  cairo_set_source_rgb(cr_, brush.colour.r, brush.colour.g, brush.colour.b);
  SurfacePtr cell;
  double cell_scale = pattern_scale_;
  if (brush.kind == Brush::Kind::Hatched) {
    cell = HatchCell(brush.hatch, brush.colour, dc.bk_mode == 2, dc.bk_colour, pattern_scale_);
    cell_scale = 1;
  } else if (brush.kind == Brush::Kind::Pattern && brush.pattern) {
    cell = brush.mono ? MonoCell(brush.pattern.get(), dc.text_colour, dc.bk_colour) : brush.pattern;
  }
  if (!cell || cairo_surface_status(cell.get()) != CAIRO_STATUS_SUCCESS) return;
  cairo_pattern_t* p = cairo_pattern_create_for_surface(cell.get());
  cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
  cairo_matrix_t pm;
  const double s = std::max(cell_scale, 1e-3);
  cairo_matrix_init_scale(&pm, 1 / s, 1 / s);
  cairo_pattern_set_matrix(p, &pm);
  cairo_set_source(cr_, p);
  cairo_pattern_destroy(p);
}

// Covers the current path (filled or stroked, clipped) with the pen colour
// combined bit by bit with what is there, in proportion to the coverage.
void MetafileCanvas::PaintRop2(int mode, Colour pen, bool stroke) {
  cairo_push_group_with_content(cr_, CAIRO_CONTENT_ALPHA);
  cairo_set_source_rgba(cr_, 0, 0, 0, 1);
  if (stroke) cairo_stroke(cr_);
  else cairo_fill(cr_);
  cairo_pattern_t* group = cairo_pop_group(cr_);
  cairo_surface_t* mask = nullptr;
  cairo_surface_t* target = cairo_get_target(cr_);
  if (cairo_pattern_get_surface(group, &mask) == CAIRO_STATUS_SUCCESS &&
      cairo_surface_get_type(mask) == CAIRO_SURFACE_TYPE_IMAGE &&
      cairo_image_surface_get_format(mask) == CAIRO_FORMAT_A8 &&
      cairo_surface_get_type(target) == CAIRO_SURFACE_TYPE_IMAGE &&
      cairo_image_surface_get_format(target) == CAIRO_FORMAT_RGB24) {
    cairo_surface_flush(mask);
    cairo_surface_flush(target);
    double ox = 0, oy = 0;
    cairo_surface_get_device_offset(mask, &ox, &oy);
    const int mw = cairo_image_surface_get_width(mask), mh = cairo_image_surface_get_height(mask);
    const int tw = cairo_image_surface_get_width(target), th = cairo_image_surface_get_height(target);
    const unsigned char* m = cairo_image_surface_get_data(mask);
    unsigned char* t = cairo_image_surface_get_data(target);
    const int ms = cairo_image_surface_get_stride(mask), ts = cairo_image_surface_get_stride(target);
    const std::uint8_t pc[3] = {static_cast<std::uint8_t>(std::lround(pen.b * 255)),
                                static_cast<std::uint8_t>(std::lround(pen.g * 255)),
                                static_cast<std::uint8_t>(std::lround(pen.r * 255))};
    for (int y = 0; y < mh; ++y) {
      const int ty = y - static_cast<int>(oy);
      if (ty < 0 || ty >= th) continue;
      for (int x = 0; x < mw; ++x) {
        const int tx = x - static_cast<int>(ox);
        const unsigned a = m[static_cast<std::size_t>(y) * ms + x];
        if (a == 0 || tx < 0 || tx >= tw) continue;
        auto* px = reinterpret_cast<std::uint32_t*>(t + static_cast<std::size_t>(ty) * ts) + tx;
        std::uint32_t out = 0xFF000000u;
        for (int c = 0; c < 3; ++c) {
          const unsigned d = *px >> (8 * c) & 0xFF, r = Rop2(mode, static_cast<std::uint8_t>(d), pc[c]);
          out |= ((r * a + d * (255 - a) + 127) / 255) << (8 * c);
        }
        *px = out;
      }
    }
    cairo_surface_mark_dirty(target);
  }
  cairo_pattern_destroy(group);
}

void MetafileCanvas::Fill(const Path& path, bool even_odd, const Brush& brush, const DcState& dc, bool under_pen) {
  if (brush.kind == Brush::Kind::Null || path.empty()) return;
  Extend(path);
  BeginDraw(dc);
  // Under a pen the fill's edge lies on the pen's centre line, as GDI's does:
  // drawn where the pen is not, two antialiased edges side by side would
  // leave a fringe of fill colour outside the outline and a seam inside it.
  SetPath(path, under_pen ? kPenOffset : 0);
  cairo_set_fill_rule(cr_, even_odd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
  if (BitwiseRop2(dc.rop2)) {
    PaintRop2(dc.rop2, brush.colour, false);
    return EndDraw();
  }
  SetBrushSource(brush, dc);
  if (dc.rop2 == 6) {  // R2_NOT
    cairo_set_operator(cr_, CAIRO_OPERATOR_DIFFERENCE);
    cairo_set_source_rgb(cr_, 1, 1, 1);
  }
  cairo_fill(cr_);
  EndDraw();
}

void MetafileCanvas::FillColour(const Path& path, Colour colour, const DcState& dc) {
  Brush b;
  b.colour = colour;
  Fill(path, false, b, dc);
}

// Pens are drawn at most this many picture pixels wide.
constexpr double kMaxPenPixels = 1 << 15;

void MetafileCanvas::Stroke(const Path& path, const Pen& pen, const cairo_matrix_t& m, const DcState& dc) {
  if (pen.Null() || path.empty() || dc.rop2 == 11) return;  // R2_NOP
  const bool geometric = pen.width > 0 && Usable(m);
  const double scale = geometric ? std::sqrt(std::abs(m.xx * m.yy - m.xy * m.yx)) : 1;
  // What a line covers reaches half its width past its path (GDI counts it
  // in a picture's bounds).
  const double half = geometric ? std::max(pen.width * scale, 1.0) / 2 : 0.5;
  for (const PathOp& op : path) {
    if (op.kind == PathOp::Close) continue;
    for (int i = 0; i < (op.kind == PathOp::Curve ? 3 : 1); ++i)
      Extend(Point{op.p[i].x - half, op.p[i].y - half}), Extend(Point{op.p[i].x + half, op.p[i].y + half});
  }
  BeginDraw(dc);
  SetPath(path, kPenOffset);
  double width = 1;  // picture pixels
  if (geometric) {
    cairo_matrix_t full = m;
    cairo_matrix_multiply(&full, &m, &base_);
    cairo_set_matrix(cr_, &full);
    // Whole picture pixels, one at least, as GDI draws pens: a pen of 1.4
    // pixels is one pixel wide there, not a blur over two.
    // A pen far wider than any picture (a damaged or hostile record) is
    // held to a width that still covers one, or cairo's round joins take
    // seconds to build.
    width = std::clamp(std::round(pen.width * scale), 1.0, kMaxPenPixels) / scale;
  }
  cairo_set_line_width(cr_, width);
  const std::uint32_t cap = pen.style & kPsEndCapMask, join = pen.style & kPsJoinMask;
  const bool cosmetic = !geometric || !(pen.style & kPsGeometric);
  cairo_set_line_cap(cr_, cap == kPsCapFlat ? CAIRO_LINE_CAP_BUTT
                          : cap == kPsCapSquare ? CAIRO_LINE_CAP_SQUARE
                          : cosmetic && pen.width <= 1 ? CAIRO_LINE_CAP_BUTT : CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr_, join == kPsJoinBevel ? CAIRO_LINE_JOIN_BEVEL
                           : join == kPsJoinMiter ? CAIRO_LINE_JOIN_MITER : CAIRO_LINE_JOIN_ROUND);
  cairo_set_miter_limit(cr_, std::clamp(dc.miter_limit, 1.0, 100.0));
  const std::vector<double> dashes = DashesFor(pen, width);
  if (!dashes.empty()) cairo_set_dash(cr_, dashes.data(), static_cast<int>(dashes.size()), 0);
  cairo_set_source_rgb(cr_, pen.colour.r, pen.colour.g, pen.colour.b);
  if (dc.rop2 == 6 || dc.rop2 == 7) {  // R2_NOT, R2_XORPEN
    cairo_set_operator(cr_, CAIRO_OPERATOR_DIFFERENCE);
    if (dc.rop2 == 6) cairo_set_source_rgb(cr_, 1, 1, 1);
  } else if (BitwiseRop2(dc.rop2)) {
    PaintRop2(dc.rop2, pen.colour, true);
    return EndDraw();
  }
  cairo_stroke(cr_);
  EndDraw();
}

void MetafileCanvas::FillSource(const Path& path, bool even_odd, cairo_pattern_t* source, const DcState& dc) {
  if (path.empty() || !source) return;
  Extend(path);
  BeginDraw(dc);
  SetPath(path, 0);
  cairo_set_fill_rule(cr_, even_odd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
  cairo_set_source(cr_, source);
  cairo_fill(cr_);
  EndDraw();
}

void MetafileCanvas::StrokeSource(const Path& path, const Line& line, const cairo_matrix_t& m,
                                  cairo_pattern_t* source, const DcState& dc) {
  if (path.empty() || !source || !Usable(m) || !(line.width > 0)) return;
  const double half = line.width * std::sqrt(std::abs(m.xx * m.yy - m.xy * m.yx)) / 2;
  for (const PathOp& op : path) {
    if (op.kind == PathOp::Close) continue;
    for (int i = 0; i < (op.kind == PathOp::Curve ? 3 : 1); ++i)
      Extend(Point{op.p[i].x - half, op.p[i].y - half}), Extend(Point{op.p[i].x + half, op.p[i].y + half});
  }
  BeginDraw(dc);
  SetPath(path, 0);
  cairo_set_source(cr_, source);  // locked to picture pixels
  cairo_matrix_t full;
  cairo_matrix_multiply(&full, &m, &base_);
  cairo_set_matrix(cr_, &full);
  cairo_set_line_width(cr_, line.width);
  cairo_set_line_cap(cr_, line.cap);
  cairo_set_line_join(cr_, line.join);
  cairo_set_miter_limit(cr_, std::clamp(line.miter_limit, 1.0, 100.0));
  if (!line.dashes.empty())
    cairo_set_dash(cr_, line.dashes.data(), static_cast<int>(line.dashes.size()), line.dash_offset);
  cairo_stroke(cr_);
  EndDraw();
}

void MetafileCanvas::PaintSource(cairo_pattern_t* source, const DcState& dc) {
  if (!source) return;
  BeginDraw(dc);
  cairo_set_source(cr_, source);
  cairo_paint(cr_);
  EndDraw();
}

void MetafileCanvas::DrawImage(cairo_surface_t* image, double sx, double sy, double sw, double sh,
                               const cairo_matrix_t& to_picture, const DcState& dc) {
  cairo_matrix_t full;
  cairo_matrix_multiply(&full, &to_picture, &base_);
  if (!image || !Usable(full) || !(sw > 0) || !(sh > 0)) return;
  for (const Point corner : {Point{sx, sy}, Point{sx + sw, sy}, Point{sx, sy + sh}, Point{sx + sw, sy + sh}})
    Extend(Apply(to_picture, corner));
  BeginDraw(dc);
  cairo_set_matrix(cr_, &full);
  cairo_rectangle(cr_, sx, sy, sw, sh);
  cairo_set_source_surface(cr_, image, 0, 0);
  cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
  cairo_fill(cr_);
  EndDraw();
}

void MetafileCanvas::PatternOp(const Path& path, std::uint32_t rop, const DcState& dc) {
  switch (rop) {
    case kBlackness: FillColour(path, {0, 0, 0}, dc); return;
    case kWhiteness: FillColour(path, {1, 1, 1}, dc); return;
    case kNoOp: return;
    case kDstInvert:
    case kPatInvert: {
      BeginDraw(dc);
      SetPath(path, 0);
      cairo_set_operator(cr_, CAIRO_OPERATOR_DIFFERENCE);
      if (rop == kDstInvert) cairo_set_source_rgb(cr_, 1, 1, 1);
      else SetBrushSource(dc.brush, dc);
      cairo_fill(cr_);
      EndDraw();
      return;
    }
    default: Fill(path, false, dc.brush, dc); return;
  }
}

void MetafileCanvas::FloodFill(Point at, Colour colour, bool surface, const DcState& dc) {
  cairo_surface_t* target = cairo_get_target(cr_);
  if (dc.brush.kind == Brush::Kind::Null || cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE ||
      cairo_image_surface_get_format(target) != CAIRO_FORMAT_RGB24 || !std::isfinite(at.x) || !std::isfinite(at.y))
    return;
  cairo_surface_flush(target);
  // The pixel GDI means by the point: the one the point lies on once it has
  // moved as a pen's does.
  double x = at.x + kPenOffset, y = at.y + kPenOffset;
  cairo_matrix_transform_point(&base_, &x, &y);
  if (!(std::abs(x) < kFar && std::abs(y) < kFar)) return;
  const FloodImage image{cairo_image_surface_get_data(target), cairo_image_surface_get_width(target),
                         cairo_image_surface_get_height(target), cairo_image_surface_get_stride(target)};
  const auto ref = [](Colour c) {
    return std::uint32_t(std::lround(c.r * 255)) << 16 | std::uint32_t(std::lround(c.g * 255)) << 8 |
           std::uint32_t(std::lround(c.b * 255));
  };
  const std::vector<std::uint8_t> cover = FloodCoverage(
      image, {static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)), ref(colour), surface}, flood_budget_);
  if (cover.empty()) return;
  SurfacePtr mask = AdoptSurface(cairo_image_surface_create(CAIRO_FORMAT_A8, image.width, image.height));
  if (cairo_surface_status(mask.get()) != CAIRO_STATUS_SUCCESS) return;
  unsigned char* rows = cairo_image_surface_get_data(mask.get());
  const int stride = cairo_image_surface_get_stride(mask.get());
  for (int row = 0; row < image.height; ++row)
    std::copy_n(cover.begin() + static_cast<std::ptrdiff_t>(row) * image.width, image.width,
                rows + static_cast<std::ptrdiff_t>(row) * stride);
  cairo_surface_mark_dirty(mask.get());
  BeginDraw(dc);
  SetBrushSource(dc.brush, dc);
  cairo_mask_surface(cr_, mask.get(), -base_.x0, -base_.y0);
  EndDraw();
}

void MetafileCanvas::Blit(cairo_surface_t* image, double sx, double sy, double sw, double sh,
                          const cairo_matrix_t& m, double dx, double dy, double dw, double dh, std::uint32_t rop,
                          const DcState& dc) {
  if (sw == 0 || sh == 0 || dw == 0 || dh == 0 || !Usable(m)) return;
  cairo_matrix_t place;  // source pixels to logical units
  cairo_matrix_init(&place, dw / sw, 0, 0, dh / sh, dx - sx * dw / sw, dy - sy * dh / sh);
  cairo_matrix_t to_logical = place, full;
  cairo_matrix_multiply(&full, &to_logical, &m);
  cairo_matrix_multiply(&full, &full, &base_);
  if (!Usable(full)) return;
  for (const Point corner : {Point{dx, dy}, Point{dx + dw, dy + dh}}) {
    const double x = m.xx * corner.x + m.xy * corner.y + m.x0, y = m.yx * corner.x + m.yy * corner.y + m.y0;
    Extend(Point{x, y});
  }
  BeginDraw(dc);
  cairo_set_matrix(cr_, &full);
  cairo_rectangle(cr_, sx, sy, sw, sh);
  cairo_set_source_surface(cr_, image, 0, 0);
  cairo_pattern_t* p = cairo_get_source(cr_);
  cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(p, CAIRO_FILTER_GOOD);
  switch (rop) {
    case kSrcAnd: cairo_set_operator(cr_, CAIRO_OPERATOR_MULTIPLY); break;
    case kSrcPaint: cairo_set_operator(cr_, CAIRO_OPERATOR_LIGHTEN); break;
    case kSrcInvert: case kSrcErase: cairo_set_operator(cr_, CAIRO_OPERATOR_DIFFERENCE); break;
    case kMergePaint: case kNotSrcCopy: case kNotSrcErase:
      // The inverted source: white, then the source's difference on top.
      cairo_set_source_rgb(cr_, 1, 1, 1);
      cairo_fill_preserve(cr_);
      cairo_set_source_surface(cr_, image, 0, 0);
      cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
      cairo_set_operator(cr_, CAIRO_OPERATOR_DIFFERENCE);
      break;
    default: break;
  }
  cairo_fill(cr_);
  EndDraw();
}

}  // namespace plendo::codecs::metafile
