#pragma once
// The objects EMF+ records define and later draw with: brushes, pens, paths,
// regions, images, fonts and string formats. Each object's bytes start with
// a u32 version; the parsers read what follows it, check every count against
// the bytes there, and throw MetafileError when an object is cut off.
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "codecs/MetafileBytes.h"
#include "codecs/MetafileState.h"

namespace plendo::codecs::metafile::plus {

// ARGB with alpha, channels 0..1.
struct Argb {
  double a = 1, r = 0, g = 0, b = 0;
  // Stored as u32 0xAARRGGBB (bytes blue, green, red, alpha).
  static Argb FromU32(std::uint32_t v) {
    return {(v >> 24) / 255.0, ((v >> 16) & 0xFF) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0};
  }
};

// A path as stored: points in world units, each with its type byte (low
// three bits: 0 start, 1 line, 3 Bézier; 0x80 closes the figure).
struct PathData {
  std::vector<Point> points;
  std::vector<std::uint8_t> types;
};

// Colour stops of a gradient, positions 0..1.
struct Stop {
  double at;
  Argb colour;
};

struct BrushData {
  enum class Kind { Solid, Hatch, Texture, Linear, PathGradient } kind = Kind::Solid;
  Argb colour;                  // solid; hatch foreground; path gradient centre
  Argb back;                    // hatch background
  std::uint32_t hatch = 0;      // hatch style
  double rect[4] = {0, 0, 0, 0};  // linear gradient: x, y, width, height
  std::vector<Stop> stops;      // linear and path gradients, sorted by position
  int wrap = 0;                 // 0 tile, 1 flip x, 2 flip y, 3 flip both, 4 clamp
  cairo_matrix_t transform{1, 0, 0, 1, 0, 0};
  Point centre;                 // path gradient
  PathData boundary;            // path gradient outline
  SurfacePtr texture;           // texture brush
};

struct PenData {
  double width = 1;
  std::uint32_t unit = 0;       // 0: world
  BrushData brush;
  int start_cap = 0, end_cap = 0;  // 0 flat, 1 square, 2 round, 3 triangle, 0x1x anchors
  int join = 0;                 // 0 miter, 1 bevel, 2 round, 3 miter clipped
  double miter_limit = 10;
  int style = 0;                // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 custom
  std::vector<double> dashes;   // custom dashes, in pen widths
  double dash_offset = 0;
  bool transformed = false;
  cairo_matrix_t transform{1, 0, 0, 1, 0, 0};
};

// A region as a tree: leaves rectangle, path, empty or infinite; inner
// nodes combine their two children.
struct RegionNode {
  enum class Kind { Rect, Path, Empty, Infinite, Combine } kind = Kind::Infinite;
  int mode = 0;  // Combine: 1 intersect, 2 union, 3 xor, 4 exclude, 5 complement
  double rect[4] = {0, 0, 0, 0};
  PathData path;
  std::unique_ptr<RegionNode> left, right;
};
using RegionData = std::shared_ptr<const RegionNode>;

struct ImageData {
  SurfacePtr bitmap;                      // a bitmap, decoded
  std::vector<std::uint8_t> metafile;     // or a WMF/EMF file, played when drawn
  bool placeable_wmf = false;
  double width = 0, height = 0;           // pixels (bitmap) or the metafile's natural size
};

struct FontData {
  double em = 0;
  std::uint32_t unit = 3;  // 3: point
  std::uint32_t style = 0;  // 1 bold, 2 italic, 4 underline, 8 strikeout
  std::u16string family;
};

struct FormatData {
  std::uint32_t flags = 0;     // 0x1000 no wrap, 0x4000 no clip, 2 vertical
  std::uint32_t align = 0;     // 0 near, 1 centre, 2 far
  std::uint32_t line_align = 0;
};

using Object = std::variant<std::monostate, BrushData, PenData, PathData, RegionData, ImageData, FontData,
                            FormatData>;

// How deep a region's tree may go.
inline constexpr int kMaxNesting = 16;

BrushData ParseBrush(const RecordBytes& r);
PenData ParsePen(const RecordBytes& r);
// `at`: the path's u32 version.
PathData ParsePath(const RecordBytes& r, std::size_t at = 0);
RegionData ParseRegion(const RecordBytes& r);
ImageData ParseImage(const RecordBytes& r);
FontData ParseFont(const RecordBytes& r);
FormatData ParseFormat(const RecordBytes& r);

// Point lists as drawing records store them: 16-bit integers (compressed),
// relative 7- or 15-bit steps, or floats.
std::vector<Point> ReadPoints(const RecordBytes& r, std::size_t at, std::uint32_t count, bool compressed,
                              bool relative);
// Rectangles: 16-bit integers or floats; x, y, width, height.
struct RectF {
  double x, y, w, h;
};
std::vector<RectF> ReadRects(const RecordBytes& r, std::size_t at, std::uint32_t count, bool compressed);

}  // namespace plendo::codecs::metafile::plus
