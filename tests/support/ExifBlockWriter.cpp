#include "support/ExifBlockWriter.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/Bitmap.h"
#include "codecs/JpegEncoder.h"

namespace plendo::test {
namespace {

class Out {
 public:
  explicit Out(bool big_endian) : big_(big_endian) {}
  void Number(std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * (big_ ? size - 1 - i : i))));
  }
  void Word(std::uint32_t v) { Number(v, 2); }
  void DWord(std::uint32_t v) { Number(v, 4); }
  void Append(const Bytes& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }
  Bytes bytes;

 private:
  bool big_;
};

int NumberSize(std::uint16_t type) {
  switch (type) {
    case 3: case 8: return 2;
    case 4: case 5: case 9: case 10: case 11: return 4;
    case 12: return 8;
    default: return 0;
  }
}

Bytes EncodeValue(const ExifTestEntry& e, bool big_endian) {
  const int size = NumberSize(e.type);
  if (size == 0) return e.bytes;
  Out out(big_endian);
  for (const std::uint64_t n : e.numbers) out.Number(n, size);
  return out.bytes;
}

std::uint32_t CountOf(const ExifTestEntry& e) {
  if (e.count) return *e.count;
  if (NumberSize(e.type) == 0) return static_cast<std::uint32_t>(e.bytes.size());
  const bool rational = e.type == 5 || e.type == 10;
  return static_cast<std::uint32_t>(rational ? e.numbers.size() / 2 : e.numbers.size());
}

std::uint32_t DirectorySize(const std::vector<ExifTestEntry>& entries, bool big_endian) {
  if (entries.empty()) return 0;
  std::uint32_t size = 2 + 12 * static_cast<std::uint32_t>(entries.size()) + 4;
  for (const auto& e : entries) {
    const auto value = EncodeValue(e, big_endian).size();
    if (value > 4) size += static_cast<std::uint32_t>(value);
  }
  return size;
}

// Puts `entry` in tag order.
void AddSorted(std::vector<ExifTestEntry>& entries, ExifTestEntry entry) {
  const auto at = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.tag > entry.tag; });
  entries.insert(at, std::move(entry));
}

void WriteDirectory(Out& out, const std::vector<ExifTestEntry>& entries, std::uint32_t next, bool big_endian) {
  if (entries.empty()) return;
  const auto start = static_cast<std::uint32_t>(out.bytes.size());
  std::uint32_t data = start + 2 + 12 * static_cast<std::uint32_t>(entries.size()) + 4;
  Bytes data_bytes;
  out.Word(static_cast<std::uint32_t>(entries.size()));
  for (const auto& e : entries) {
    const Bytes value = EncodeValue(e, big_endian);
    out.Word(e.tag);
    out.Word(e.type);
    out.DWord(CountOf(e));
    if (value.size() > 4 || e.offset) {
      out.DWord(e.offset ? *e.offset : data);
      if (value.size() > 4) {
        data += static_cast<std::uint32_t>(value.size());
        data_bytes.insert(data_bytes.end(), value.begin(), value.end());
      }
    } else {
      Bytes field = value;
      field.resize(4, 0);
      out.Append(field);
    }
  }
  out.DWord(next);
  out.Append(data_bytes);
}

}  // namespace

ExifTestEntry AsciiEntry(std::uint16_t tag, const std::string& text) {
  ExifTestEntry e{tag, 2, {}, Bytes(text.begin(), text.end()), {}, {}};
  e.bytes.push_back(0);
  return e;
}

ExifTestEntry BytesEntry(std::uint16_t tag, std::uint16_t type, Bytes bytes) {
  return {tag, type, {}, std::move(bytes), {}, {}};
}

ExifTestEntry NumberEntry(std::uint16_t tag, std::uint16_t type, std::vector<std::uint64_t> numbers) {
  return {tag, type, std::move(numbers), {}, {}, {}};
}

ExifTestEntry ShortEntry(std::uint16_t tag, std::vector<std::uint64_t> values) { return NumberEntry(tag, 3, std::move(values)); }
ExifTestEntry LongEntry(std::uint16_t tag, std::vector<std::uint64_t> values) { return NumberEntry(tag, 4, std::move(values)); }
ExifTestEntry RationalEntry(std::uint16_t tag, std::vector<std::uint64_t> pairs) {
  return NumberEntry(tag, 5, std::move(pairs));
}

