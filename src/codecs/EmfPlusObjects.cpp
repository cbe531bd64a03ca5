#include "codecs/EmfPlusObjects.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "codecs/EmfPlusImages.h"

namespace plendo::codecs::metafile::plus {
namespace {

// No object lists more points, stops or dashes than this; the record sizes
// bound them already, this bounds the work one object can ask for.
constexpr std::uint32_t kMaxItems = 1u << 20;

void Check(std::uint32_t count) {
  if (count > kMaxItems) throw MetafileError("EMF+ object count too large");
}

double F(const RecordBytes& r, std::size_t at) { return r.F32(at); }

cairo_matrix_t ReadMatrix(const RecordBytes& r, std::size_t at) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, F(r, at), F(r, at + 4), F(r, at + 8), F(r, at + 12), F(r, at + 16), F(r, at + 20));
  return m;
}

// u32 count, f32 positions[count], ARGB colours[count].
std::size_t ReadPresetColours(const RecordBytes& r, std::size_t at, std::vector<Stop>& stops) {
  const std::uint32_t n = r.U32(at);
  Check(n);
  if (r.CountFits(at + 4, 8) < n) throw MetafileError("EMF+ gradient colours beyond the object");
  stops.clear();
  for (std::uint32_t i = 0; i < n; ++i)
    stops.push_back({F(r, at + 4 + 4 * i), Argb::FromU32(r.U32(at + 4 + 4 * std::size_t{n} + 4 * i))});
  return at + 4 + 8 * std::size_t{n};
}

// u32 count, f32 positions[count], f32 factors[count]: how far from the
// first colour to the second at each position.
std::size_t ReadBlendFactors(const RecordBytes& r, std::size_t at, Argb from, Argb to, std::vector<Stop>& stops) {
  const std::uint32_t n = r.U32(at);
  Check(n);
  if (r.CountFits(at + 4, 8) < n) throw MetafileError("EMF+ blend factors beyond the object");
  stops.clear();
  for (std::uint32_t i = 0; i < n; ++i) {
    const double f = std::clamp<double>(F(r, at + 4 + 4 * std::size_t{n} + 4 * i), 0, 1);
    const Argb c{from.a + (to.a - from.a) * f, from.r + (to.r - from.r) * f, from.g + (to.g - from.g) * f,
                 from.b + (to.b - from.b) * f};
    stops.push_back({F(r, at + 4 + 4 * i), c});
  }
  return at + 4 + 8 * std::size_t{n};
}

void SortStops(std::vector<Stop>& stops) {
  for (Stop& s : stops)
    if (!std::isfinite(s.at)) s.at = 0;
  std::stable_sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) { return a.at < b.at; });
}

enum BrushFlags : std::uint32_t {
  kHasPath = 0x01, kHasTransform = 0x02, kPresetColours = 0x04, kBlendH = 0x08, kBlendV = 0x10, kFocus = 0x40,
};

// u32 flags, i32 wrap, RectF, ARGB start, end, u32 reserved x2, then the
// optional transform, preset colours or blend factors.
void ParseLinear(const RecordBytes& r, std::size_t at, BrushData& b) {
  const std::uint32_t flags = r.U32(at);
  b.wrap = r.I32(at + 4);
  for (int i = 0; i < 4; ++i) b.rect[i] = F(r, at + 8 + 4 * i);
  const Argb from = Argb::FromU32(r.U32(at + 24)), to = Argb::FromU32(r.U32(at + 28));
  b.stops = {{0, from}, {1, to}};
  at += 40;
  if (flags & kHasTransform) b.transform = ReadMatrix(r, at), at += 24;
  if (flags & kPresetColours) at = ReadPresetColours(r, at, b.stops);
  else if (flags & (kBlendH | kBlendV)) at = ReadBlendFactors(r, at, from, to, b.stops);
  SortStops(b.stops);
}

