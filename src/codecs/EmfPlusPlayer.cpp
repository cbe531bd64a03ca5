#include "codecs/EmfPlusPlayer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "codecs/EmfPlusGeometry.h"
#include "codecs/EmfPlusPaint.h"
#include "codecs/MetafileCharset.h"
#include "codecs/MetafilePlay.h"
#include "codecs/MetafileShapes.h"

namespace plendo::codecs::metafile {
namespace {

using namespace plus;

enum PlusRecord : std::uint16_t {
  kHeader = 0x4001, kEndOfFile = 0x4002, kGetDc = 0x4004, kObject = 0x4008, kClear = 0x4009,
  kFillRects = 0x400A, kDrawRects = 0x400B, kFillPolygon = 0x400C, kDrawLines = 0x400D, kFillEllipse = 0x400E,
  kDrawEllipse = 0x400F, kFillPie = 0x4010, kDrawPie = 0x4011, kDrawArc = 0x4012, kFillRegion = 0x4013,
  kFillPath = 0x4014, kDrawPath = 0x4015, kFillClosedCurve = 0x4016, kDrawClosedCurve = 0x4017,
  kDrawCurve = 0x4018, kDrawBeziers = 0x4019, kDrawImage = 0x401A, kDrawImagePoints = 0x401B,
  kDrawString = 0x401C, kSave = 0x4025, kRestore = 0x4026, kBeginContainer = 0x4027,
  kBeginContainerNoParams = 0x4028, kEndContainer = 0x4029, kSetWorldTransform = 0x402A,
  kResetWorldTransform = 0x402B, kMultiplyWorldTransform = 0x402C, kTranslateWorldTransform = 0x402D,
  kScaleWorldTransform = 0x402E, kRotateWorldTransform = 0x402F, kSetPageTransform = 0x4030,
  kResetClip = 0x4031, kSetClipRect = 0x4032, kSetClipPath = 0x4033, kSetClipRegion = 0x4034,
  kOffsetClip = 0x4035, kDrawDriverString = 0x4036,
};

// Record flags.
constexpr std::uint16_t kSolid = 0x8000;       // the brush field is an ARGB colour
constexpr std::uint16_t kCompressed = 0x4000;  // 16-bit integer coordinates
constexpr std::uint16_t kClosedOrAppend = 0x2000;  // DrawLines: closed; transforms: post-multiply; fills: winding
constexpr std::uint16_t kRelative = 0x0800;    // relative 7/15-bit points

constexpr std::size_t kMaxSaved = 4096;
// Points and figures one play may draw; a small file can name one huge path
// many times over.
constexpr std::size_t kWorkBudget = std::size_t{1} << 24;
// Embedded metafiles one play may draw, at most this many pixels a side; a
// metafile drawn inside another draws no metafiles of its own.
constexpr int kMaxNestedDraws = 16;
constexpr int kMaxDepth = 1;
constexpr double kMaxNestedSide = 2048;
// Objects arrive in pieces of at most this many bytes in all.
constexpr std::uint32_t kMaxObjectBytes = 64u << 20;
// Font sizes are held to this many picture pixels.
constexpr double kMaxEm = 32768;

cairo_matrix_t Multiply(const cairo_matrix_t& first, const cairo_matrix_t& then) {
  cairo_matrix_t r;
  cairo_matrix_multiply(&r, &first, &then);
  return r;
}

cairo_matrix_t ReadMatrix(const RecordBytes& r, std::size_t at) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, r.F32(at), r.F32(at + 4), r.F32(at + 8), r.F32(at + 12), r.F32(at + 16), r.F32(at + 20));
  return m;
}

RectF ReadRectF(const RecordBytes& r, std::size_t at) { return ReadRects(r, at, 1, false)[0]; }

Path RectsPath(const std::vector<RectF>& rects, const cairo_matrix_t& m) {
  Path p;
  for (const RectF& rc : rects) AppendRectangle(p, m, rc.x, rc.y, rc.x + rc.w, rc.y + rc.h);
  return p;
}

