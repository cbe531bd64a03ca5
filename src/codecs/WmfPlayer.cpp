#include "codecs/WmfPlayer.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "codecs/MetafileBytes.h"
#include "codecs/MetafileCharset.h"
#include "codecs/MetafileDc.h"
#include "codecs/MetafileDib.h"

namespace plendo::codecs::metafile {
namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kMaxObjects = 65535;

enum WmfRecord : std::uint16_t {
  kEof = 0x0000, kSaveDc = 0x001E, kCreatePalette = 0x00F7, kSetBkMode = 0x0102, kSetMapMode = 0x0103,
  kSetRop2 = 0x0104, kSetPolyFillMode = 0x0106, kSetTextCharExtra = 0x0108, kRestoreDc = 0x0127,
  kInvertRegion = 0x012A, kPaintRegion = 0x012B, kSelectClipRegion = 0x012C, kSelectObject = 0x012D,
  kSetTextAlign = 0x012E, kDibCreatePatternBrush = 0x0142, kDeleteObject = 0x01F0,
  kCreatePatternBrush = 0x01F9, kSetBkColor = 0x0201, kSetTextColor = 0x0209, kSetWindowOrg = 0x020B,
  kSetWindowExt = 0x020C, kOffsetWindowOrg = 0x020F, kLineTo = 0x0213, kMoveTo = 0x0214,
  kOffsetClipRgn = 0x0220, kFillRegion = 0x0228, kCreatePenIndirect = 0x02FA, kCreateFontIndirect = 0x02FB,
  kCreateBrushIndirect = 0x02FC, kPolygon = 0x0324, kPolyline = 0x0325, kScaleWindowExt = 0x0410,
  kExcludeClipRect = 0x0415, kIntersectClipRect = 0x0416, kEllipse = 0x0418, kFloodFill = 0x0419,
  kRectangle = 0x041B, kSetPixel = 0x041F, kFrameRegion = 0x0429, kTextOut = 0x0521, kPolyPolygon = 0x0538,
  kExtFloodFill = 0x0548, kRoundRect = 0x061C, kPatBlt = 0x061D, kCreateRegion = 0x06FF, kArc = 0x0817,
  kPie = 0x081A, kChord = 0x0830, kBitBlt = 0x0922, kDibBitBlt = 0x0940, kExtTextOut = 0x0A32,
  kStretchBlt = 0x0B23, kDibStretchBlt = 0x0B41, kSetDibToDev = 0x0D33, kStretchDib = 0x0F43,
};

// Parameters are 16-bit words after the u32 size and u16 function.
double P(const RecordBytes& r, std::size_t i) { return r.I16(6 + 2 * i); }

// count, then count POINTS (i16 x, y) from `at`.
std::vector<Point> ParsePoints(const RecordBytes& r, std::size_t at, std::size_t count) {
  if (r.CountFits(at, 4) < count) throw MetafileError("WMF point count beyond the record");
  std::vector<Point> points(count);
  for (std::size_t i = 0; i < count; ++i) points[i] = {double(r.I16(at + 4 * i)), double(r.I16(at + 4 * i + 2))};
  return points;
}

// Region object: i16 next, type, i32 count, i16 size, scans, max scan,
// RECT bound; then scans of u16 count, i16 top, bottom, count/2 pairs of
// (left, right), u16 count again. Some writers keep the count to 16 bits,
// which moves everything after it one word up.
Region ParseRegion(const RecordBytes& r, std::size_t shift = 0) {
  const std::size_t scans = r.U16(16 - shift);
  Region region;
  std::size_t at = 28 - shift;
  for (std::size_t s = 0; s < scans; ++s) {
    const std::size_t count = r.U16(at);
    const double top = r.I16(at + 2), bottom = r.I16(at + 4);
    if (r.CountFits(at + 6, 4) < count / 2) throw MetafileError("WMF region scan beyond the record");
    for (std::size_t i = 0; i < count / 2; ++i)
      region.rects.push_back({double(r.I16(at + 6 + 4 * i)), top, double(r.I16(at + 8 + 4 * i)), bottom});
    at += 6 + 2 * count + 2;
  }
  return region;
}

// A region that fits neither layout still takes its slot (an empty one), so
// that the objects after it keep their numbers and the drawing goes on.
Region ParseAnyRegion(const RecordBytes& r) {
  for (std::size_t shift : {0, 2}) {
    try {
      return ParseRegion(r, shift);
    } catch (const MetafileError&) {
    }
  }
  return Region{};
}

// A BS_PATTERN brush's device-dependent bitmap; one bit deep, it paints in
// the text and background colours.
Brush Bitmap16Brush(std::span<const std::uint8_t> bitmap) {
  Brush b;
  b.colour = {0.5, 0.5, 0.5};
  b.pattern = Bitmap16Surface(bitmap);
  if (b.pattern) b.kind = Brush::Kind::Pattern, b.mono = bitmap.size() > 9 && bitmap[9] == 1;
  return b;
}

// BS_PATTERN given as a one-bit DIB (header, perhaps a palette, rows): like
// a monochrome bitmap, its bits are a mask painted in the text and
// background colours, whatever palette it has or lacks.
Brush MonoDibBrush(std::span<const std::uint8_t> dib) {
  Brush b;
  b.colour = {0.5, 0.5, 0.5};
  const std::size_t header = ReadU32LE(dib, 0);
  const std::int64_t w = static_cast<std::int32_t>(ReadU32LE(dib, 4)), h = static_cast<std::int32_t>(ReadU32LE(dib, 8));
  if (header < 40 || header > dib.size() || w <= 0 || w > 4096 || h == 0 || std::abs(h) > 4096) return b;
  const std::size_t rows = static_cast<std::size_t>((w + 31) / 32 * 4 * std::abs(h));
  if (rows > dib.size() - header) return b;
  std::vector<std::uint8_t> patched(dib.begin(), dib.begin() + static_cast<std::ptrdiff_t>(header));
  patched[32] = 2, patched[33] = patched[34] = patched[35] = 0;  // biClrUsed
  patched.insert(patched.end(), {0, 0, 0, 0, 255, 255, 255, 0});
  patched.insert(patched.end(), dib.end() - static_cast<std::ptrdiff_t>(rows), dib.end());
  b.pattern = PackedDibSurface(patched);
  if (b.pattern) b.kind = Brush::Kind::Pattern, b.mono = true;
  return b;
}

class WmfPlayer {
 public:
  WmfPlayer(const WmfHeader& h, MetafileCanvas& canvas, double width, double height)
      : dc_(canvas, View(h, width, height), {width / std::max(1.0, std::abs(h.right - h.left)), 1}),
        objects_(std::max<std::size_t>(h.objects, 1)) {
    DcState& s = dc_.State();
    s.map_mode = kMmAnisotropic;
    s.window_org = {h.left, h.top};
    s.window_ext = {h.right - h.left, h.bottom - h.top};
    s.viewport_ext = {width, height};
  }

