#pragma once
// The GDI model both record players drive: the state with SaveDC/RestoreDC,
// the mapping from logical units to the picture, the path bracket, clipping,
// and the drawing operations in logical units. What EMF and WMF records mean
// differs only in how they are stored; what they do is done here.
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/MetafileCanvas.h"
#include "codecs/MetafileCharset.h"
#include "codecs/MetafileFonts.h"
#include "codecs/MetafileShapes.h"
#include "codecs/MetafileState.h"

namespace plendo::codecs::metafile {

// Region combine modes, as the clip records give them.
enum RegionMode { kRgnAnd = 1, kRgnOr = 2, kRgnXor = 3, kRgnDiff = 4, kRgnCopy = 5 };

class MetafileDc {
 public:
  // `device_to_picture`: device pixels of the recording (EMF) or the output
  // itself (WMF) into picture pixels. `device_per_mm`: the recording
  // device's pixels per millimetre, for the metric mapping modes.
  MetafileDc(MetafileCanvas& canvas, const cairo_matrix_t& device_to_picture, Point device_per_mm);

  DcState& State() { return state_; }
  const DcState& State() const { return state_; }
  cairo_matrix_t LogicalToPicture() const;
  cairo_matrix_t DeviceToPicture() const { return device_; }

  void Save();
  // Negative: that many levels back; positive: the level SaveDC numbered so.
  void Restore(int which);

  // Mapping.
  void SetMapMode(int mode);
  void ScaleWindowExt(double xn, double xd, double yn, double yd);
  void ScaleViewportExt(double xn, double xd, double yn, double yd);
  void SetWorld(const cairo_matrix_t& m);
  // 1 identity, 2 left multiply, 3 right multiply, 4 set.
  void ModifyWorld(const cairo_matrix_t& m, int mode);

  // Path bracket.
  void BeginPath();
  void EndPath() { in_path_ = false; }
  void AbortPath();
  void CloseFigure();
  void FillPath();
  void StrokePath();
  void StrokeAndFillPath();
  void SelectClipPath(int mode);

  // Drawing, in logical units.
  void MoveTo(Point p);
  void LineTo(Point p);
  void Polyline(std::span<const Point> points);
  void PolylineTo(std::span<const Point> points);
  void Polygon(std::span<const Point> points);
  void PolyPolygon(std::span<const Point> points, std::span<const std::uint32_t> counts);
  void PolyPolyline(std::span<const Point> points, std::span<const std::uint32_t> counts);
  void PolyBezier(std::span<const Point> points);
  void PolyBezierTo(std::span<const Point> points);
  // Types: 2 line, 4 Bézier, 6 move, |1 closes the figure.
  void PolyDraw(std::span<const Point> points, std::span<const std::uint8_t> types);
  void Rectangle(double l, double t, double r, double b);
  void RoundRect(double l, double t, double r, double b, double w, double h);
  void Ellipse(double l, double t, double r, double b);
  void Arc(ArcKind kind, double l, double t, double r, double b, Point start, Point end);
  void ArcTo(double l, double t, double r, double b, Point start, Point end);
  void AngleArc(Point centre, double radius, double start, double sweep);
  void SetPixel(Point p, Colour c);
  // From the point, the brush up to `colour` (border) or over it (surface).
  void FloodFill(Point p, Colour colour, bool surface);

  // Clipping. Rectangles in logical units; regions in device units (EMF) or
  // logical units (WMF), as `device_units` says. A null region with kRgnCopy
  // removes the clip.
  void IntersectClipRect(double l, double t, double r, double b);
  void ExcludeClipRect(double l, double t, double r, double b);
  void SelectClipRegion(const Region* region, int mode, bool device_units);
  void OffsetClip(double dx, double dy);

  void FillRegion(const Region& region, const Brush& brush, bool device_units);
  void FrameRegion(const Region& region, const Brush& brush, double w, double h, bool device_units);
  void InvertRegion(const Region& region, bool device_units);

  // ExtTextOut: `advances` per character in logical units (may be empty);
  // options ETO_OPAQUE (2) and ETO_CLIPPED (4) use `rect`.
  void TextOut(Point ref, const std::vector<TextChar>& text, const std::vector<double>& advances,
               std::uint32_t options, const Region::Rect* rect);

  // Bitmaps: source rectangle into a logical rectangle with a raster op; a
  // null image with a pattern raster op paints the brush.
  void StretchBlt(double dx, double dy, double dw, double dh, cairo_surface_t* image, double sx, double sy,
                  double sw, double sh, std::uint32_t rop);
  void PatBlt(double x, double y, double w, double h, std::uint32_t rop);
  // Vertices in logical units with 16-bit colour channels.
  struct Vertex {
    Point p;
    double r, g, b;
  };
  void GradientRect(const Vertex& a, const Vertex& b, bool vertical);
  void GradientTriangle(const Vertex& a, const Vertex& b, const Vertex& c);

  bool Drew() const { return canvas_.Drew(); }

 private:
  // A finished figure: into the path bracket when one is open, else drawn.
  void Emit(Path&& path, bool fill, bool stroke);
  Path RegionPath(const Region& region, bool device_units) const;
  void Clip(Path&& path, bool even_odd, int mode);
  double FontEm(cairo_t* cr, double scale_y) const;

  MetafileCanvas& canvas_;
  cairo_matrix_t device_;
  Point device_per_mm_;
  DcState state_;
  std::vector<DcState> saved_;
  bool in_path_ = false;
  Path path_;
  FontFallback fonts_;
};

}  // namespace plendo::codecs::metafile