std::string Utf8(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) out += ToUtf8(c);
  return out;
}

}  // namespace

EmfPlusPlayer::EmfPlusPlayer(MetafileCanvas& canvas, const cairo_matrix_t& device, int depth)
    : canvas_(canvas), device_(device), depth_(depth), text_(canvas, cairo_matrix_t{1, 0, 0, 1, 0, 0}, {1, 1}),
      budget_(kWorkBudget), nested_left_(kMaxNestedDraws) {}

std::size_t EmfPlusPlayer::ClipWork() const {
  std::size_t n = 0;
  for (const ClipStep& step : state_.clip.clip) n += step.path.size() + 1;
  return n;
}

void EmfPlusPlayer::Spend(std::size_t work) {
  if (work > budget_) throw MetafileError("EMF+ drawing beyond the work limit");
  budget_ -= work;
}

// Each record: u16 type, u16 flags, u32 size (with this header), u32 data
// size, then the data.
void EmfPlusPlayer::PlayComment(std::span<const std::uint8_t> records) {
  std::size_t at = 0;
  while (!broken_ && records.size() - at >= 12) {
    const std::uint16_t type = ReadU16LE(records, at), flags = ReadU16LE(records, at + 2);
    const std::uint32_t size = ReadU32LE(records, at + 4), data = ReadU32LE(records, at + 8);
    if (size < 12 || size > records.size() - at) {
      broken_ = true;
      break;
    }
    // A continued object's whole size leads its data; a writer that follows
    // the format's table literally puts it before the data size instead.
    std::vector<std::uint8_t> reordered;
    std::span<const std::uint8_t> body = records.subspan(at + 12, std::min<std::size_t>(data, size - 12));
    if (type == kObject && (flags & 0x8000) && data != size - 12 && size >= 16 &&
        ReadU32LE(records, at + 12) == size - 16) {
      reordered.assign(records.begin() + static_cast<std::ptrdiff_t>(at + 8),
                       records.begin() + static_cast<std::ptrdiff_t>(at + 12));
      reordered.insert(reordered.end(), records.begin() + static_cast<std::ptrdiff_t>(at + 16),
                       records.begin() + static_cast<std::ptrdiff_t>(at + size));
      body = reordered;
    } else if (data > size - 12) {
      broken_ = true;
      break;
    }
    gdi_ = type == kGetDc;
    try {
      Record(type, flags, RecordBytes(body));
    } catch (const MetafileError&) {
      broken_ = true;
    }
    at += size;
  }
  drew_ = drew_ || canvas_.Drew();
}

double EmfPlusPlayer::UnitPixels(std::uint32_t unit) const {
  switch (unit) {
    case 1: return video_ ? 1 : dpi_x_ / 100;  // display
    case 3: return dpi_x_ / 72;                // point
    case 4: return dpi_x_;                     // inch
    case 5: return dpi_x_ / 300;               // document
    case 6: return dpi_x_ / 25.4;              // millimetre
    default: return 1;                         // world, pixel
  }
}

cairo_matrix_t EmfPlusPlayer::WorldToPicture() const {
  const double k = UnitPixels(state_.page_unit) * state_.page_scale;
  cairo_matrix_t page;
  cairo_matrix_init_scale(&page, k, k * dpi_y_ / dpi_x_);
  return Multiply(Multiply(state_.world, page), device_);
}

template <class T>
const T* EmfPlusPlayer::Get(std::uint32_t id) const {
  return id < objects_.size() ? std::get_if<T>(&objects_[id]) : nullptr;
}

