#include "codecs/EmfStructures.h"

#include <algorithm>
#include <cmath>

#include "codecs/MetafileCharset.h"

namespace plendo::codecs::metafile::emf {


Rect ReadRect(const RecordBytes& r, std::size_t at) {
  r.Need(at, 16);
  return {r.I32(at), r.I32(at + 4), r.I32(at + 8), r.I32(at + 12)};
}

Point ReadPointL(const RecordBytes& r, std::size_t at) { return {double(r.I32(at)), double(r.I32(at + 4))}; }

// POLY* records: RECTL bounds, u32 count, then count points of 8 (POINTL)
// or 4 (POINTS) bytes.
std::vector<Point> ParsePolyPoints(const RecordBytes& r, bool small) {
  const std::uint32_t count = r.U32(24);
  const std::size_t each = small ? 4 : 8;
  if (r.CountFits(28, each) < count) throw MetafileError("EMF point count beyond the record");
  std::vector<Point> points(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t at = 28 + i * each;
    points[i] = small ? Point{double(r.I16(at)), double(r.I16(at + 2))} : ReadPointL(r, at);
  }
  return points;
}

// POLYPOLY* records: RECTL bounds, u32 figures, u32 points, u32 counts[],
// then the points.
PolyPoly ParsePolyPoly(const RecordBytes& r, bool small) {
  const std::uint32_t figures = r.U32(24), total = r.U32(28);
  if (r.CountFits(32, 4) < figures) throw MetafileError("EMF figure count beyond the record");
  const std::size_t points_at = 32 + std::size_t{figures} * 4, each = small ? 4 : 8;
  if (r.CountFits(points_at, each) < total) throw MetafileError("EMF point count beyond the record");
  PolyPoly pp;
  pp.counts.resize(figures);
  for (std::uint32_t i = 0; i < figures; ++i) pp.counts[i] = r.U32(32 + 4 * i);
  pp.points.resize(total);
  for (std::uint32_t i = 0; i < total; ++i) {
    const std::size_t at = points_at + i * each;
    pp.points[i] = small ? Point{double(r.I16(at)), double(r.I16(at + 2))} : ReadPointL(r, at);
  }
  return pp;
}

// RGNDATA: u32 header size (32), type, rectangle count, byte size, RECTL
// bound; then the rectangles.
Region ParseRegion(const RecordBytes& r, std::size_t at, std::size_t size) {
  const RecordBytes data(r.Sub(at, size));
  const std::uint32_t count = data.U32(8);
  if (data.CountFits(32, 16) < count) throw MetafileError("EMF region count beyond the record");
  Region region;
  region.rects.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const Rect rc = ReadRect(data, 32 + 16 * i);
    region.rects.push_back({double(rc.left), double(rc.top), double(rc.right), double(rc.bottom)});
  }
  return region;
}

// LOGFONTW: i32 height, width, escapement, orientation, weight; u8 italic,
// underline, strike-out, charset, 4 more u8; WCHAR face[32].
Font ParseLogFontW(const RecordBytes& r, std::size_t at) {
  r.Need(at, 28);
  Font f;
  f.height = r.I32(at);
  f.width = r.I32(at + 4);
  f.escapement = r.I32(at + 8);
  f.weight = r.I32(at + 16);
  f.italic = r.U8(at + 20) != 0;
  f.underline = r.U8(at + 21) != 0;
  f.strikeout = r.U8(at + 22) != 0;
  f.charset = r.U8(at + 23);
  if (r.Has(at + 28, 2)) f.face = FaceNameUtf16(r.Sub(at + 28, std::min<std::size_t>(64, r.Size() - at - 28)));
  return f;
}

// A bitmap given by offsets from the record's start: header-and-palette
// block, then the rows.
SurfacePtr ParseDib(const RecordBytes& r, std::size_t info_field, bool with_alpha) {
  const std::uint32_t off_bmi = r.U32(info_field), cb_bmi = r.U32(info_field + 4);
  const std::uint32_t off_bits = r.U32(info_field + 8), cb_bits = r.U32(info_field + 12);
  if (cb_bmi == 0) return nullptr;
  return DibSurface(r.Sub(off_bmi, cb_bmi), r.Sub(off_bits, cb_bits), with_alpha);
}

// Height of the DIB as stored (positive: rows bottom-up), for source
// rectangles measured from the bottom.
std::int32_t DibStoredHeight(const RecordBytes& r, std::size_t info_field) {
  const std::uint32_t off_bmi = r.U32(info_field);
  const std::uint32_t header = r.U32(off_bmi);
  return header == 12 ? r.I16(off_bmi + 6) : r.I32(off_bmi + 8);
}

cairo_matrix_t ReadXform(const RecordBytes& r, std::size_t at) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, r.F32(at), r.F32(at + 4), r.F32(at + 8), r.F32(at + 12), r.F32(at + 16), r.F32(at + 20));
  return m;
}

// A monochrome brush ignores its palette: its mask is black for 0 bits and
// white for 1 bits, and it paints them in the text and background colours of
// the moment it is used. Writers often leave the palette out.
SurfacePtr MonoPattern(const RecordBytes& r) {
  const std::uint32_t off_bmi = r.U32(16), cb_bmi = r.U32(20);
  const auto info = r.Sub(off_bmi, cb_bmi);
  const auto bits = r.Sub(r.U32(24), r.U32(28));
  if (info.size() < 40 || ReadU32LE(info, 0) < 40 || ReadU16LE(info, 14) != 1) return nullptr;
  const std::size_t header = ReadU32LE(info, 0);
  if (header > info.size()) return nullptr;
  std::vector<std::uint8_t> patched(info.begin(), info.begin() + static_cast<std::ptrdiff_t>(header));
  patched[32] = 2, patched[33] = patched[34] = patched[35] = 0;  // biClrUsed
  patched.insert(patched.end(), {0, 0, 0, 0, 255, 255, 255, 0});
  return DibSurface(patched, bits);
}

Brush StockBrush(std::uint32_t i) {
  Brush b;
  static constexpr double kGreys[] = {1.0, 0xC0 / 255.0, 0x80 / 255.0, 0x40 / 255.0, 0.0};
  if (i <= 4) b.colour = {kGreys[i], kGreys[i], kGreys[i]};
  if (i == 5) b.kind = Brush::Kind::Null;
  return b;
}

}  // namespace plendo::codecs::metafile::emf
