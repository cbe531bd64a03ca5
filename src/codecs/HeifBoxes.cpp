#include "codecs/HeifBoxes.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "codecs/HevcSize.h"

namespace plendo::codecs {
namespace {

using Bytes = std::span<const std::uint8_t>;

// Big-endian fields read in order; a read past the end gives 0 and clears `ok`.
struct Fields {
  Bytes b;
  std::size_t at = 0;
  bool ok = true;
  std::uint64_t Read(std::size_t n) {
    if (n > b.size() - std::min(at, b.size()) || n > 8) {
      ok = false;
      return 0;
    }
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v = v << 8 | b[at + i];
    at += n;
    return v;
  }
};

struct Box {
  char type[4];
  Bytes body;
};

// size (4; 1: a 64-bit size follows the type; 0: up to the end of the
// enclosing box), type (4), [64-bit size], body. The size counts the header.
// `at` advances past the box only when all of it is there.
bool ReadBox(Bytes in, std::size_t& at, Box& box) {
  Fields f{in, at};
  std::uint64_t size = f.Read(4);
  f.Read(4);
  if (size == 1) size = f.Read(8);
  if (size == 0) size = in.size() - at;
  if (!f.ok || size < f.at - at || size > in.size() - at) return false;
  std::memcpy(box.type, &in[at + 4], 4);
  box.body = in.subspan(f.at, static_cast<std::size_t>(size) - (f.at - at));
  at += static_cast<std::size_t>(size);
  return true;
}

// The body of the first child of this type; empty when there is none.
Bytes Child(Bytes container, const char* type) {
  Box box{};
  for (std::size_t at = 0; ReadBox(container, at, box);)
    if (std::memcmp(box.type, type, 4) == 0) return box.body;
  return {};
}

// iinf: version (1), flags (3), count (2, or 4 from version 1), then 'infe'
// boxes: version (1), flags (3), item id (2, or 4 from version 3),
// protection index (2), item type (4), ...
std::vector<std::uint64_t> GridItems(Bytes iinf) {
  Fields f{iinf};
  f.Read(f.Read(1) == 0 ? 5 : 7);
  std::vector<std::uint64_t> grids;
  Box box{};
  for (std::size_t at = f.at; f.ok && ReadBox(iinf, at, box);) {
    Fields e{box.body};
    const std::uint64_t version = e.Read(1);
    e.Read(3);
    const std::uint64_t id = e.Read(version >= 3 ? 4 : 2);
    e.Read(2);
    if (std::memcmp(box.type, "infe", 4) == 0 && version >= 2 && e.ok && e.b.size() - e.at >= 4 &&
        std::memcmp(&e.b[e.at], "grid", 4) == 0)
      grids.push_back(id);
  }
  return grids;
}

struct Extent {
  std::uint64_t method = 0;  // 0: offset in the file, 1: offset in idat
  std::uint64_t offset = 0;
};

// iloc: version (1), flags (3), offset, length, base offset and index sizes
// (4 bits each), count (2, or 4 from version 2), then per item: id (2 or 4),
// [reserved 12 bits, construction method 4 bits, from version 1], data
// reference (2), base offset, extent count (2), extents: [index], offset,
// length.
bool FirstExtent(Bytes iloc, std::uint64_t id, Extent& found) {
  Fields f{iloc};
  const std::uint64_t version = f.Read(1);
  f.Read(3);
  const std::uint64_t sizes = f.Read(2);
  const std::size_t offset_size = sizes >> 12, length_size = sizes >> 8 & 15, base_size = sizes >> 4 & 15;
  const std::size_t index_size = version >= 1 ? sizes & 15 : 0;
  const std::size_t id_size = version >= 2 ? 4 : 2;
  for (std::uint64_t items = f.Read(id_size); f.ok && items > 0; --items) {
    const std::uint64_t item = f.Read(id_size);
    const std::uint64_t method = version >= 1 ? f.Read(2) & 15 : 0;
    f.Read(2);
    const std::uint64_t base = f.Read(base_size);
    const std::uint64_t extents = f.Read(2);
    for (std::uint64_t e = 0; f.ok && e < extents; ++e) {
      f.Read(index_size);
      const std::uint64_t offset = f.Read(offset_size);
      f.Read(length_size);
      if (item == id && e == 0) {
        found = {method, base + offset};
        return f.ok;
      }
    }
  }
  return false;
}

// A grid item's data: version (1), flags (1; bit 0: 32-bit sizes), rows - 1
// (1), columns - 1 (1), output width, output height. libheif sizes the
// grid's picture by these, whatever the item's extent says, and reads them
// even where an extent runs past the end of idat.
std::uint64_t GridArea(Bytes file, Bytes meta, std::uint64_t id) {
  Extent extent;
  if (!FirstExtent(Child(meta, "iloc"), id, extent) || extent.method > 1) return 0;
  const Bytes idat = Child(meta, "idat");
  if (extent.method == 1 && idat.empty()) return 0;
  const std::uint64_t start = extent.method == 0 ? 0 : static_cast<std::uint64_t>(idat.data() - file.data());
  Fields f{file, static_cast<std::size_t>(std::min<std::uint64_t>(start + extent.offset, file.size()))};
  f.Read(1);
  const std::size_t size = f.Read(1) & 1 ? 4 : 2;
  f.Read(2);
  const std::uint64_t width = f.Read(size);
  return f.ok ? width * f.Read(size) : 0;
}

}  // namespace

std::uint64_t LargestPictureArea(Bytes file) {
  Bytes meta = Child(file, "meta");
  if (meta.size() < 4) return 0;
  meta = meta.subspan(4);  // version and flags first
  std::uint64_t largest = 0;
  for (const std::uint64_t grid : GridItems(Child(meta, "iinf")))
    largest = std::max(largest, GridArea(file, meta, grid));
  Box box{};
  const Bytes properties = Child(Child(meta, "iprp"), "ipco");
  for (std::size_t at = 0; ReadBox(properties, at, box);) {
    HevcSize coded;
    if (std::memcmp(box.type, "ispe", 4) == 0 && box.body.size() >= 12)  // version and flags, width, height (4 each)
      largest = std::max(largest, Fields{box.body, 4}.Read(4) * Fields{box.body, 8}.Read(4));
    else if (std::memcmp(box.type, "hvcC", 4) == 0 && ReadHevcSize(box.body, coded))
      largest = std::max(largest, coded.width > 0xFFFFFFFF || coded.height > 0xFFFFFFFF ? ~std::uint64_t{0}
                                                                                          : coded.width * coded.height);
  }
  return largest;
}

}  // namespace plendo::codecs
