// The EMF+ player's drawing records: fills, outlines, images and text.
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

// An embedded metafile is drawn one level deep at the most, at most this
// many pixels a side.
constexpr int kMaxDepth = 1;
constexpr double kMaxNestedSide = 2048;
// Font sizes are held to this many picture pixels.
constexpr double kMaxEm = 32768;

std::string Utf8(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) out += ToUtf8(c);
  return out;
}

}  // namespace

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

}  // namespace plendo::codecs::metafile
