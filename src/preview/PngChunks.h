#pragma once
// The PNG container: the signature, the chunk frame and one parse function
// per chunk kind the preview reads. Every parse function takes the chunk's
// data (already length- and CRC-checked by ReadChunk) and either returns what
// it means or raises the chunk's own error; none of them allocates before the
// sizes are checked.
//
//   file   = signature(8) chunk*
//   chunk  = length(4, big-endian) name(4) data(length) crc(4, over name+data)
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace plendo::preview {

using PngBytes = std::span<const std::uint8_t>;

inline constexpr std::array<std::uint8_t, 8> kPngSignature = {137, 80, 78, 71, 13, 10, 26, 10};

// The most pixels (width x height) the preview decodes; a 8192 x 8192 image
// with alpha and 16-bit samples stays well under half a gigabyte.
inline constexpr std::uint64_t kPngMaxPixels = std::uint64_t{1} << 26;

std::uint32_t Crc32(std::uint32_t crc, PngBytes bytes);
// The CRC a chunk carries: over its name, then its data.
std::uint32_t ChunkCrc(PngBytes name, PngBytes data);

inline std::uint32_t ReadBigEndian32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// A chunk as it stands in the file; `data` points into the file's bytes.
struct PngChunkView {
  std::string name;
  PngBytes data;
  std::size_t end = 0;  // offset just past its CRC
};

// Reads the chunk frame at `offset`. Raises EPngUnexpectedEnd when the file
// ends inside it. The CRC is not checked here (CheckChunkCrc does).
PngChunkView ReadChunk(PngBytes file, std::size_t offset);
// Raises EPngInvalidCRC unless the CRC after the chunk's data matches.
void CheckChunkCrc(PngBytes file, const PngChunkView& chunk);

// Bit 5 of the first letter clear: a decoder must understand the chunk.
bool IsCriticalChunk(const std::string& name);

// ---- IHDR: width(4) height(4) depth(1) colour(1) compression(1) filter(1) interlace(1)
struct PngHeader {
  std::uint32_t width = 0, height = 0;
  std::uint8_t bit_depth = 0, colour_type = 0, compression = 0, filter = 0, interlace = 0;
};
// Raises EPngInvalidIHDR, EPNGSizeExceeds, EPNGUnknownCompression,
// EPNGUnknownInterlace in that order of checking.
PngHeader ParseIhdr(PngBytes data);
// What the decoder itself needs before it allocates: a colour type and bit
// depth it has a stored layout for, filter method 0, no empty side
// (EPngInvalidIHDR), and at most kPngMaxPixels pixels (EPNGTooManyPixels).
void CheckHeaderForDecoding(const PngHeader& header);

// ---- PLTE: (red, green, blue)(1 each) x 1..256, each passed through `gamma`.
struct PngColour {
  std::uint8_t r = 0, g = 0, b = 0;
};
std::vector<PngColour> ParsePlte(PngBytes data, const std::array<std::uint8_t, 256>& gamma);

// ---- gAMA: gamma x 100000 (4). The new gamma table, or nothing when the
// chunk leaves the table as it is (value 0, or not 4 bytes long).
std::optional<std::array<std::uint8_t, 256>> ParseGama(PngBytes data);
std::array<std::uint8_t, 256> IdentityGamma();

// ---- tRNS: up to 256 bytes over a field of 255s (palette alphas, or the
// big-endian grey / red, green, blue key samples).
std::array<std::uint8_t, 256> ParseTrns(PngBytes data);

// ---- pHYs: x(4) y(4) unit(1). tIME: year(2) month day hour minute second (1 each).
struct PngPhysical {
  std::uint32_t x = 0, y = 0;
  std::uint8_t unit = 0;
};
std::optional<PngPhysical> ParsePhys(PngBytes data);
struct PngTime {
  std::uint16_t year = 0;
  std::uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
std::optional<PngTime> ParseTime(PngBytes data);

// ---- tEXt: keyword 0 text. zTXt: keyword 0 method(1) zlib-stream.
struct PngText {
  std::string keyword, text;
};
PngText ParseText(PngBytes data);
// The text is empty when it cannot be inflated or is longer than we keep.
// `budget` is what the file may still inflate; the work done is taken from
// it, a whole limit's worth when the text was refused.
PngText ParseCompressedText(PngBytes data, std::size_t& budget);

}  // namespace plendo::preview