  void Play(std::span<const std::uint8_t> bytes, std::size_t at, PlayResult& result);

 private:
  // The view's part of the box onto the whole picture.
  static cairo_matrix_t View(const WmfHeader& h, double width, double height) {
    const double sx = 1 / (h.view_x1 - h.view_x0), sy = 1 / (h.view_y1 - h.view_y0);
    cairo_matrix_t m;
    cairo_matrix_init(&m, sx, 0, 0, sy, -h.view_x0 * width * sx, -h.view_y0 * height * sy);
    return m;
  }
  void Record(std::uint16_t function, const RecordBytes& r);
  void Create(GdiObject object);
  const GdiObject* Find(std::size_t index) const { return index < objects_.size() ? &objects_[index] : nullptr; }
  void Select(std::size_t index);
  void Text(Point ref, std::span<const std::uint8_t> bytes, std::vector<double> dx, std::uint32_t options,
            const Region::Rect* rect);
  void Dib(const RecordBytes& r, std::size_t dib_at, double dx, double dy, double dw, double dh, double sx,
           double sy, double sw, double sh, std::uint32_t rop, bool bottom_up_source);

  MetafileDc dc_;
  std::vector<GdiObject> objects_;
};

// Every object takes the lowest free slot.
void WmfPlayer::Create(GdiObject object) {
  for (GdiObject& slot : objects_) {
    if (std::holds_alternative<std::monostate>(slot)) {
      slot = std::move(object);
      return;
    }
  }
  if (objects_.size() < kMaxObjects) objects_.push_back(std::move(object));
}

void WmfPlayer::Select(std::size_t index) {
  const GdiObject* o = Find(index);
  if (!o) return;
  DcState& s = dc_.State();
  if (const Pen* p = std::get_if<Pen>(o)) s.pen = *p;
  else if (const Brush* b = std::get_if<Brush>(o)) s.brush = *b;
  else if (const Font* f = std::get_if<Font>(o)) s.font = *f;
  else if (const Region* g = std::get_if<Region>(o)) dc_.SelectClipRegion(g, kRgnCopy, false);
}

void WmfPlayer::Text(Point ref, std::span<const std::uint8_t> bytes, std::vector<double> dx, std::uint32_t options,
                     const Region::Rect* rect) {
  dc_.TextOut(ref, DecodeAnsiText(bytes, dc_.State().font.charset), dx, options, rect);
}

// A packed DIB at `dib_at` up to the record's end.
void WmfPlayer::Dib(const RecordBytes& r, std::size_t dib_at, double dx, double dy, double dw, double dh,
                    double sx, double sy, double sw, double sh, std::uint32_t rop, bool bottom_up_source) {
  const auto packed = r.Sub(dib_at, r.Size() - std::min(dib_at, r.Size()));
  SurfacePtr image = PackedDibSurface(packed);
  if (!image) return;
  if (bottom_up_source && packed.size() >= 12 && r.U32(dib_at) >= 40 && r.I32(dib_at + 8) > 0)
    sy = r.I32(dib_at + 8) - sy - sh;
  dc_.StretchBlt(dx, dy, dw, dh, image.get(), sx, sy, sw, sh, rop);
}

void WmfPlayer::Record(std::uint16_t function, const RecordBytes& r) {
  DcState& s = dc_.State();
  const std::size_t words = r.Size() / 2;
  switch (function) {
    case kSaveDc: return dc_.Save();
    case kRestoreDc: return dc_.Restore(static_cast<int>(P(r, 0)));
    case kSetBkMode: s.bk_mode = static_cast<int>(P(r, 0)); return;
    case kSetMapMode:
      // The picture is played into its box; only the aspect rule counts.
      s.map_mode = r.U16(6) == kMmIsotropic ? kMmIsotropic : kMmAnisotropic;
      return;
    case kSetRop2: s.rop2 = static_cast<int>(P(r, 0)); return;
    case kSetPolyFillMode: s.poly_fill = static_cast<int>(P(r, 0)); return;
    case kSetTextCharExtra: s.char_extra = P(r, 0); return;
    case kSetTextAlign: s.text_align = r.U16(6); return;
    case kSetBkColor: s.bk_colour = Colour::FromRef(r.U32(6)); return;
    case kSetTextColor: s.text_colour = Colour::FromRef(r.U32(6)); return;
    case kSetWindowOrg: s.window_org = {P(r, 1), P(r, 0)}; return;
    case kSetWindowExt: s.window_ext = {P(r, 1), P(r, 0)}; return;
    case kOffsetWindowOrg: s.window_org.x += P(r, 1), s.window_org.y += P(r, 0); return;
    case kScaleWindowExt: return dc_.ScaleWindowExt(P(r, 3), P(r, 2), P(r, 1), P(r, 0));
    case kLineTo: return dc_.LineTo({P(r, 1), P(r, 0)});
    case kMoveTo: return dc_.MoveTo({P(r, 1), P(r, 0)});
    case kOffsetClipRgn: return dc_.OffsetClip(P(r, 1), P(r, 0));
    case kExcludeClipRect: return dc_.ExcludeClipRect(P(r, 3), P(r, 2), P(r, 1), P(r, 0));
    case kIntersectClipRect: return dc_.IntersectClipRect(P(r, 3), P(r, 2), P(r, 1), P(r, 0));
    case kEllipse: return dc_.Ellipse(P(r, 3), P(r, 2), P(r, 1), P(r, 0));
    case kRectangle: return dc_.Rectangle(P(r, 3), P(r, 2), P(r, 1), P(r, 0));
    case kRoundRect: return dc_.RoundRect(P(r, 5), P(r, 4), P(r, 3), P(r, 2), P(r, 1), P(r, 0));
    case kArc: case kPie: case kChord: {
      const ArcKind kind = function == kArc ? ArcKind::Open : function == kPie ? ArcKind::Pie : ArcKind::Chord;
      return dc_.Arc(kind, P(r, 7), P(r, 6), P(r, 5), P(r, 4), {P(r, 3), P(r, 2)}, {P(r, 1), P(r, 0)});
    }
    case kSetPixel: return dc_.SetPixel({P(r, 3), P(r, 2)}, Colour::FromRef(r.U32(6)));
    // COLORREF, i16 y, x; the extended form has u16 mode (1: surface) first.
    case kFloodFill: return dc_.FloodFill({P(r, 3), P(r, 2)}, Colour::FromRef(r.U32(6)), false);
    case kExtFloodFill: return dc_.FloodFill({P(r, 4), P(r, 3)}, Colour::FromRef(r.U32(8)), r.U16(6) == 1);
    case kPolygon: case kPolyline: {
      const std::vector<Point> points = ParsePoints(r, 8, r.U16(6));
      if (function == kPolygon) return dc_.Polygon(points);
      return dc_.Polyline(points);
    }
    case kPolyPolygon: {
      // u16 polygons, u16 counts[], then all points.
      const std::size_t polygons = r.U16(6);
      if (r.CountFits(8, 2) < polygons) throw MetafileError("WMF polygon count beyond the record");
      std::vector<std::uint32_t> counts(polygons);
      std::size_t total = 0;
      for (std::size_t i = 0; i < polygons; ++i) total += counts[i] = r.U16(8 + 2 * i);
      const std::vector<Point> points = ParsePoints(r, 8 + 2 * polygons, total);
      return dc_.PolyPolygon(points, counts);
    }
    case kSelectObject: return Select(r.U16(6));
    case kSelectClipRegion: {
      const GdiObject* o = Find(r.U16(6));
      const Region* g = o ? std::get_if<Region>(o) : nullptr;
      return dc_.SelectClipRegion(g, kRgnCopy, false);
    }
    case kDeleteObject: {
      const std::size_t i = r.U16(6);
      if (i < objects_.size()) objects_[i] = std::monostate{};
      return;
    }
    case kCreatePenIndirect: {
      // u16 style, POINTS width, COLORREF.
      Pen pen{r.U16(6), double(r.I16(8)), Colour::FromRef(r.U32(12)), {}};
      return Create(std::move(pen));
    }
    case kCreateBrushIndirect: {
      // u16 style, COLORREF, u16 hatch.
      Brush b;
      const std::uint16_t style = r.U16(6);
      b.colour = Colour::FromRef(r.U32(8));
      b.hatch = r.U16(12);
      b.kind = style == 1 ? Brush::Kind::Null : style == 2 ? Brush::Kind::Hatched : Brush::Kind::Solid;
      return Create(std::move(b));
    }
    case kCreateFontIndirect: {
      // i16 height, width, escapement, orientation, weight; u8 italic,
      // underline, strike-out, charset, 4 more; face name up to 32 bytes.
      Font f;
      f.height = r.I16(6), f.width = r.I16(8), f.escapement = r.I16(10), f.weight = r.I16(14);
      f.italic = r.U8(16) != 0, f.underline = r.U8(17) != 0, f.strikeout = r.U8(18) != 0;
      f.charset = r.U8(19);
      if (r.Size() > 24) f.face = FaceNameAnsi(r.Sub(24, std::min<std::size_t>(32, r.Size() - 24)), f.charset);
      return Create(std::move(f));
    }
    case kDibCreatePatternBrush: {
      // u16 style, u16 usage, then a packed DIB, or for BS_PATTERN a
      // device-dependent bitmap.
      const auto data = r.Sub(10, r.Size() - std::min<std::size_t>(10, r.Size()));
      if (r.U16(6) == 3) {
        const bool dib = data.size() >= 16 && ReadU32LE(data, 0) >= 40 && ReadU32LE(data, 0) <= 124 &&
                         ReadU16LE(data, 14) == 1;
        return Create(dib ? MonoDibBrush(data) : Bitmap16Brush(data));
      }
      Brush b;
      b.kind = Brush::Kind::Pattern;
      b.colour = {0.5, 0.5, 0.5};
      b.pattern = PackedDibSurface(data);
      if (!b.pattern) b.kind = Brush::Kind::Solid;
      return Create(std::move(b));
    }
    case kCreatePatternBrush: {
      // The bitmap's 10-byte header, 4 unused bytes, 18 reserved, the rows.
      if (r.Size() < 44) return Create(Bitmap16Brush({}));
      const auto header = r.Sub(6, 10), rows = r.Sub(38, r.Size() - 38);
      std::vector<std::uint8_t> bitmap(header.begin(), header.end());
      bitmap.insert(bitmap.end(), rows.begin(), rows.end());
      return Create(Bitmap16Brush(bitmap));
    }
    case kCreatePalette: return Create(Palette{});
    case kCreateRegion: return Create(ParseAnyRegion(r));
    case kFillRegion: case kFrameRegion: case kPaintRegion: case kInvertRegion: {
      const GdiObject* o = Find(r.U16(6));
      const Region* g = o ? std::get_if<Region>(o) : nullptr;
      if (!g) return;
      if (function == kInvertRegion) return dc_.InvertRegion(*g, false);
      if (function == kPaintRegion) return dc_.FillRegion(*g, s.brush, false);
      const GdiObject* bo = Find(r.U16(8));
      const Brush* b = bo ? std::get_if<Brush>(bo) : nullptr;
      const Brush brush = b ? *b : s.brush;
      if (function == kFillRegion) return dc_.FillRegion(*g, brush, false);
      return dc_.FrameRegion(*g, brush, P(r, 3), P(r, 2), false);
    }
    case kTextOut: {
      // u16 length, the string padded to even, i16 y, x.
      const std::size_t n = r.U16(6);
      const std::size_t padded = (n + 1) & ~std::size_t{1};
      const auto bytes = r.Sub(8, n);
      return Text({double(r.I16(10 + padded)), double(r.I16(8 + padded))}, bytes, {}, 0, nullptr);
    }
    case kExtTextOut: {
      // i16 y, x, length, u16 options, [RECT if opaque or clipped], the
      // string padded to even, [i16 advances].
      const Point ref{P(r, 1), P(r, 0)};
      const std::size_t n = static_cast<std::uint16_t>(r.I16(10));
      const std::uint16_t options = r.U16(12);
      std::size_t at = 14;
      Region::Rect rect{};
      const bool has_rect = options & 6;
      if (has_rect) {
        rect = {double(r.I16(14)), double(r.I16(16)), double(r.I16(18)), double(r.I16(20))};
        at += 8;
      }
      const auto bytes = r.Sub(at, n);
      at += (n + 1) & ~std::size_t{1};
      std::vector<double> dx;
      if (r.CountFits(at, 2) >= n)
        for (std::size_t i = 0; i < n; ++i) dx.push_back(r.I16(at + 2 * i));
      return Text(ref, bytes, std::move(dx), options, has_rect ? &rect : nullptr);
    }
    case kPatBlt: return dc_.PatBlt(P(r, 5), P(r, 4), P(r, 3), P(r, 2), r.U32(6));
    case kDibBitBlt: {
      if (words == 12)  // no bitmap: a pattern operation
        return dc_.PatBlt(P(r, 8), P(r, 7), P(r, 6), P(r, 5), r.U32(6));
      // u32 rop, i16 ySrc, xSrc, height, width, yDest, xDest, DIB.
      return Dib(r, 22, P(r, 7), P(r, 6), P(r, 5), P(r, 4), P(r, 3), P(r, 2), P(r, 5), P(r, 4), r.U32(6), false);
    }
    case kDibStretchBlt: {
      if (words == 14)
        return dc_.PatBlt(P(r, 10), P(r, 9), P(r, 8), P(r, 7), r.U32(6));
      // u32 rop, i16 srcHeight, srcWidth, ySrc, xSrc, destHeight, destWidth,
      // yDest, xDest, DIB.
      return Dib(r, 26, P(r, 9), P(r, 8), P(r, 7), P(r, 6), P(r, 5), P(r, 4), P(r, 3), P(r, 2), r.U32(6), false);
    }
    case kStretchDib: {
      // u32 rop, u16 usage, i16 srcHeight, srcWidth, ySrc, xSrc, destHeight,
      // destWidth, yDest, xDest, DIB.
      if (r.U16(10) != 0) return;
      return Dib(r, 28, P(r, 10), P(r, 9), P(r, 8), P(r, 7), P(r, 6), P(r, 5), P(r, 4), P(r, 3), r.U32(6), true);
    }
    case kSetDibToDev: {
      // u16 usage, scan count, start scan, i16 ySrc, xSrc, height, width,
      // yDest, xDest, DIB.
      if (r.U16(6) != 0) return;
      return Dib(r, 24, P(r, 8), P(r, 7), P(r, 6), P(r, 5), P(r, 4), P(r, 3), P(r, 6), P(r, 5), 0x00CC0020, true);
    }
    case kBitBlt: case kStretchBlt: {
      // Device-dependent bitmaps: rop, [source size], source origin,
      // destination size and origin, then the bitmap.
      const bool stretch = function == kStretchBlt;
      const std::size_t k = stretch ? 2 : 0;
      const double sw = stretch ? P(r, 3) : P(r, 5), sh = stretch ? P(r, 2) : P(r, 4);
      const std::size_t bitmap_at = 22 + 2 * k;
      SurfacePtr image = Bitmap16Surface(r.Sub(bitmap_at, r.Size() - std::min(bitmap_at, r.Size())));
      if (!image) return;
      dc_.StretchBlt(P(r, 7 + k), P(r, 6 + k), P(r, 5 + k), P(r, 4 + k), image.get(), P(r, 3 + k), P(r, 2 + k), sw,
                     sh, r.U32(6));
      return;
    }
    default: return;  // escapes, palettes: nothing we draw
  }
}

void WmfPlayer::Play(std::span<const std::uint8_t> bytes, std::size_t at, PlayResult& result) {
  const std::size_t end = bytes.size();
  while (at < end) {
    if (end - at < 6) {
      result.broken = true;
      break;
    }
    const std::uint64_t size = std::uint64_t{ReadU32LE(bytes, at)} * 2;
    const std::uint16_t function = ReadU16LE(bytes, at + 4);
    if (size < 6 || size > end - at) {
      result.broken = !(function == kEof && end - at >= 6);
      break;
    }
    if (function == kEof) break;
    try {
      Record(function, RecordBytes(bytes.subspan(at, static_cast<std::size_t>(size))));
    } catch (const MetafileError&) {
      result.broken = true;
      break;
    }
    at += static_cast<std::size_t>(size);
  }
  result.drew = dc_.Drew();
}

// The first window origin and extent the records set, for a file without a
// placeable box.
bool FindWindow(std::span<const std::uint8_t> bytes, std::size_t at, WmfHeader& h) {
  bool ext = false;
  while (at + 6 <= bytes.size()) {
    const std::uint64_t size = std::uint64_t{ReadU32LE(bytes, at)} * 2;
    const std::uint16_t function = ReadU16LE(bytes, at + 4);
    if (size < 6 || size > bytes.size() - at || function == kEof) break;
    const RecordBytes r(bytes.subspan(at, static_cast<std::size_t>(size)));
    if (function == kSetWindowOrg && r.Has(6, 4)) {
      const double dx = P(r, 1) - h.left, dy = P(r, 0) - h.top;
      h.left += dx, h.right += dx, h.top += dy, h.bottom += dy;
    } else if (function == kSetWindowExt && r.Has(6, 4)) {
      h.right = h.left + P(r, 1), h.bottom = h.top + P(r, 0);
      ext = true;
      break;
    }
    at += static_cast<std::size_t>(size);
  }
  return ext;
}

}  // namespace

