#pragma once
// Builds EXIF blocks for tests, in either byte order, independently of the
// EXIF writer under test: a TIFF structure (header, IFD0, Exif, GPS,
// Interoperability directories, IFD1, thumbnail), wrapped in an APP1 segment
// and put into a JPEG file. Pointers to non-empty sub-directories and the
// thumbnail's offset and length are added on the way; counts and offsets can
// be forced to build damaged and hostile blocks.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/TestFiles.h"

namespace plendo::test {

using Bytes = std::vector<std::uint8_t>;

struct ExifTestEntry {
  std::uint16_t tag = 0;
  std::uint16_t type = 0;
  // SHORT, LONG, their signed kinds, FLOAT and DOUBLE (as bit patterns);
  // RATIONAL and SRATIONAL as numerator, denominator pairs.
  std::vector<std::uint64_t> numbers;
  // BYTE, SBYTE, ASCII (as stored, zero bytes included), UNDEFINED.
  Bytes bytes;
  std::optional<std::uint32_t> count;   // written instead of the real count
  std::optional<std::uint32_t> offset;  // written instead of the real value offset
};

ExifTestEntry AsciiEntry(std::uint16_t tag, const std::string& text);  // text and one zero byte
ExifTestEntry BytesEntry(std::uint16_t tag, std::uint16_t type, Bytes bytes);
ExifTestEntry NumberEntry(std::uint16_t tag, std::uint16_t type, std::vector<std::uint64_t> numbers);
ExifTestEntry ShortEntry(std::uint16_t tag, std::vector<std::uint64_t> values);
ExifTestEntry LongEntry(std::uint16_t tag, std::vector<std::uint64_t> values);
ExifTestEntry RationalEntry(std::uint16_t tag, std::vector<std::uint64_t> pairs);

struct ExifTestBlock {
  bool big_endian = false;
  std::vector<ExifTestEntry> ifd0, exif, gps, interop, ifd1;
  Bytes thumbnail;  // a JPEG file; IFD1 gets 0x0201 and 0x0202 for it
};

// The TIFF structure, from "II"/"MM" on. Each directory is followed by the
// data of its entries longer than 4 bytes.
Bytes BuildTiff(const ExifTestBlock& block);
// FF E1, length, "Exif" 00 00, `tiff`.
Bytes App1Segment(const Bytes& tiff);
// A JFIF APP0 segment: FF E0, length 16, 14 bytes.
Bytes App0Segment();
// `jpeg` with `segments` put right after its FF D8.
Bytes InsertAfterStart(const Bytes& jpeg, const Bytes& segments);
// A baseline JPEG of one colour, made by the program's own encoder (FF D8,
// JFIF APP0, no APP1), like the engine's output.
Bytes PlainJpeg(int width, int height, std::uint8_t r = 200, std::uint8_t g = 120, std::uint8_t b = 40);

// A block shaped like a camera's: IFD0 with Make, Model, Orientation and
// resolutions; an Exif directory with rationals, versions, a 1-byte scene
// type, a maker note and a user comment; Interoperability; GPS; IFD1 with a
// JPEG thumbnail.
ExifTestBlock CameraBlock(bool big_endian);
Bytes CameraMakerNote();  // the maker note's bytes, for comparison


}  // namespace plendo::test