// u32 flags, i32 wrap, ARGB centre, PointF centre, u32 surrounding count,
// ARGB surrounding[count], then the boundary (a path, or u32 count and
// PointF[count]), then the optional transform, colours and focus.
void ParsePathGradient(const RecordBytes& r, std::size_t at, BrushData& b) {
  const std::uint32_t flags = r.U32(at);
  b.wrap = r.I32(at + 4);
  const Argb centre = Argb::FromU32(r.U32(at + 8));
  b.centre = {F(r, at + 12), F(r, at + 16)};
  const std::uint32_t n = r.U32(at + 20);
  Check(n);
  if (r.CountFits(at + 24, 4) < n) throw MetafileError("EMF+ gradient colours beyond the object");
  // One surrounding colour stands for all: the gradient runs from it at the
  // boundary to the centre colour.
  const Argb edge = n > 0 ? Argb::FromU32(r.U32(at + 24)) : centre;
  at += 24 + 4 * std::size_t{n};
  if (flags & kHasPath) {
    const std::uint32_t size = r.U32(at);
    b.boundary = ParsePath(RecordBytes(r.Sub(at + 4, size)));
    at += 4 + size;
  } else {
    const std::uint32_t count = r.U32(at);
    b.boundary.points = ReadPoints(r, at + 4, count, false, false);
    b.boundary.types.assign(count, 1);
    if (count > 0) b.boundary.types[0] = 0, b.boundary.types.back() |= 0x80;
    at += 4 + 8 * std::size_t{count};
  }
  b.colour = centre;
  b.stops = {{0, edge}, {1, centre}};
  if (flags & kHasTransform) b.transform = ReadMatrix(r, at), at += 24;
  if (flags & kPresetColours) at = ReadPresetColours(r, at, b.stops);
  else if (flags & kBlendH) at = ReadBlendFactors(r, at, edge, centre, b.stops);
  SortStops(b.stops);
}

// A pen's optional fields, in the order of their flag bits.
enum PenFlags : std::uint32_t {
  kPenTransform = 0x1, kStartCap = 0x2, kEndCap = 0x4, kJoin = 0x8, kMiter = 0x10, kLineStyle = 0x20,
  kDashCap = 0x40, kDashOffset = 0x80, kDashes = 0x100, kAlignment = 0x200, kCompound = 0x400,
  kCustomStart = 0x800, kCustomEnd = 0x1000,
};

std::size_t SkipSized(const RecordBytes& r, std::size_t at, std::size_t item) {
  const std::uint32_t n = r.U32(at);
  if (r.CountFits(at + 4, item) < n) throw MetafileError("EMF+ pen data beyond the object");
  return at + 4 + item * n;
}

// EmfPlusInteger7 (one byte, top bit clear) or EmfPlusInteger15 (two bytes,
// big-endian, top bit set), signed.
double ReadRelative(const RecordBytes& r, std::size_t& at) {
  const std::uint8_t b0 = r.U8(at);
  if (!(b0 & 0x80)) {
    ++at;
    return (b0 & 0x40) ? int(b0) - 128 : int(b0);
  }
  const int v = (b0 & 0x7F) << 8 | r.U8(at + 1);
  at += 2;
  return (v & 0x4000) ? v - 0x8000 : v;
}

std::unique_ptr<RegionNode> ParseNode(const RecordBytes& r, std::size_t& at, int depth, std::uint32_t& budget) {
  if (depth > kMaxNesting || budget == 0) throw MetafileError("EMF+ region nested too deep");
  --budget;
  auto node = std::make_unique<RegionNode>();
  const std::uint32_t type = r.U32(at);
  at += 4;
  switch (type) {
    case 0x10000000:
      node->kind = RegionNode::Kind::Rect;
      for (int i = 0; i < 4; ++i) node->rect[i] = F(r, at + 4 * i);
      at += 16;
      break;
    case 0x10000001: {
      const std::uint32_t size = r.U32(at);
      node->kind = RegionNode::Kind::Path;
      node->path = ParsePath(RecordBytes(r.Sub(at + 4, size)));
      at += 4 + size;
      break;
    }
    case 0x10000002: node->kind = RegionNode::Kind::Empty; break;
    case 0x10000003: node->kind = RegionNode::Kind::Infinite; break;
    default:
      if (type < 1 || type > 5) throw MetafileError("EMF+ region node of unknown type");
      node->kind = RegionNode::Kind::Combine;
      node->mode = static_cast<int>(type);
      node->left = ParseNode(r, at, depth + 1, budget);
      node->right = ParseNode(r, at, depth + 1, budget);
  }
  return node;
}

}  // namespace

