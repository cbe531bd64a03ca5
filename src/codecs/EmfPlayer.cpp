#include "codecs/EmfPlayer.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "codecs/EmfPlusPlayer.h"
#include "codecs/MetafileBytes.h"
#include "codecs/MetafileCharset.h"
#include "codecs/MetafileDc.h"
#include "codecs/MetafileDib.h"
#include "codecs/EmfStructures.h"

namespace plendo::codecs::metafile {
namespace {

using namespace emf;

constexpr std::uint32_t kEmfPlusId = 0x2B464D45;     // "EMF+"
constexpr std::size_t kMaxObjects = 65536;

enum EmfRecord : std::uint32_t {
  kHeader = 1, kPolyBezier = 2, kPolygon = 3, kPolyline = 4, kPolyBezierTo = 5, kPolylineTo = 6,
  kPolyPolyline = 7, kPolyPolygon = 8, kSetWindowExtEx = 9, kSetWindowOrgEx = 10, kSetViewportExtEx = 11,
  kSetViewportOrgEx = 12, kEof = 14, kSetPixelV = 15, kSetMapMode = 17, kSetBkMode = 18,
  kSetPolyFillMode = 19, kSetRop2 = 20, kSetTextAlign = 22, kSetTextColor = 24, kSetBkColor = 25,
  kOffsetClipRgn = 26, kMoveToEx = 27, kExcludeClipRect = 29, kIntersectClipRect = 30,
  kScaleViewportExtEx = 31, kScaleWindowExtEx = 32, kSaveDc = 33, kRestoreDc = 34, kSetWorldTransform = 35,
  kModifyWorldTransform = 36, kSelectObject = 37, kCreatePen = 38, kCreateBrushIndirect = 39,
  kDeleteObject = 40, kAngleArc = 41, kEllipse = 42, kRectangle = 43, kRoundRect = 44, kArc = 45,
  kChord = 46, kPie = 47, kCreatePalette = 49, kExtFloodFill = 53, kLineTo = 54, kArcTo = 55, kPolyDraw = 56,
  kSetArcDirection = 57, kSetMiterLimit = 58, kBeginPath = 59, kEndPath = 60, kCloseFigure = 61,
  kFillPath = 62, kStrokeAndFillPath = 63, kStrokePath = 64, kSelectClipPath = 67, kAbortPath = 68,
  kComment = 70, kFillRgn = 71, kFrameRgn = 72, kInvertRgn = 73, kPaintRgn = 74, kExtSelectClipRgn = 75,
  kBitBlt = 76, kStretchBlt = 77, kSetDiBitsToDevice = 80, kStretchDiBits = 81,
  kExtCreateFontIndirectW = 82, kExtTextOutA = 83, kExtTextOutW = 84, kPolyBezier16 = 85, kPolygon16 = 86,
  kPolyline16 = 87, kPolyBezierTo16 = 88, kPolylineTo16 = 89, kPolyPolyline16 = 90, kPolyPolygon16 = 91,
  kPolyDraw16 = 92, kCreateMonoBrush = 93, kCreateDibPatternBrushPt = 94, kExtCreatePen = 95,
  kPolyTextOutA = 96, kPolyTextOutW = 97, kSmallTextOut = 108, kAlphaBlend = 114, kTransparentBlt = 116,
  kGradientFill = 118,
};


// In EMF+ play the GDI records drawn are those after a GetDC; the ones that
// only make, pick or delete objects always play, so the handles that later
// records use are there.
bool KeepsObjects(std::uint32_t type) {
  return type == kSelectObject || type == kDeleteObject || type == kCreatePen || type == kExtCreatePen ||
         type == kCreateBrushIndirect || type == kCreateDibPatternBrushPt || type == kCreateMonoBrush ||
         type == kExtCreateFontIndirectW || type == kCreatePalette;
}

class EmfPlayer {
 public:
  EmfPlayer(const EmfHeader& h, MetafileCanvas& canvas, const cairo_matrix_t& device, Point device_per_mm,
            EmfMode mode, int depth)
      : dc_(canvas, device, device_per_mm), objects_(std::clamp<std::size_t>(h.handles, 1, kMaxObjects)) {
    if (mode == EmfMode::Plus) plus_ = std::make_unique<EmfPlusPlayer>(canvas, device, depth);
  }

