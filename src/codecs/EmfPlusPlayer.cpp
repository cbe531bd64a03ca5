#include "codecs/EmfPlusPlayer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "codecs/EmfPlusGeometry.h"
#include "codecs/EmfPlusPaint.h"
#include "codecs/EmfPlusRecords.h"
#include "codecs/MetafileCharset.h"
#include "codecs/MetafilePlay.h"
#include "codecs/MetafileShapes.h"

namespace plendo::codecs::metafile {
namespace {

using namespace plus;

constexpr std::size_t kMaxSaved = 4096;
// Points and figures one play may draw; a small file can name one huge path
// many times over.
constexpr std::size_t kWorkBudget = std::size_t{1} << 24;
// Embedded metafiles one play may draw (a metafile drawn inside another
// draws none of its own).
constexpr int kMaxNestedDraws = 16;
// Objects arrive in pieces of at most this many bytes in all.
constexpr std::uint32_t kMaxObjectBytes = 64u << 20;

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
