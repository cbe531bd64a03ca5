#pragma once
// EMF+ records written one by one, for the EMF+ player's tests: the record
// layouts, objects split over continued records, and the comment record
// that carries them in an EMF. Units are pixels at 96 dpi unless a record
// sets others.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/TestFiles.h"

namespace plendo::test {

// Little-endian fields of one record's data or one object.
class PlusData {
 public:
  PlusData& U16(std::uint32_t v) {
    b_.push_back(static_cast<std::uint8_t>(v)), b_.push_back(static_cast<std::uint8_t>(v >> 8));
    return *this;
  }
  PlusData& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  PlusData& F32(float f) {
    std::uint32_t v;
    std::memcpy(&v, &f, 4);
    return U32(v);
  }
  PlusData& Floats(std::initializer_list<float> fs) {
    for (float f : fs) F32(f);
    return *this;
  }
  PlusData& Raw(const Bytes& bytes) {
    b_.insert(b_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  const Bytes& Data() const { return b_; }

 private:
  Bytes b_;
};

inline constexpr std::uint32_t kPlusVersion = 0xDBC01002;

// Objects, each starting with its version.
inline Bytes SolidBrush(std::uint32_t argb) { return PlusData().U32(kPlusVersion).U32(0).U32(argb).Data(); }
inline Bytes HatchBrush(std::uint32_t style, std::uint32_t fore, std::uint32_t back) {
  return PlusData().U32(kPlusVersion).U32(1).U32(style).U32(fore).U32(back).Data();
}
// From `from` at x to `to` at x + w.
inline Bytes LinearBrush(float x, float y, float w, float h, std::uint32_t from, std::uint32_t to) {
  return PlusData().U32(kPlusVersion).U32(4).U32(0).U32(4).Floats({x, y, w, h}).U32(from).U32(to).U32(0).U32(0).Data();
}
// A solid pen of `width` world units; `flags` and `optional` add the
// optional fields (dashes, caps, joins) in their order.
inline Bytes Pen(float width, std::uint32_t argb, std::uint32_t flags = 0, const Bytes& optional = {}) {
  return PlusData().U32(kPlusVersion).U32(0).U32(flags).U32(0).F32(width).Raw(optional).Raw(SolidBrush(argb)).Data();
}
// Float points with one type byte each (0 start, 1 line, 3 Bézier, |0x80
// closes), padded to four bytes.
inline Bytes PathObject(const std::vector<float>& xy, const std::vector<std::uint8_t>& types) {
  PlusData d;
  d.U32(kPlusVersion).U32(static_cast<std::uint32_t>(types.size())).U32(0);
  for (float f : xy) d.F32(f);
  Bytes t(types.begin(), types.end());
  t.resize((t.size() + 3) / 4 * 4, 0);
  return d.Raw(t).Data();
}
// A region of one rectangle.
inline Bytes RectRegion(float x, float y, float w, float h) {
  return PlusData().U32(kPlusVersion).U32(0).U32(0x10000000).Floats({x, y, w, h}).Data();
}
// A bitmap of w x h pixels in one colour, 24-bit rows.
inline Bytes SolidBitmap(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  const int stride = (w * 3 + 3) / 4 * 4;
  Bytes rows(static_cast<std::size_t>(stride) * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      rows[y * stride + 3 * x] = b, rows[y * stride + 3 * x + 1] = g, rows[y * stride + 3 * x + 2] = r;
    }
  return PlusData().U32(kPlusVersion).U32(1).U32(w).U32(h).U32(stride).U32(0x00021808).U32(0).Raw(rows).Data();
}
// Em size in pixels (unit 2), a family name.
inline Bytes FontObject(float em, const std::u16string& family) {
  PlusData d;
  d.U32(kPlusVersion).F32(em).U32(2).U32(0).U32(0).U32(static_cast<std::uint32_t>(family.size()));
  for (char16_t c : family) d.U16(c);
  if (family.size() % 2) d.U16(0);
  return d.Data();
}

// A stream of EMF+ records, split into comment records.
class EmfPlusRecords {
 public:
  EmfPlusRecords& Add(std::uint16_t type, std::uint16_t flags, const Bytes& data = {}) {
    PlusData r;
    r.U16(type).U16(flags).U32(static_cast<std::uint32_t>(12 + data.size())).U32(static_cast<std::uint32_t>(data.size()));
    r.Raw(data);
    comments_.back().insert(comments_.back().end(), r.Data().begin(), r.Data().end());
    return *this;
  }
  // The header: EMF+ only (flags 0) or dual (1), 96 dpi.
  EmfPlusRecords& Header(std::uint16_t flags = 0) {
    return Add(0x4001, flags, PlusData().U32(kPlusVersion).U32(1).U32(96).U32(96).Data());
  }
  // Object `id` of `type` (1 brush, 2 pen, 3 path, 4 region, 5 image, 6
  // font, 7 string format), in pieces of `piece` bytes, each but the last
  // in a continued record that gives the whole size: first in its data, or
  // with `size_in_header` between the record size and the data size.
  EmfPlusRecords& Object(int id, int type, const Bytes& data, std::size_t piece = SIZE_MAX,
                         bool size_in_header = false) {
    const std::uint16_t flags = static_cast<std::uint16_t>(type << 8 | id);
    std::size_t at = 0;
    while (data.size() - at > piece) {
      const Bytes part(data.begin() + at, data.begin() + at + piece);
      const auto total = static_cast<std::uint32_t>(data.size()), n = static_cast<std::uint32_t>(piece);
      if (size_in_header) {
        PlusData r;
        r.U16(0x4008).U16(flags | 0x8000).U32(16 + n).U32(total).U32(n).Raw(part);
        comments_.back().insert(comments_.back().end(), r.Data().begin(), r.Data().end());
      } else {
        Add(0x4008, flags | 0x8000, PlusData().U32(total).Raw(part).Data());
      }
      at += piece;
    }
    return Add(0x4008, flags, Bytes(data.begin() + at, data.end()));
  }
  // Later records go into a comment record of their own.
  EmfPlusRecords& NextComment() {
    comments_.emplace_back();
    return *this;
  }
  // Each comment's EMR_COMMENT data: the "EMF+" tag, then its records.
  std::vector<Bytes> Comments() const {
    std::vector<Bytes> out;
    for (const Bytes& c : comments_) {
      Bytes b = PlusData().U32(0x2B464D45).Data();
      b.insert(b.end(), c.begin(), c.end());
      out.push_back(std::move(b));
    }
    return out;
  }

 private:
  std::vector<Bytes> comments_{1};
};

}  // namespace plendo::test