std::vector<Point> ReadPoints(const RecordBytes& r, std::size_t at, std::uint32_t count, bool compressed,
                              bool relative) {
  Check(count);
  std::vector<Point> points;
  if (relative) {
    // At least one byte a coordinate.
    if (r.CountFits(at, 2) < count) throw MetafileError("EMF+ points beyond the record");
    Point p{0, 0};
    for (std::uint32_t i = 0; i < count; ++i) {
      p.x += ReadRelative(r, at);
      p.y += ReadRelative(r, at);
      points.push_back(p);
    }
    return points;
  }
  const std::size_t each = compressed ? 4 : 8;
  if (r.CountFits(at, each) < count) throw MetafileError("EMF+ points beyond the record");
  points.resize(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t p = at + each * i;
    points[i] = compressed ? Point{double(r.I16(p)), double(r.I16(p + 2))} : Point{F(r, p), F(r, p + 4)};
  }
  return points;
}

std::vector<RectF> ReadRects(const RecordBytes& r, std::size_t at, std::uint32_t count, bool compressed) {
  Check(count);
  const std::size_t each = compressed ? 8 : 16;
  if (r.CountFits(at, each) < count) throw MetafileError("EMF+ rectangles beyond the record");
  std::vector<RectF> rects(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t p = at + each * i;
    rects[i] = compressed ? RectF{double(r.I16(p)), double(r.I16(p + 2)), double(r.I16(p + 4)), double(r.I16(p + 6))}
                          : RectF{F(r, p), F(r, p + 4), F(r, p + 8), F(r, p + 12)};
  }
  return rects;
}

// u32 version, u32 type, then the type's data.
BrushData ParseBrush(const RecordBytes& r) {
  BrushData b;
  switch (r.U32(4)) {
    case 0: b.colour = Argb::FromU32(r.U32(8)); break;
    case 1:  // u32 style, ARGB fore, ARGB back
      b.kind = BrushData::Kind::Hatch;
      b.hatch = r.U32(8);
      b.colour = Argb::FromU32(r.U32(12));
      b.back = Argb::FromU32(r.U32(16));
      break;
    case 2: {  // u32 flags, i32 wrap, [matrix], image
      b.kind = BrushData::Kind::Texture;
      const std::uint32_t flags = r.U32(8);
      b.wrap = r.I32(12);
      std::size_t at = 16;
      if (flags & kHasTransform) b.transform = ReadMatrix(r, at), at += 24;
      b.texture = ParseImage(r.From(at)).bitmap;
      b.colour = {1, 0.5, 0.5, 0.5};
      break;
    }
    case 3: b.kind = BrushData::Kind::PathGradient; ParsePathGradient(r, 8, b); break;
    case 4: b.kind = BrushData::Kind::Linear; ParseLinear(r, 8, b); break;
    default: throw MetafileError("EMF+ brush of unknown type");
  }
  return b;
}

// u32 version, u32 type (0), u32 flags, u32 unit, f32 width, the optional
// fields the flags name, then the brush that fills the line.
PenData ParsePen(const RecordBytes& r) {
  PenData p;
  const std::uint32_t flags = r.U32(8);
  p.unit = r.U32(12);
  p.width = F(r, 16);
  std::size_t at = 20;
  if (flags & kPenTransform) p.transform = ReadMatrix(r, at), p.transformed = true, at += 24;
  if (flags & kStartCap) p.start_cap = r.I32(at), at += 4;
  if (flags & kEndCap) p.end_cap = r.I32(at), at += 4;
  if (flags & kJoin) p.join = r.I32(at), at += 4;
  if (flags & kMiter) p.miter_limit = F(r, at), at += 4;
  if (flags & kLineStyle) p.style = r.I32(at), at += 4;
  if (flags & kDashCap) at += 4;
  if (flags & kDashOffset) p.dash_offset = F(r, at), at += 4;
  if (flags & kDashes) {
    const std::uint32_t n = r.U32(at);
    Check(n);
    if (r.CountFits(at + 4, 4) < n) throw MetafileError("EMF+ dashes beyond the object");
    for (std::uint32_t i = 0; i < n && i < 64; ++i) p.dashes.push_back(F(r, at + 4 + 4 * i));
    at += 4 + 4 * std::size_t{n};
  }
  if (flags & kAlignment) at += 4;
  if (flags & kCompound) at = SkipSized(r, at, 4);
  if (flags & kCustomStart) at = SkipSized(r, at, 1);
  if (flags & kCustomEnd) at = SkipSized(r, at, 1);
  p.brush = ParseBrush(r.From(at));
  return p;
}