void EmfPlusPlayer::Record(std::uint16_t type, std::uint16_t flags, const RecordBytes& r) {
  switch (type) {
    case kHeader: {
      // u32 version, u32 flags (bit 0: recorded for a display), u32 dpi x, y.
      video_ = r.U32(4) & 1;
      const double x = r.U32(8), y = r.U32(12);
      dpi_x_ = x >= 1 && x <= 1e5 ? x : 96;
      dpi_y_ = y >= 1 && y <= 1e5 ? y : dpi_x_;
      return;
    }
    case kObject: return ObjectRecord(flags, r);
    case kClear: {
      Spend(ClipWork() + 16);
      const PatternPtr p = SolidSource(Argb::FromU32(r.U32(0)));
      canvas_.PaintSource(p.get(), state_.clip);
      return;
    }
    case kFillRects: case kFillPolygon: case kFillEllipse: case kFillPie: case kFillRegion: case kFillPath:
    case kFillClosedCurve:
      return Fill(type, flags, r);
    case kDrawRects: case kDrawLines: case kDrawEllipse: case kDrawPie: case kDrawArc: case kDrawPath:
    case kDrawClosedCurve: case kDrawCurve: case kDrawBeziers:
      return Draw(type, flags, r);
    case kDrawImage: case kDrawImagePoints: return DrawImage(type, flags, r);
    case kDrawString: return DrawString(flags, r);
    case kDrawDriverString: return DrawDriverString(flags, r);
    case kSave: return Save(r.U32(0));
    case kRestore: return Restore(r.U32(0));
    case kBeginContainer: {
      // RectF destination, RectF source, u32 index; the page unit of the
      // destination in the flags' high byte.
      const RectF dest = ReadRectF(r, 0), src = ReadRectF(r, 16);
      Save(r.U32(32));
      if (src.w == 0 || src.h == 0) return;
      const double k = UnitPixels(flags >> 8) / (UnitPixels(state_.page_unit) * state_.page_scale);
      cairo_matrix_t m;
      cairo_matrix_init(&m, dest.w * k / src.w, 0, 0, dest.h * k / src.h, dest.x * k - src.x * dest.w * k / src.w,
                        dest.y * k - src.y * dest.h * k / src.h);
      if (Usable(m)) state_.world = Multiply(m, state_.world);
      return;
    }
    case kBeginContainerNoParams: return Save(r.U32(0));
    case kEndContainer: return Restore(r.U32(0));
    case kSetWorldTransform: case kResetWorldTransform: case kMultiplyWorldTransform:
    case kTranslateWorldTransform: case kScaleWorldTransform: case kRotateWorldTransform:
      return Transform(type, flags, r);
    case kSetPageTransform: {
      const double scale = r.F32(0);
      state_.page_unit = flags & 0xFF;
      state_.page_scale = std::isfinite(scale) && scale > 1e-6 && scale < 1e6 ? scale : 1;
      return;
    }
    case kResetClip: case kSetClipRect: case kSetClipPath: case kSetClipRegion: case kOffsetClip:
      return ClipRecord(type, flags, r);
    default: return;  // header-only state (antialiasing, hints, compositing), comments, end of file
  }
}

// The object's id in the low byte, its type in bits 8-14, and bit 15 when
// more of it follows in the next record; such records start with the
// object's whole size.
void EmfPlusPlayer::ObjectRecord(std::uint16_t flags, const RecordBytes& r) {
  const int id = flags & 0xFF, type = flags >> 8 & 0x7F;
  if (flags & 0x8000) {
    const std::uint32_t total = r.U32(0);
    if (pending_.id != id || pending_.type != type) pending_ = {id, type, std::min(total, kMaxObjectBytes), {}};
    const auto piece = r.From(4).Span();
    if (pending_.bytes.size() + piece.size() > kMaxObjectBytes) throw MetafileError("EMF+ object too large");
    pending_.bytes.insert(pending_.bytes.end(), piece.begin(), piece.end());
    return;
  }
  if (pending_.id == id && pending_.type == type) {
    Pending whole = std::move(pending_);
    pending_ = {};
    if (whole.bytes.size() + r.Size() > kMaxObjectBytes) throw MetafileError("EMF+ object too large");
    whole.bytes.insert(whole.bytes.end(), r.Span().begin(), r.Span().end());
    return StoreObject(id, type, RecordBytes(whole.bytes));
  }
  pending_ = {};
  StoreObject(id, type, r);
}