Bytes BuildTiff(const ExifTestBlock& block) {
  const bool be = block.big_endian;
  auto ifd0 = block.ifd0;
  auto exif = block.exif;
  auto ifd1 = block.ifd1;
  // Pointers get placeholders first so that every size is known.
  if (!block.interop.empty()) AddSorted(exif, LongEntry(0xA005, {0}));
  if (!exif.empty()) AddSorted(ifd0, LongEntry(0x8769, {0}));
  if (!block.gps.empty()) AddSorted(ifd0, LongEntry(0x8825, {0}));
  if (!block.thumbnail.empty()) {
    AddSorted(ifd1, LongEntry(0x0201, {0}));
    AddSorted(ifd1, LongEntry(0x0202, {block.thumbnail.size()}));
  }
  const std::uint32_t at_ifd0 = 8;
  const std::uint32_t at_exif = at_ifd0 + DirectorySize(ifd0, be);
  const std::uint32_t at_gps = at_exif + DirectorySize(exif, be);
  const std::uint32_t at_interop = at_gps + DirectorySize(block.gps, be);
  const std::uint32_t at_ifd1 = at_interop + DirectorySize(block.interop, be);
  const std::uint32_t at_thumbnail = at_ifd1 + DirectorySize(ifd1, be);
  auto set = [](std::vector<ExifTestEntry>& entries, std::uint16_t tag, std::uint32_t value) {
    for (auto& e : entries)
      if (e.tag == tag && e.numbers.size() == 1) e.numbers[0] = value;
  };
  set(exif, 0xA005, at_interop);
  set(ifd0, 0x8769, at_exif);
  set(ifd0, 0x8825, at_gps);
  set(ifd1, 0x0201, at_thumbnail);

  Out out(be);
  out.Word(be ? 0x4D4D : 0x4949);
  out.Word(42);
  out.DWord(at_ifd0);
  WriteDirectory(out, ifd0, ifd1.empty() ? 0 : at_ifd1, be);
  WriteDirectory(out, exif, 0, be);
  WriteDirectory(out, block.gps, 0, be);
  WriteDirectory(out, block.interop, 0, be);
  WriteDirectory(out, ifd1, 0, be);
  out.Append(block.thumbnail);
  return out.bytes;
}

Bytes App1Segment(const Bytes& tiff) {
  const std::size_t length = tiff.size() + 8;
  if (length > 0xFFFF) throw std::length_error("APP1 segment too long");
  Bytes out;
  out.reserve(10 + tiff.size());
  out = {0xFF, 0xE1, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length), 'E', 'x', 'i', 'f', 0, 0};
  out.insert(out.end(), tiff.begin(), tiff.end());
  return out;
}

Bytes App0Segment() {
  return {0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00};
}

Bytes InsertAfterStart(const Bytes& jpeg, const Bytes& segments) {
  Bytes out;
  out.reserve(jpeg.size() + segments.size());
  out.assign(jpeg.begin(), jpeg.begin() + 2);
  out.insert(out.end(), segments.begin(), segments.end());
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

Bytes PlainJpeg(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  platform::Bitmap bitmap(width, height, platform::PixelFormat::Bgr24);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = bitmap.Row(y);
    for (int x = 0; x < width; ++x) {
      row[x * 3] = b;
      row[x * 3 + 1] = g;
      row[x * 3 + 2] = r;
    }
  }
  return codecs::EncodeJpeg(bitmap, {75, false});
}

Bytes CameraMakerNote() {
  // Looks like a maker note: its own little directory with offsets that are
  // meaningless once moved, and bytes of every value.
  Bytes note = {'C', 'A', 'M', 0, 0x02, 0x00, 0x01, 0x00, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00};
  for (int i = 0; i < 200; ++i) note.push_back(static_cast<std::uint8_t>(i * 37 + 11));
  return note;
}

ExifTestBlock CameraBlock(bool big_endian) {
  ExifTestBlock block;
  block.big_endian = big_endian;
  block.ifd0 = {
      AsciiEntry(0x010F, "Example Camera Co."),
      AsciiEntry(0x0110, "EX-100"),
      ShortEntry(0x0112, {6}),
      RationalEntry(0x011A, {72, 1}),
      RationalEntry(0x011B, {72, 1}),
      ShortEntry(0x0128, {2}),
      AsciiEntry(0x0132, "2026:12:08 10:11:12"),
      ShortEntry(0x0213, {2}),
  };
  block.exif = {
      RationalEntry(0x829A, {1, 250}),
      RationalEntry(0x829D, {28, 10}),
      ShortEntry(0x8827, {400}),
      BytesEntry(0x9000, 7, {'0', '2', '3', '2'}),
      AsciiEntry(0x9003, "2026:12:08 10:11:12"),
      BytesEntry(0x9101, 7, {1, 2, 3, 0}),
      NumberEntry(0x9204, 10, {0xFFFFFFFDu, 3}),
      BytesEntry(0x927C, 7, CameraMakerNote()),
      BytesEntry(0x9286, 7, {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'h', 'i'}),
      BytesEntry(0xA000, 7, {'0', '1', '0', '0'}),
      ShortEntry(0xA001, {1}),
      LongEntry(0xA002, {4000}),
      LongEntry(0xA003, {3000}),
      BytesEntry(0xA301, 7, {1}),
  };
  block.interop = {
      AsciiEntry(0x0001, "R98"),
      BytesEntry(0x0002, 7, {'0', '1', '0', '0'}),
  };
  block.gps = {
      BytesEntry(0x0000, 1, {2, 3, 0, 0}),
      AsciiEntry(0x0001, "N"),
      RationalEntry(0x0002, {35, 1, 40, 1, 1234, 100}),
      AsciiEntry(0x0003, "E"),
      RationalEntry(0x0004, {139, 1, 45, 1, 5678, 100}),
  };
  block.ifd1 = {
      ShortEntry(0x0103, {6}),
      RationalEntry(0x011A, {72, 1}),
      RationalEntry(0x011B, {72, 1}),
      ShortEntry(0x0128, {2}),
  };
  block.thumbnail = PlainJpeg(160, 120, 10, 200, 30);
  return block;
}

}  // namespace plendo::test