// u32 version, u32 count, u32 flags, the points, the types (one byte each,
// or run-length pairs), padded to four bytes.
PathData ParsePath(const RecordBytes& r, std::size_t at) {
  PathData path;
  const std::uint32_t count = r.U32(at + 4), flags = r.U32(at + 8);
  const bool relative = flags & 0x0800, rle = flags & 0x1000, compressed = flags & 0x4000;
  std::size_t p = at + 12;
  path.points = ReadPoints(r, p, count, compressed, relative);
  if (relative) {
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint8_t b = r.U8(p);
      p += (b & 0x80) ? 2 : 1;
      const std::uint8_t c = r.U8(p);
      p += (c & 0x80) ? 2 : 1;
    }
  } else {
    p += std::size_t{count} * (compressed ? 4 : 8);
  }
  path.types.reserve(count);
  while (path.types.size() < count) {
    const std::uint8_t b = r.U8(p);
    if (rle && (b & 0x40)) {
      // B (Bézier) | 1 | run count, then the type.
      const std::uint8_t type = r.U8(p + 1);
      const std::size_t run = std::min<std::size_t>(b & 0x3F, count - path.types.size());
      path.types.insert(path.types.end(), run, type);
      p += 2;
      if (run == 0) throw MetafileError("EMF+ path type run of zero");
    } else {
      path.types.push_back(b);
      ++p;
    }
  }
  return path;
}

// u32 version, u32 node count, then the nodes depth first.
RegionData ParseRegion(const RecordBytes& r) {
  std::size_t at = 8;
  std::uint32_t budget = 4096;
  return ParseNode(r, at, 0, budget);
}

// u32 version, u32 type (1 bitmap, 2 metafile), then its data.
ImageData ParseImage(const RecordBytes& r) {
  ImageData image;
  const std::uint32_t type = r.U32(4);
  if (type == 1) {
    image.bitmap = BitmapSurface(r.From(8));
  } else if (type == 2) {
    // u32 metafile type (1 WMF, 2 placeable WMF, 3-5 EMF), u32 size, bytes.
    // Writers count a placeable WMF's size without its placeable header,
    // so the bytes are taken up to the object's end; the player stops at
    // the metafile's own last record.
    r.Need(16, r.U32(12));
    const auto bytes = r.From(16).Span();
    image.metafile.assign(bytes.begin(), bytes.end());
    image.placeable_wmf = r.U32(8) == 2;
    // A placeable header stored padded to 24 bytes, as some writers keep
    // it: the two bytes of padding go, so the WMF header follows at 22.
    auto& m = image.metafile;
    if (image.placeable_wmf && m.size() >= 30 && m[22] == 0 && m[23] == 0 && (m[24] == 1 || m[24] == 2) &&
        m[25] == 0 && m[26] == 9 && m[27] == 0)
      m.erase(m.begin() + 22, m.begin() + 24);
  }
  if (image.bitmap) {
    image.width = cairo_image_surface_get_width(image.bitmap.get());
    image.height = cairo_image_surface_get_height(image.bitmap.get());
  }
  return image;
}

// u32 version, f32 em size, u32 unit, i32 style, u32 reserved, u32 length,
// UTF-16 family name.
FontData ParseFont(const RecordBytes& r) {
  FontData f;
  f.em = F(r, 4);
  f.unit = r.U32(8);
  f.style = r.U32(12);
  const std::uint32_t length = r.U32(20);
  if (r.CountFits(24, 2) < length) throw MetafileError("EMF+ font name beyond the object");
  for (std::uint32_t i = 0; i < length && i < 64; ++i) f.family.push_back(static_cast<char16_t>(r.U16(24 + 2 * i)));
  return f;
}

// u32 version, u32 flags, u32 language, u32 alignment, u32 line alignment,
// then digit, tab and range settings that are not used here.
FormatData ParseFormat(const RecordBytes& r) {
  return {r.U32(4), r.U32(12), r.U32(16)};
}

}  // namespace plendo::codecs::metafile::plus