void EmfPlusPlayer::StoreObject(int id, int type, const RecordBytes& r) {
  if (id >= static_cast<int>(objects_.size())) return;
  Object& slot = objects_[static_cast<std::size_t>(id)];
  // A damaged object leaves its slot empty; what draws with it is skipped.
  try {
    switch (type) {
      case 1: slot = ParseBrush(r); break;
      case 2: slot = ParsePen(r); break;
      case 3: slot = ParsePath(r); break;
      case 4: slot = ParseRegion(r); break;
      case 5: slot = ParseImage(r); break;
      case 6: slot = ParseFont(r); break;
      case 7: slot = ParseFormat(r); break;
      default: slot = std::monostate{}; break;  // image attributes, custom line caps
    }
  } catch (const MetafileError&) {
    slot = std::monostate{};
  }
}

void EmfPlusPlayer::Transform(std::uint16_t type, std::uint16_t flags, const RecordBytes& r) {
  cairo_matrix_t m;
  switch (type) {
    case kSetWorldTransform:
      m = ReadMatrix(r, 0);
      if (Usable(m)) state_.world = m;
      return;
    case kResetWorldTransform: cairo_matrix_init_identity(&state_.world); return;
    case kMultiplyWorldTransform: m = ReadMatrix(r, 0); break;
    case kTranslateWorldTransform: cairo_matrix_init_translate(&m, r.F32(0), r.F32(4)); break;
    case kScaleWorldTransform: cairo_matrix_init_scale(&m, r.F32(0), r.F32(4)); break;
    default: cairo_matrix_init_rotate(&m, r.F32(0) * std::numbers::pi / 180); break;
  }
  // Post-multiplied: applied after the world transform; else before it.
  const cairo_matrix_t world = (flags & kClosedOrAppend) ? Multiply(state_.world, m) : Multiply(m, state_.world);
  if (Usable(world)) state_.world = world;
}

void EmfPlusPlayer::ClipRecord(std::uint16_t type, std::uint16_t flags, const RecordBytes& r) {
  std::vector<ClipStep>& clip = state_.clip.clip;
  const int mode = flags >> 8 & 0xF;
  const cairo_matrix_t m = WorldToPicture();
  Area area;
  switch (type) {
    case kResetClip: clip.clear(); return;
    case kOffsetClip: {
      // The shift in world units, moved as the world moves a vector.
      const double dx = r.F32(0), dy = r.F32(4);
      const Point d{m.xx * dx + m.xy * dy, m.yx * dx + m.yy * dy};
      if (!std::isfinite(d.x) || !std::isfinite(d.y)) return;
      for (ClipStep& step : clip)
        for (PathOp& op : step.path)
          for (Point& p : op.p) p.x += d.x, p.y += d.y;
      return;
    }
    case kSetClipRect: area = Area::Of(RectsPath({ReadRectF(r, 0)}, m), false); break;
    case kSetClipPath: {
      const PathData* path = Get<PathData>(flags & 0xFF);
      if (!path) return;
      Path p;
      AppendPath(p, m, *path);
      area = Area::Of(std::move(p), true);
      break;
    }
    default: {
      const RegionData* region = Get<RegionData>(flags & 0xFF);
      if (!region || !*region) return;
      area = RegionArea(**region, m);
      break;
    }
  }
  Spend(ClipWork() + 16);
  Area now{clip.empty(), std::move(clip)};
  Area next = Combine(std::move(now), std::move(area), mode);
  clip = next.all ? std::vector<ClipStep>{} : std::move(next.steps);
}

void EmfPlusPlayer::FillPath(const Path& path, bool even_odd, std::uint32_t brush, bool colour) {
  Spend(path.size() + ClipWork() + 16);
  const cairo_matrix_t m = WorldToPicture();
  PatternPtr source;
  if (colour) {
    source = SolidSource(Argb::FromU32(brush));
  } else if (const BrushData* b = Get<BrushData>(brush)) {
    source = BrushSource(*b, m, canvas_.PatternScale());
  } else {
    return;
  }
  canvas_.FillSource(path, even_odd, source.get(), state_.clip);
}