  void Play(std::span<const std::uint8_t> bytes, PlayResult& result);

 private:
  void Record(std::uint32_t type, const RecordBytes& r, PlayResult& result);
  void Comment(const RecordBytes& r, PlayResult& result);
  void Store(std::uint32_t index, GdiObject object);
  const GdiObject* Find(std::uint32_t index) const;
  void Select(std::uint32_t index);
  void Text(const RecordBytes& r, std::size_t emrtext, bool wide);
  void Blit(const RecordBytes& r, std::uint32_t type);

  MetafileDc dc_;
  std::vector<GdiObject> objects_;
  std::unique_ptr<EmfPlusPlayer> plus_;
};

void EmfPlayer::Store(std::uint32_t index, GdiObject object) {
  if (index == 0 || index >= kMaxObjects) return;
  if (index >= objects_.size()) objects_.resize(index + 1);
  objects_[index] = std::move(object);
}

const GdiObject* EmfPlayer::Find(std::uint32_t index) const {
  return index < objects_.size() ? &objects_[index] : nullptr;
}

void EmfPlayer::Select(std::uint32_t index) {
  DcState& s = dc_.State();
  if (index & 0x80000000u) {
    const std::uint32_t stock = index & 0x7FFFFFFF;
    if (stock <= 5 || stock == 18) s.brush = StockBrush(stock == 18 ? 0 : stock);
    else if (stock == 6 || stock == 7 || stock == 19) s.pen = Pen{kPsSolid, 0, stock == 6 ? Colour{1, 1, 1} : Colour{}, {}};
    else if (stock == 8) s.pen = Pen{kPsNull, 0, {}, {}};
    else if (stock >= 10 && stock <= 17 && stock != 15) s.font = Font{};
    return;
  }
  const GdiObject* o = Find(index);
  if (!o) return;
  if (const Pen* p = std::get_if<Pen>(o)) s.pen = *p;
  else if (const Brush* b = std::get_if<Brush>(o)) s.brush = *b;
  else if (const Font* f = std::get_if<Font>(o)) s.font = *f;
}

// EMRTEXT at `at`: POINTL reference, u32 chars, u32 string offset, u32
// options, RECTL clip, u32 advances offset. Offsets count from the record's
// start.
void EmfPlayer::Text(const RecordBytes& r, std::size_t at, bool wide) {
  const Point ref = ReadPointL(r, at);
  const std::uint32_t chars = r.U32(at + 8), off_string = r.U32(at + 12), options = r.U32(at + 16);
  const Rect rc = ReadRect(r, at + 20);
  const std::uint32_t off_dx = r.U32(at + 36);
  const Region::Rect rect{double(rc.left), double(rc.top), double(rc.right), double(rc.bottom)};
  if (chars == 0) {
    dc_.TextOut(ref, {}, {}, options, &rect);
    return;
  }
  const std::size_t unit = wide ? 2 : 1;
  if (r.CountFits(off_string, unit) < chars) throw MetafileError("EMF text beyond the record");
  const auto bytes = r.Sub(off_string, std::size_t{chars} * unit);
  // Glyph indices name glyphs of the writer's font, which is not ours.
  if (options & 0x10) return;
  std::vector<TextChar> text = wide ? DecodeUtf16Text(bytes) : DecodeAnsiText(bytes, dc_.State().font.charset);
  std::vector<double> dx;
  const std::size_t per = (options & 0x2000) ? 2 : 1;  // ETO_PDY: x and y advances
  if (off_dx != 0 && r.CountFits(off_dx, 4 * per) >= chars) {
    dx.resize(chars);
    for (std::uint32_t i = 0; i < chars; ++i) dx[i] = r.I32(off_dx + 4 * per * i);
  }
  dc_.TextOut(ref, text, dx, options, (options & 6) ? &rect : nullptr);
}

// BITBLT, STRETCHBLT, ALPHABLEND and TRANSPARENTBLT share one layout:
// bounds, i32 x, y, cx, cy (dest), u32 rop or blend, i32 xSrc, ySrc, XFORM,
// colour, u32 usage, u32 offBmi, cbBmi, offBits, cbBits, then (not BITBLT)
// i32 cxSrc, cySrc.
void EmfPlayer::Blit(const RecordBytes& r, std::uint32_t type) {
  const double x = r.I32(24), y = r.I32(28), cx = r.I32(32), cy = r.I32(36);
  const std::uint32_t rop = r.U32(40);
  const double sx = r.I32(44), sy = r.I32(48);
  const std::uint32_t usage = r.U32(80);
  double sw = cx, sh = cy;
  if (type != kBitBlt) sw = r.I32(100), sh = r.I32(104);
  if (r.U32(88) == 0) return dc_.PatBlt(x, y, cx, cy, rop);
  if (usage != 0) return;  // palette indices into a palette we do not keep
  const bool alpha = type == kAlphaBlend && (rop >> 24 & 1);
  SurfacePtr image = ParseDib(r, 84, alpha);
  if (!image) return;
  if (type == kAlphaBlend && ((rop >> 16) & 0xFF) == 0) return;  // constant alpha 0
  std::uint32_t draw_rop = 0x00CC0020;
  if (type == kBitBlt || type == kStretchBlt) draw_rop = rop;
  if (type == kTransparentBlt) {
    // The transparent colour becomes see-through.
    cairo_surface_flush(image.get());
    const std::uint32_t key = rop & 0xFFFFFF;
    const std::uint32_t argb = 0xFF000000u | (key & 0xFF) << 16 | (key & 0xFF00) | (key >> 16 & 0xFF);
    unsigned char* data = cairo_image_surface_get_data(image.get());
    const int stride = cairo_image_surface_get_stride(image.get());
    for (int row = 0; row < cairo_image_surface_get_height(image.get()); ++row) {
      auto* px = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(row) * stride);
      for (int col = 0; col < cairo_image_surface_get_width(image.get()); ++col)
        if (px[col] == argb) px[col] = 0;
    }
    cairo_surface_mark_dirty(image.get());
  }
  dc_.StretchBlt(x, y, cx, cy, image.get(), sx, sy, sw, sh, draw_rop);
}

void EmfPlayer::Comment(const RecordBytes& r, PlayResult& result) {
  // u32 data size, then the data; EMF+ records follow the "EMF+" tag.
  const std::uint32_t size = r.U32(8);
  if (size < 4 || !r.Has(12, size) || r.U32(12) != kEmfPlusId) return;
  result.emf_plus = true;
  if (plus_) plus_->PlayComment(r.Sub(16, size - 4));
}

void EmfPlayer::Record(std::uint32_t type, const RecordBytes& r, PlayResult& result) {
  DcState& s = dc_.State();
  switch (type) {
    case kPolyBezier: case kPolyBezier16: return dc_.PolyBezier(ParsePolyPoints(r, type == kPolyBezier16));
    case kPolygon: case kPolygon16: return dc_.Polygon(ParsePolyPoints(r, type == kPolygon16));
    case kPolyline: case kPolyline16: return dc_.Polyline(ParsePolyPoints(r, type == kPolyline16));
    case kPolyBezierTo: case kPolyBezierTo16: return dc_.PolyBezierTo(ParsePolyPoints(r, type == kPolyBezierTo16));
    case kPolylineTo: case kPolylineTo16: return dc_.PolylineTo(ParsePolyPoints(r, type == kPolylineTo16));
    case kPolyPolyline: case kPolyPolyline16: {
      const PolyPoly pp = ParsePolyPoly(r, type == kPolyPolyline16);
      return dc_.PolyPolyline(pp.points, pp.counts);
    }
    case kPolyPolygon: case kPolyPolygon16: {
      const PolyPoly pp = ParsePolyPoly(r, type == kPolyPolygon16);
      return dc_.PolyPolygon(pp.points, pp.counts);
    }
    case kPolyDraw: case kPolyDraw16: {
      const std::vector<Point> points = ParsePolyPoints(r, type == kPolyDraw16);
      const std::size_t types_at = 28 + points.size() * (type == kPolyDraw16 ? 4 : 8);
      return dc_.PolyDraw(points, r.Sub(types_at, points.size()));
    }
    case kSetWindowExtEx: s.window_ext = ReadPointL(r, 8); return;
    case kSetWindowOrgEx: s.window_org = ReadPointL(r, 8); return;
    case kSetViewportExtEx: s.viewport_ext = ReadPointL(r, 8); return;
    case kSetViewportOrgEx: s.viewport_org = ReadPointL(r, 8); return;
    case kSetPixelV: return dc_.SetPixel(ReadPointL(r, 8), Colour::FromRef(r.U32(16)));
    // POINTL start, COLORREF, u32 mode (1: FLOODFILLSURFACE).
    case kExtFloodFill: return dc_.FloodFill(ReadPointL(r, 8), Colour::FromRef(r.U32(16)), r.U32(20) == 1);
    case kSetMapMode: return dc_.SetMapMode(static_cast<int>(r.U32(8)));
    case kSetBkMode: s.bk_mode = static_cast<int>(r.U32(8)); return;
    case kSetPolyFillMode: s.poly_fill = static_cast<int>(r.U32(8)); return;
    case kSetRop2: s.rop2 = static_cast<int>(r.U32(8)); return;
    case kSetTextAlign: s.text_align = r.U32(8); return;
    case kSetTextColor: s.text_colour = Colour::FromRef(r.U32(8)); return;
    case kSetBkColor: s.bk_colour = Colour::FromRef(r.U32(8)); return;
    case kOffsetClipRgn: return dc_.OffsetClip(r.I32(8), r.I32(12));
    case kMoveToEx: return dc_.MoveTo(ReadPointL(r, 8));
    case kExcludeClipRect: case kIntersectClipRect: {
      const Rect rc = ReadRect(r, 8);
      if (type == kExcludeClipRect) return dc_.ExcludeClipRect(rc.left, rc.top, rc.right, rc.bottom);
      return dc_.IntersectClipRect(rc.left, rc.top, rc.right, rc.bottom);
    }
    case kScaleViewportExtEx: return dc_.ScaleViewportExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
    case kScaleWindowExtEx: return dc_.ScaleWindowExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
    case kSaveDc: return dc_.Save();
    case kRestoreDc: return dc_.Restore(r.I32(8));
    case kSetWorldTransform: return dc_.SetWorld(ReadXform(r, 8));
    case kModifyWorldTransform: return dc_.ModifyWorld(ReadXform(r, 8), static_cast<int>(r.U32(32)));
    case kSelectObject: return Select(r.U32(8));
    case kCreatePen: {
      // u32 index; LOGPEN: u32 style, POINTL width (x counts), COLORREF.
      Pen pen{r.U32(12), double(r.I32(16)), Colour::FromRef(r.U32(24)), {}};
      return Store(r.U32(8), std::move(pen));
    }
    case kExtCreatePen: {
      // u32 index, offBmi, cbBmi, offBits, cbBits; LOGPEN_EX: u32 style,
      // width, brush style, COLORREF, hatch, style count, style entries.
      Pen pen{r.U32(28), double(r.U32(32)), Colour::FromRef(r.U32(40)), {}};
      if (r.U32(36) == 1) pen.style = (pen.style & ~kPsStyleMask) | kPsNull;  // BS_NULL
      const std::uint32_t entries = r.U32(48);
      if ((pen.style & kPsStyleMask) == kPsUserStyle && r.CountFits(52, 4) >= entries) {
        for (std::uint32_t i = 0; i < entries && i < 16; ++i) pen.user_dashes.push_back(r.U32(52 + 4 * i));
        // User style entries are in logical units for geometric pens.
        if (pen.width > 0)
          for (double& d : pen.user_dashes) d /= pen.width;
      }
      if (!(pen.style & kPsGeometric) && pen.width <= 1) pen.width = 0;
      return Store(r.U32(8), std::move(pen));
    }
    case kCreateBrushIndirect: {
      // u32 index; LOGBRUSH32: u32 style, COLORREF, u32 hatch.
      Brush b;
      const std::uint32_t style = r.U32(12);
      b.colour = Colour::FromRef(r.U32(16));
      b.hatch = r.U32(20);
      b.kind = style == 1 ? Brush::Kind::Null : style == 2 ? Brush::Kind::Hatched : Brush::Kind::Solid;
      return Store(r.U32(8), std::move(b));
    }
    case kCreateDibPatternBrushPt: case kCreateMonoBrush: {
      // u32 index, usage, offBmi, cbBmi, offBits, cbBits.
      Brush b;
      b.kind = Brush::Kind::Pattern;
      b.colour = {0.5, 0.5, 0.5};
      b.mono = type == kCreateMonoBrush;
      b.pattern = b.mono ? MonoPattern(r) : ParseDib(r, 16);
      if (!b.pattern) b.kind = Brush::Kind::Solid;
      return Store(r.U32(8), std::move(b));
    }
    case kExtCreateFontIndirectW: return Store(r.U32(8), ParseLogFontW(r, 12));
    case kCreatePalette: return Store(r.U32(8), Palette{});
    case kDeleteObject: {
      const std::uint32_t i = r.U32(8);
      if (i < objects_.size()) objects_[i] = std::monostate{};
      return;
    }
    case kAngleArc: return dc_.AngleArc(ReadPointL(r, 8), r.U32(16), r.F32(20), r.F32(24));
    case kEllipse: case kRectangle: {
      const Rect b = ReadRect(r, 8);
      if (type == kEllipse) return dc_.Ellipse(b.left, b.top, b.right, b.bottom);
      return dc_.Rectangle(b.left, b.top, b.right, b.bottom);
    }
    case kRoundRect: {
      const Rect b = ReadRect(r, 8);
      return dc_.RoundRect(b.left, b.top, b.right, b.bottom, r.I32(24), r.I32(28));
    }
    case kArc: case kChord: case kPie: case kArcTo: {
      const Rect b = ReadRect(r, 8);
      const Point start = ReadPointL(r, 24), end = ReadPointL(r, 32);
      if (type == kArcTo) return dc_.ArcTo(b.left, b.top, b.right, b.bottom, start, end);
      const ArcKind kind = type == kArc ? ArcKind::Open : type == kChord ? ArcKind::Chord : ArcKind::Pie;
      return dc_.Arc(kind, b.left, b.top, b.right, b.bottom, start, end);
    }
    case kLineTo: return dc_.LineTo(ReadPointL(r, 8));
    case kSetArcDirection: s.clockwise = r.U32(8) == 2; return;
    case kSetMiterLimit: s.miter_limit = r.U32(8); return;
    case kBeginPath: return dc_.BeginPath();
    case kEndPath: return dc_.EndPath();
    case kCloseFigure: return dc_.CloseFigure();
    case kFillPath: return dc_.FillPath();
    case kStrokeAndFillPath: return dc_.StrokeAndFillPath();
    case kStrokePath: return dc_.StrokePath();
    case kSelectClipPath: return dc_.SelectClipPath(static_cast<int>(r.U32(8)));
    case kAbortPath: return dc_.AbortPath();
    case kComment: return Comment(r, result);
    case kFillRgn: case kFrameRgn: case kPaintRgn: case kInvertRgn: {
      // bounds, u32 region bytes, [u32 brush], [SIZEL frame], RGNDATA.
      const std::uint32_t cb = r.U32(24);
      if (type == kInvertRgn || type == kPaintRgn) {
        const Region region = ParseRegion(r, 28, cb);
        if (type == kInvertRgn) return dc_.InvertRegion(region, true);
        return dc_.FillRegion(region, s.brush, true);
      }
      const Region region = ParseRegion(r, type == kFillRgn ? 32 : 40, cb);
      const GdiObject* o = Find(r.U32(28));
      const Brush* brush = o ? std::get_if<Brush>(o) : nullptr;
      const Brush chosen = (r.U32(28) & 0x80000000u) ? StockBrush(r.U32(28) & 0x7FFFFFFF) : brush ? *brush : s.brush;
      if (type == kFillRgn) return dc_.FillRegion(region, chosen, true);
      return dc_.FrameRegion(region, chosen, r.I32(32), r.I32(36), true);
    }
    case kExtSelectClipRgn: {
      // u32 region bytes, u32 mode, RGNDATA; no data with RGN_COPY resets.
      const std::uint32_t cb = r.U32(8);
      const int mode = static_cast<int>(r.U32(12));
      if (cb == 0) return dc_.SelectClipRegion(nullptr, mode, true);
      const Region region = ParseRegion(r, 16, cb);
      return dc_.SelectClipRegion(&region, mode, true);
    }
    case kBitBlt: case kStretchBlt: case kAlphaBlend: case kTransparentBlt: return Blit(r, type);
    case kStretchDiBits: case kSetDiBitsToDevice: {
      // bounds, i32 xDest, yDest, xSrc, ySrc, cxSrc, cySrc, u32 offBmi,
      // cbBmi, offBits, cbBits, usage, then rop, cxDest, cyDest (STRETCH) or
      // first scan, scan count (SETDIBITS).
      const double x = r.I32(24), y = r.I32(28), sx = r.I32(32), sy = r.I32(36);
      const double sw = r.I32(40), sh = r.I32(44);
      if (r.U32(52) == 0 || r.U32(64) != 0) return;
      const bool stretch = type == kStretchDiBits;
      const std::uint32_t rop = stretch ? r.U32(68) : 0x00CC0020;
      const double dw = stretch ? r.I32(72) : sw, dh = stretch ? r.I32(76) : sh;
      SurfacePtr image = ParseDib(r, 48);
      if (!image) return;
      // Source rows of a bottom-up DIB count from its last row.
      const std::int32_t stored = DibStoredHeight(r, 48);
      const double top = stored > 0 ? stored - sy - sh : sy;
      return dc_.StretchBlt(x, y, dw, dh, image.get(), sx, top, sw, sh, rop);
    }
    case kExtTextOutA: case kExtTextOutW: return Text(r, 36, type == kExtTextOutW);
    case kPolyTextOutA: case kPolyTextOutW: {
      // bounds, u32 mode, f32 scales, u32 strings, EMRTEXT[strings].
      const std::uint32_t strings = r.U32(36);
      if (r.CountFits(40, 40) < strings) throw MetafileError("EMF text list beyond the record");
      for (std::uint32_t i = 0; i < strings; ++i) Text(r, 40 + 40 * i, type == kPolyTextOutW);
      return;
    }
    case kSmallTextOut: {
      // i32 x, y; u32 chars, options, mode; f32 scales; [RECTL unless
      // ETO_NO_RECT]; the characters, 8-bit with ETO_SMALL_CHARS.
      const Point ref = ReadPointL(r, 8);
      const std::uint32_t chars = r.U32(16), options = r.U32(20);
      std::size_t at = 36;
      Region::Rect rect{};
      if (!(options & 0x100)) {
        const Rect rc = ReadRect(r, at);
        rect = {double(rc.left), double(rc.top), double(rc.right), double(rc.bottom)};
        at += 16;
      }
      const bool small = options & 0x200;
      if (r.CountFits(at, small ? 1 : 2) < chars) throw MetafileError("EMF text beyond the record");
      const auto bytes = r.Sub(at, std::size_t{chars} * (small ? 1 : 2));
      if (options & 0x10) return;
      std::vector<TextChar> text;
      if (small) for (std::uint8_t b : bytes) text.push_back({b, 1});
      else text = DecodeUtf16Text(bytes);
      return dc_.TextOut(ref, text, {}, options, (options & 0x100) ? nullptr : &rect);
    }
    case kGradientFill: {
      // bounds, u32 vertices, u32 items, u32 mode; TRIVERTEX (i32 x, y,
      // u16 r, g, b, a) each; then rectangles (2 u32) or triangles (3 u32).
      const std::uint32_t nv = r.U32(24), ni = r.U32(28), mode = r.U32(32);
      if (r.CountFits(36, 16) < nv) throw MetafileError("EMF gradient beyond the record");
      std::vector<MetafileDc::Vertex> v(nv);
      for (std::uint32_t i = 0; i < nv; ++i) {
        const std::size_t at = 36 + 16 * i;
        v[i] = {ReadPointL(r, at), r.U16(at + 8) / 65280.0, r.U16(at + 10) / 65280.0, r.U16(at + 12) / 65280.0};
      }
      const std::size_t items_at = 36 + std::size_t{nv} * 16, each = mode == 2 ? 12 : 8;
      if (r.CountFits(items_at, each) < ni) throw MetafileError("EMF gradient beyond the record");
      for (std::uint32_t i = 0; i < ni; ++i) {
        const std::size_t at = items_at + each * i;
        const std::uint32_t a = r.U32(at), b = r.U32(at + 4);
        if (a >= nv || b >= nv) continue;
        if (mode == 2) {
          const std::uint32_t c = r.U32(at + 8);
          if (c < nv) dc_.GradientTriangle(v[a], v[b], v[c]);
        } else {
          dc_.GradientRect(v[a], v[b], mode == 1);
        }
      }
      return;
    }
    default: return;  // palettes, colour management, pixel formats: nothing to draw
  }
}

void EmfPlayer::Play(std::span<const std::uint8_t> bytes, PlayResult& result) {
  std::size_t at = 0;
  const std::size_t end = bytes.size();
  while (at < end) {
    if (end - at < 8) {
      result.broken = true;
      break;
    }
    const std::uint32_t type = ReadU32LE(bytes, at), size = ReadU32LE(bytes, at + 4);
    if (size < 8 || size > end - at) {
      result.broken = true;
      break;
    }
    if (type == kEof) break;
    const bool skipped = plus_ && type != kComment && !plus_->GdiAllowed() && !KeepsObjects(type);
    try {
      if (at != 0 && !skipped) Record(type, RecordBytes(bytes.subspan(at, size)), result);
    } catch (const MetafileError&) {
      result.broken = true;
      break;
    }
    at += size;
  }
  result.drew = dc_.Drew();
  result.plus_broken = plus_ && plus_->Broken();
}

}  // namespace