// Placeable header: u32 key, u16 handle, i16 left, top, right, bottom, u16
// units per inch, u32 reserved, u16 checksum. Metafile header: u16 type (1
// memory, 2 disk), u16 header words (9), u16 version, u32 size in words,
// u16 objects, u32 largest record, u16 unused.
WmfHeader ParseWmfHeader(std::span<const std::uint8_t> bytes) {
  const RecordBytes all(bytes);
  WmfHeader h;
  std::size_t at = 0;
  if (all.Has(0, 4) && all.U32(0) == kPlaceableKey) {
    if (!all.Has(0, 22)) throw MetafileError("WMF placeable header cut off");
    h.placeable = true;
    h.left = all.I16(6), h.top = all.I16(8), h.right = all.I16(10), h.bottom = all.I16(12);
    h.units_per_inch = all.U16(14) ? all.U16(14) : 1440;
    at = 22;
  }
  if (!all.Has(at, 18)) throw MetafileError("WMF header cut off");
  const std::uint16_t type = all.U16(at), words = all.U16(at + 2);
  if ((type != 1 && type != 2) || words != 9) throw MetafileError("not a WMF header");
  h.objects = all.U16(at + 10);
  h.records_at = at + 18;
  if (!h.placeable && !FindWindow(bytes, h.records_at, h)) throw MetafileError("WMF without a size");
  if (h.right == h.left || h.bottom == h.top) throw MetafileError("WMF picture has no size");
  return h;
}