void EmfPlusPlayer::StrokePath(const Path& path, std::uint32_t pen_id) {
  const PenData* pen = Get<PenData>(pen_id);
  if (!pen) return;
  Spend(path.size() + ClipWork() + 16);
  const cairo_matrix_t m = WorldToPicture();
  const double unit_to_world = UnitPixels(pen->unit) / (UnitPixels(state_.page_unit) * state_.page_scale);
  const MetafileCanvas::Line line = PenLine(*pen, unit_to_world, m);
  const PatternPtr source = BrushSource(pen->brush, m, canvas_.PatternScale());
  canvas_.StrokeSource(path, line, m, source.get(), state_.clip);
}

void EmfPlusPlayer::Fill(std::uint16_t type, std::uint16_t flags, const RecordBytes& r) {
  const bool compressed = flags & kCompressed, colour = flags & kSolid;
  const std::uint32_t brush = r.U32(0);
  const cairo_matrix_t m = WorldToPicture();
  Path p;
  bool even_odd = true;
  switch (type) {
    case kFillRects: p = RectsPath(ReadRects(r, 8, r.U32(4), compressed), m); even_odd = false; break;
    case kFillPolygon:
      AppendPolyline(p, m, ReadPoints(r, 8, r.U32(4), compressed, flags & kRelative), true);
      break;
    case kFillEllipse: {
      const RectF b = ReadRects(r, 4, 1, compressed)[0];
      AppendEllipse(p, m, b.x, b.y, b.x + b.w, b.y + b.h);
      break;
    }
    case kFillPie: AppendArcByAngles(p, m, ReadRects(r, 12, 1, compressed)[0], r.F32(4), r.F32(8), true); break;
    case kFillPath: {
      const PathData* path = Get<PathData>(flags & 0xFF);
      if (!path) return;
      AppendPath(p, m, *path);
      break;
    }
    case kFillClosedCurve: {
      // u32 brush, f32 tension, u32 count, points; winding fill when flagged.
      const std::vector<Point> points = ReadPoints(r, 12, r.U32(8), compressed, flags & kRelative);
      AppendCurve(p, m, points, r.F32(4), 0, points.size(), true);
      even_odd = !(flags & kClosedOrAppend);
      break;
    }
    default: {  // FillRegion: the region's steps clip a fill of the whole
      const RegionData* region = Get<RegionData>(flags & 0xFF);
      if (!region || !*region) return;
      const Area area = RegionArea(**region, m);
      const State kept = state_;
      if (!area.all) state_.clip.clip.insert(state_.clip.clip.end(), area.steps.begin(), area.steps.end());
      constexpr double kFar = 4.0e6;
      const Point corners[] = {{-kFar, -kFar}, {kFar, -kFar}, {kFar, kFar}, {-kFar, kFar}};
      AppendPolyline(p, cairo_matrix_t{1, 0, 0, 1, 0, 0}, corners, true);
      FillPath(p, false, brush, colour);
      state_ = kept;
      return;
    }
  }
  FillPath(p, even_odd, brush, colour);
}