bool HasEmfPlus(std::span<const std::uint8_t> bytes) {
  std::size_t at = 0;
  while (bytes.size() - at >= 16) {
    const std::uint32_t type = ReadU32LE(bytes, at), size = ReadU32LE(bytes, at + 4);
    if (size < 8 || size > bytes.size() - at || type == kEof) return false;
    if (type == kComment && size >= 16 && ReadU32LE(bytes, at + 12) == kEmfPlusId) return true;
    at += size;
  }
  return false;
}

PlayResult PlayEmf(std::span<const std::uint8_t> bytes, const EmfHeader& h, MetafileCanvas& canvas, double width,
                   double height, EmfMode mode, int depth) {
  // Device pixels to 0.01 mm, then the frame onto the picture.
  const double kx = 100 / h.DevicePerMmX(), ky = 100 / h.DevicePerMmY();
  const double sx = width / h.FrameWidth(), sy = height / h.FrameHeight();
  cairo_matrix_t device;
  cairo_matrix_init(&device, kx * sx, 0, 0, (h.y_up ? -ky : ky) * sy, -h.FrameLeft() * sx, -h.FrameTop() * sy);
  EmfPlayer player(h, canvas, device, {h.DevicePerMmX(), h.DevicePerMmY()}, mode, depth);
  PlayResult result;
  player.Play(bytes, result);
  return result;
}

}  // namespace plendo::codecs::metafile
