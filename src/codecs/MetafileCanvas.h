#pragma once
// Where the records' figures land: one cairo context on a tile of the output
// picture. Paths arrive in picture pixels; the canvas clips, fills, strokes
// and blits them, and remembers whether anything was drawn at all.
#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/MetafileState.h"

namespace plendo::codecs::metafile {

class MetafileCanvas {
 public:
  // (x0, y0): the tile's top-left corner in picture pixels. `pattern_scale`:
  // picture pixels per device pixel, the size of a hatch or pattern cell.
  MetafileCanvas(cairo_t* cr, double x0, double y0, double pattern_scale);

  // `under_pen`: the figure's outline is stroked next, with a visible pen.
  void Fill(const Path& path, bool even_odd, const Brush& brush, const DcState& dc, bool under_pen = false);
  // `m` maps logical units to picture pixels: a geometric pen's width scales
  // with it; a cosmetic pen is one pixel wide whatever the scale.
  void Stroke(const Path& path, const Pen& pen, const cairo_matrix_t& m, const DcState& dc);
  // Source rectangle (sx, sy, sw, sh) of `image` into the logical rectangle
  // (dx, dy, dw, dh), with the raster operation.
  void Blit(cairo_surface_t* image, double sx, double sy, double sw, double sh, const cairo_matrix_t& m,
            double dx, double dy, double dw, double dh, std::uint32_t rop, const DcState& dc);
  // A raster operation without a source (PatBlt and friends) over the path.
  void PatternOp(const Path& path, std::uint32_t rop, const DcState& dc);
  void FillColour(const Path& path, Colour colour, const DcState& dc);

  // For EMF+: a ready cairo source (colours with alpha, gradients,
  // textures), locked to picture pixels. The line is stroked under `m`, so
  // its width, dashes and caps are in the units `m` maps.
  struct Line {
    double width = 1;
    cairo_line_cap_t cap = CAIRO_LINE_CAP_BUTT;
    cairo_line_join_t join = CAIRO_LINE_JOIN_MITER;
    double miter_limit = 10;
    std::vector<double> dashes;
    double dash_offset = 0;
  };
  void FillSource(const Path& path, bool even_odd, cairo_pattern_t* source, const DcState& dc);
  void StrokeSource(const Path& path, const Line& line, const cairo_matrix_t& m, cairo_pattern_t* source,
                    const DcState& dc);
  // The source over everything the clip lets through.
  void PaintSource(cairo_pattern_t* source, const DcState& dc);
  // The rectangle (sx, sy, sw, sh) of `image` (premultiplied ARGB) through
  // `to_picture`, which maps its pixels to picture pixels.
  void DrawImage(cairo_surface_t* image, double sx, double sy, double sw, double sh, const cairo_matrix_t& to_picture,
                 const DcState& dc);
  // The brush over the pixels a flood fill from `at` (picture pixels)
  // reaches on what this tile holds so far: up to `colour` as a border, or
  // over the area of that colour.
  void FloodFill(Point at, Colour colour, bool surface, const DcState& dc);

  // For the text drawer: a context clipped as the state says, matrix reset
  // to picture pixels. Balanced by EndDraw().
  cairo_t* BeginDraw(const DcState& dc);
  void EndDraw();

  bool Drew() const { return drew_; }
  // The box, in picture pixels, of everything drawn so far (before clipping).
  struct Extent {
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    bool Empty() const { return x1 < x0 || y1 < y0; }
  };
  const Extent& Drawn() const { return extent_; }
  void Extend(const Path& path);
  void Extend(Point p);
  void MarkDrawn() { drew_ = true; }
  double PatternScale() const { return pattern_scale_; }

 private:
  void ApplyClip(const DcState& dc);
  // `offset`: picture pixels right and down.
  void SetPath(const Path& path, double offset);
  void SetBrushSource(const Brush& brush, const DcState& dc);
  void PaintRop2(int mode, Colour pen, bool stroke);

  cairo_t* cr_;
  cairo_matrix_t base_;
  double pattern_scale_;
  bool drew_ = false;
  Extent extent_;
  std::size_t flood_budget_;  // pixels flood fills may still look at
};

}  // namespace plendo::codecs::metafile