void EmfPlusPlayer::Draw(std::uint16_t type, std::uint16_t flags, const RecordBytes& r) {
  const bool compressed = flags & kCompressed, relative = flags & kRelative;
  const cairo_matrix_t m = WorldToPicture();
  std::uint32_t pen = flags & 0xFF;
  Path p;
  switch (type) {
    case kDrawRects: p = RectsPath(ReadRects(r, 4, r.U32(0), compressed), m); break;
    case kDrawLines:
      AppendPolyline(p, m, ReadPoints(r, 4, r.U32(0), compressed, relative), flags & kClosedOrAppend);
      break;
    case kDrawEllipse: {
      const RectF b = ReadRects(r, 0, 1, compressed)[0];
      AppendEllipse(p, m, b.x, b.y, b.x + b.w, b.y + b.h);
      break;
    }
    case kDrawPie: case kDrawArc:
      AppendArcByAngles(p, m, ReadRects(r, 8, 1, compressed)[0], r.F32(0), r.F32(4), type == kDrawPie);
      break;
    case kDrawPath: {
      // The path's id in the flags, the pen's in the data.
      const PathData* path = Get<PathData>(flags & 0xFF);
      if (!path) return;
      AppendPath(p, m, *path);
      pen = r.U32(0);
      break;
    }
    case kDrawClosedCurve: {
      const std::vector<Point> points = ReadPoints(r, 8, r.U32(4), compressed, relative);
      AppendCurve(p, m, points, r.F32(0), 0, points.size(), true);
      break;
    }
    case kDrawCurve: {
      // f32 tension, u32 first segment, u32 segments, u32 count, points.
      const std::vector<Point> points = ReadPoints(r, 16, r.U32(12), compressed, false);
      AppendCurve(p, m, points, r.F32(0), r.U32(4), r.U32(8), false);
      break;
    }
    default: {  // DrawBeziers
      const std::vector<Point> points = ReadPoints(r, 4, r.U32(0), compressed, relative);
      AppendBeziers(p, m, points, true);
      break;
    }
  }
  StrokePath(p, pen);
}

// DrawImage: u32 attributes, i32 source unit, RectF source, then the
// destination rectangle. DrawImagePoints: the same up to the source, then
// u32 count (3) and the destination's top-left, top-right and bottom-left.
void EmfPlusPlayer::DrawImage(std::uint16_t type, std::uint16_t flags, const RecordBytes& r) {
  const ImageData* image = Get<ImageData>(flags & 0xFF);
  if (!image) return;
  const RectF src = ReadRectF(r, 8);
  Point p0, p1, p2;
  if (type == kDrawImage) {
    const RectF d = ReadRects(r, 24, 1, flags & kCompressed)[0];
    p0 = {d.x, d.y}, p1 = {d.x + d.w, d.y}, p2 = {d.x, d.y + d.h};
  } else {
    const std::vector<Point> pts = ReadPoints(r, 28, std::min<std::uint32_t>(r.U32(24), 3), flags & kCompressed,
                                              flags & kRelative);
    if (pts.size() < 3) return;
    p0 = pts[0], p1 = pts[1], p2 = pts[2];
  }
  if (!(src.w != 0) || !(src.h != 0)) return;
  Spend(ClipWork() + 64);
  // Source pixels onto the parallelogram, then the world onto the picture.
  cairo_matrix_t place;
  cairo_matrix_init(&place, (p1.x - p0.x) / src.w, (p1.y - p0.y) / src.w, (p2.x - p0.x) / src.h,
                    (p2.y - p0.y) / src.h, 0, 0);
  place.x0 = p0.x - place.xx * src.x - place.xy * src.y;
  place.y0 = p0.y - place.yx * src.x - place.yy * src.y;
  const cairo_matrix_t to_picture = Multiply(place, WorldToPicture());
  if (!Usable(to_picture)) return;
  if (image->bitmap) {
    cairo_surface_t* whole = image->bitmap.get();
    // Only the source rectangle's pixels are drawn.
    const double sx = std::clamp(src.x, 0.0, image->width), sy = std::clamp(src.y, 0.0, image->height);
    const double sw = std::clamp(src.x + src.w, sx, image->width) - sx, sh = std::clamp(src.y + src.h, sy, image->height) - sy;
    if (sw <= 0 || sh <= 0) return;
    canvas_.DrawImage(whole, sx, sy, sw, sh, to_picture, state_.clip);
    return;
  }
  if (image->metafile.empty() || depth_ >= kMaxDepth || nested_left_ <= 0) return;
  --nested_left_;
  // Played at the size the destination has in the picture.
  const double w = std::hypot(to_picture.xx, to_picture.yx) * std::abs(src.w);
  const double h = std::hypot(to_picture.xy, to_picture.yy) * std::abs(src.h);
  const int pw = static_cast<int>(std::clamp(std::ceil(w), 1.0, kMaxNestedSide));
  const int ph = static_cast<int>(std::clamp(std::ceil(h), 1.0, kMaxNestedSide));
  SurfacePtr drawn = DrawNestedMetafile(image->metafile, pw, ph, depth_ + 1);
  if (!drawn) return;
  // Its pixels onto the source rectangle, which spans the whole metafile.
  cairo_matrix_t fit;
  cairo_matrix_init(&fit, src.w / pw, 0, 0, src.h / ph, src.x, src.y);
  canvas_.DrawImage(drawn.get(), 0, 0, pw, ph, Multiply(fit, to_picture), state_.clip);
}

