#pragma once
// The device context a metafile's records act on: the objects they create
// (pens, brushes, fonts, regions, palettes), the state SaveDC keeps, and the
// path and clip geometry, which is held in output pixels so that a transform
// changed in the middle of a path bracket bends nothing already recorded.
#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace plendo::codecs::metafile {

struct Point {
  double x = 0, y = 0;
};

struct Colour {
  double r = 0, g = 0, b = 0;
  double a = 1;  // EMF+ colours carry alpha; GDI's are opaque
  // COLORREF: 0x00bbggrr; the high byte (palette index flags) is ignored.
  static Colour FromRef(std::uint32_t ref) {
    return {(ref & 0xFF) / 255.0, ((ref >> 8) & 0xFF) / 255.0, ((ref >> 16) & 0xFF) / 255.0};
  }
};

struct PathOp {
  enum Kind : std::uint8_t { Move, Line, Curve, Close } kind;
  Point p[3];
};
using Path = std::vector<PathOp>;

using SurfacePtr = std::shared_ptr<cairo_surface_t>;
inline SurfacePtr AdoptSurface(cairo_surface_t* s) { return SurfacePtr(s, cairo_surface_destroy); }

// Pen styles, caps and joins as the records store them.
enum PenBits : std::uint32_t {
  kPsSolid = 0, kPsDash = 1, kPsDot = 2, kPsDashDot = 3, kPsDashDotDot = 4, kPsNull = 5,
  kPsInsideFrame = 6, kPsUserStyle = 7, kPsAlternate = 8, kPsStyleMask = 0xF,
  kPsEndCapMask = 0xF00, kPsCapSquare = 0x100, kPsCapFlat = 0x200,
  kPsJoinMask = 0xF000, kPsJoinBevel = 0x1000, kPsJoinMiter = 0x2000,
  kPsGeometric = 0x10000,
};

struct Pen {
  std::uint32_t style = kPsSolid;
  double width = 0;  // logical units; 0 draws one pixel wide
  Colour colour;
  std::vector<double> user_dashes;
  bool Null() const { return (style & kPsStyleMask) == kPsNull; }
};

struct Brush {
  enum class Kind { Solid, Null, Hatched, Pattern } kind = Kind::Solid;
  Colour colour{1, 1, 1};
  std::uint32_t hatch = 0;
  SurfacePtr pattern;  // DIB pattern brushes
  bool mono = false;   // pattern is a black/white mask painted in the text and background colours
};

struct Font {
  double height = 0;       // logical; negative: character height, positive: cell height
  double width = 0;
  double escapement = 0;   // tenths of a degree, counter-clockwise
  int weight = 400;
  bool italic = false, underline = false, strikeout = false;
  std::uint8_t charset = 1;  // DEFAULT_CHARSET
  std::string face;          // UTF-8
};

// Rectangles, as a region's records list them (device units in EMF, logical
// units in WMF).
struct Region {
  struct Rect {
    double left, top, right, bottom;
  };
  std::vector<Rect> rects;
};

struct Palette {
  std::vector<Colour> entries;
};

using GdiObject = std::variant<std::monostate, Pen, Brush, Font, Region, Palette>;

// One clip step in output pixels: the picture is clipped to every step in
// turn. `outside` keeps what lies outside the path instead.
struct ClipStep {
  Path path;
  bool even_odd = false;
  bool outside = false;
};

enum MapMode { kMmText = 1, kMmLoMetric, kMmHiMetric, kMmLoEnglish, kMmHiEnglish, kMmTwips, kMmIsotropic, kMmAnisotropic };

struct DcState {
  int map_mode = kMmText;
  Point window_org{0, 0}, window_ext{1, 1}, viewport_org{0, 0}, viewport_ext{1, 1};
  cairo_matrix_t world{1, 0, 0, 1, 0, 0};
  Pen pen;
  Brush brush;
  Font font;
  Colour text_colour{0, 0, 0}, bk_colour{1, 1, 1};
  int bk_mode = 2;          // OPAQUE
  std::uint32_t text_align = 0;
  int poly_fill = 1;        // ALTERNATE
  int rop2 = 13;            // R2_COPYPEN
  double miter_limit = 10;
  bool clockwise = false;
  double char_extra = 0;
  Point position{0, 0};
  std::vector<ClipStep> clip;  // empty: nothing clipped
};

}  // namespace plendo::codecs::metafile