void FitWmfToDrawing(std::span<const std::uint8_t> bytes, WmfHeader& h) {
  // Played at one picture pixel a logical unit onto a one-pixel surface:
  // only the extent of what is drawn counts.
  const double w = std::abs(h.right - h.left), hh = std::abs(h.bottom - h.top);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
  cairo_t* cr = cairo_create(surface);
  MetafileCanvas canvas(cr, 0, 0, 1);
  WmfHeader box = h;
  box.view_x0 = box.view_y0 = 0, box.view_x1 = box.view_y1 = 1;
  PlayWmf(bytes, box, canvas, w, hh);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  const MetafileCanvas::Extent& e = canvas.Drawn();
  if (e.Empty() || e.x1 - e.x0 < 1 || e.y1 - e.y0 < 1) return;
  const double slack_x = 0.01 * w, slack_y = 0.01 * hh;
  if (e.x0 >= -slack_x && e.y0 >= -slack_y && e.x1 <= w + slack_x && e.y1 <= hh + slack_y) return;
  h.view_x0 = e.x0 / w, h.view_x1 = e.x1 / w, h.view_y0 = e.y0 / hh, h.view_y1 = e.y1 / hh;
}

PlayResult PlayWmf(std::span<const std::uint8_t> bytes, const WmfHeader& header, MetafileCanvas& canvas,
                   double width, double height) {
  WmfPlayer player(header, canvas, width, height);
  PlayResult result;
  player.Play(bytes, header.records_at, result);
  return result;
}

}  // namespace plendo::codecs::metafile