void EmfPlusPlayer::Text(const FontData& f, Argb colour, const cairo_matrix_t& world, Point at,
                         std::uint32_t align, const std::vector<TextChar>& text, const std::vector<double>& advances,
                         const Region::Rect* clip) {
  Spend(text.size() + ClipWork() + 16);
  DcState& s = text_.State();
  s = DcState{};
  s.clip = state_.clip.clip;
  // The world (with page units) as the text's logical units; the device
  // matrix of the text drawer is the identity.
  const double k = UnitPixels(state_.page_unit) * state_.page_scale;
  cairo_matrix_t page;
  cairo_matrix_init_scale(&page, k, k * dpi_y_ / dpi_x_);
  s.world = Multiply(Multiply(world, page), device_);
  if (!Usable(s.world)) return;
  // The em in world units.
  double em = f.unit == 0 ? f.em : f.em * UnitPixels(f.unit) / k;
  const double scale = std::sqrt(std::abs(s.world.xx * s.world.yy - s.world.xy * s.world.yx));
  if (!std::isfinite(em) || !(em > 0)) return;
  em = std::min(em, kMaxEm / std::max(scale, 1e-9));
  s.font.height = -em;
  s.font.weight = (f.style & 1) ? 700 : 400;
  s.font.italic = f.style & 2;
  s.font.underline = f.style & 4;
  s.font.strikeout = f.style & 8;
  s.font.face = Utf8(f.family);
  s.text_colour = Colour{colour.r, colour.g, colour.b, colour.a};
  s.bk_mode = 1;  // transparent
  s.text_align = align;
  text_.TextOut(at, text, advances, clip ? 4 : 0, clip);
}

// u32 brush, u32 format id, u32 length, RectF layout, UTF-16 characters.
// The font's id is in the flags.
void EmfPlusPlayer::DrawString(std::uint16_t flags, const RecordBytes& r) {
  const FontData* font = Get<FontData>(flags & 0xFF);
  if (!font) return;
  const std::uint32_t brush = r.U32(0), length = r.U32(8);
  const RectF box = ReadRectF(r, 12);
  if (r.CountFits(28, 2) < length) throw MetafileError("EMF+ string beyond the record");
  Argb colour;
  if (flags & kSolid) colour = Argb::FromU32(brush);
  else if (const BrushData* b = Get<BrushData>(brush)) colour = b->kind == BrushData::Kind::Linear && !b->stops.empty() ? b->stops[0].colour : b->colour;
  else return;
  const FormatData* format = Get<FormatData>(r.U32(4));
  const FormatData plain;
  const FormatData& fmt = format ? *format : plain;
  // Lines at the breaks the text holds; a line is not wrapped.
  std::vector<std::vector<TextChar>> lines(1);
  for (const TextChar& c : DecodeUtf16Text(r.Sub(28, std::size_t{length} * 2))) {
    if (c.code == '\n') lines.emplace_back();
    else if (c.code != '\r') lines.back().push_back(c);
  }
  const double k = UnitPixels(state_.page_unit) * state_.page_scale;
  const double em = font->unit == 0 ? font->em : font->em * UnitPixels(font->unit) / k;
  if (!std::isfinite(em) || !(em > 0)) return;
  const double line_height = em * 1.2, total = line_height * static_cast<double>(lines.size());
  // Near text starts a sixth of an em in from the box, as it is laid out.
  constexpr std::uint32_t kTaCenter = 6, kTaRight = 2;
  double x = box.x + em / 6;
  std::uint32_t align = 0;
  if (fmt.align == 1) x = box.x + box.w / 2, align = kTaCenter;
  else if (fmt.align == 2) x = box.x + box.w - em / 6, align = kTaRight;
  double y = box.y;
  if (fmt.line_align == 1) y = box.y + (box.h - total) / 2;
  else if (fmt.line_align == 2) y = box.y + box.h - total;
  const Region::Rect rect{box.x, box.y, box.x + box.w, box.y + box.h};
  const bool clipped = box.w > 0 && box.h > 0 && !(fmt.flags & 0x4000);
  for (const auto& line : lines) {
    if (!line.empty()) Text(*font, colour, state_.world, {x, y + (line_height - em) / 2}, align, line, {}, clipped ? &rect : nullptr);
    y += line_height;
  }
}

// u32 brush, u32 options (1: the glyphs are characters; 4: only the first
// position counts), u32 matrix present, u32 count, u16 glyphs[count],
// PointF positions[count], then the optional matrix.
void EmfPlusPlayer::DrawDriverString(std::uint16_t flags, const RecordBytes& r) {
  const FontData* font = Get<FontData>(flags & 0xFF);
  if (!font) return;
  const std::uint32_t brush = r.U32(0), options = r.U32(4), has_matrix = r.U32(8), count = r.U32(12);
  if (r.CountFits(16, 10) < count) throw MetafileError("EMF+ glyphs beyond the record");
  // Glyph indices name glyphs of the writer's font, which is not ours.
  if (!(options & 1) || count == 0) return;
  Argb colour;
  if (flags & kSolid) colour = Argb::FromU32(brush);
  else if (const BrushData* b = Get<BrushData>(brush)) colour = b->colour;
  else return;
  const std::vector<TextChar> text = DecodeUtf16Text(r.Sub(16, std::size_t{count} * 2));
  const std::size_t positions = 16 + std::size_t{count} * 2;
  const std::vector<Point> at = ReadPoints(r, positions, count, false, false);
  cairo_matrix_t world = state_.world;
  if (has_matrix) {
    const cairo_matrix_t m = ReadMatrix(r, positions + std::size_t{count} * 8);
    if (Usable(m)) world = Multiply(m, world);
  }
  constexpr std::uint32_t kTaBaseline = 24;
  if ((options & 4) || text.size() != at.size()) return Text(*font, colour, world, at[0], kTaBaseline, text, {}, nullptr);
  // Placed one by one where the positions leave the baseline; else as one
  // run with the gaps between positions as advances.
  bool level = true;
  for (const Point& p : at) level = level && p.y == at[0].y;
  if (!level) {
    for (std::size_t i = 0; i < text.size(); ++i) Text(*font, colour, world, at[i], kTaBaseline, {text[i]}, {}, nullptr);
    return;
  }
  std::vector<double> advances;
  for (std::size_t i = 0; i < text.size(); ++i) advances.push_back(i + 1 < at.size() ? at[i + 1].x - at[i].x : 0);
  Text(*font, colour, world, at[0], kTaBaseline, text, advances, nullptr);
}

void EmfPlusPlayer::Save(std::uint32_t index) {
  Spend(ClipWork() + 1);
  if (saved_.size() < kMaxSaved) saved_.push_back({index, state_});
}

// Back to the state saved under `index`; those saved after it go too.
void EmfPlusPlayer::Restore(std::uint32_t index) {
  for (std::size_t i = saved_.size(); i-- > 0;) {
    if (saved_[i].index != index) continue;
    state_ = std::move(saved_[i].state);
    saved_.resize(i);
    return;
  }
}

}  // namespace plendo::codecs::metafile
