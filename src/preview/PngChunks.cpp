#include "preview/PngChunks.h"

#include <algorithm>
#include <cmath>

#include "preview/PngErrors.h"
#include "preview/PngInflate.h"

namespace plendo::preview {
namespace {

// A compressed text chunk is never shown; this much of it is plenty.
constexpr std::size_t kMaxTextBytes = std::size_t{1} << 20;

const std::array<std::uint32_t, 256>& CrcTable() {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

// The stored layouts we decode into, by colour type: which bit depths exist.
bool HasStoredLayout(std::uint8_t colour_type, std::uint8_t depth) {
  switch (colour_type) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
  }
}

std::string KeywordOf(PngBytes data, std::size_t& after) {
  const auto zero = std::find(data.begin(), data.end(), std::uint8_t{0});
  after = static_cast<std::size_t>(zero - data.begin());
  return std::string(data.begin(), zero);
}

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, PngBytes bytes) {
  const auto& table = CrcTable();
  crc = ~crc;
  for (std::uint8_t b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::uint32_t ChunkCrc(PngBytes name, PngBytes data) { return Crc32(Crc32(0, name), data); }

PngChunkView ReadChunk(PngBytes file, std::size_t offset) {
  // length(4) name(4) must be there, then data and CRC: checked as "what is
  // left" so that a huge length cannot overflow an addition.
  if (offset > file.size() || file.size() - offset < 8) throw EPngUnexpectedEnd();
  const std::uint32_t length = ReadBigEndian32(file.data() + offset);
  const std::size_t left = file.size() - offset - 8;
  if (left < 4 || length > left - 4) throw EPngUnexpectedEnd();
  PngChunkView chunk;
  chunk.name.assign(reinterpret_cast<const char*>(file.data() + offset + 4), 4);
  chunk.data = file.subspan(offset + 8, length);
  chunk.end = offset + 8 + length + 4;
  return chunk;
}

void CheckChunkCrc(PngBytes file, const PngChunkView& chunk) {
  const std::size_t data_at = chunk.end - 4 - chunk.data.size();
  const PngBytes name = file.subspan(data_at - 4, 4);
  if (ChunkCrc(name, chunk.data) != ReadBigEndian32(file.data() + chunk.end - 4))
    throw EPngInvalidCRC();
}

bool IsCriticalChunk(const std::string& name) {
  return !name.empty() && (static_cast<unsigned char>(name[0]) & 0x20) == 0;
}

PngHeader ParseIhdr(PngBytes data) {
  if (data.size() < 13) throw EPngInvalidIHDR();
  PngHeader h;
  h.width = ReadBigEndian32(data.data());
  h.height = ReadBigEndian32(data.data() + 4);
  h.bit_depth = data[8];
  h.colour_type = data[9];
  h.compression = data[10];
  h.filter = data[11];
  h.interlace = data[12];
  if (h.width > 65535 || h.height > 65535) throw EPNGSizeExceeds();
  if (h.compression != 0) throw EPNGUnknownCompression();
  if (h.interlace > 1) throw EPNGUnknownInterlace();
  return h;
}

void CheckHeaderForDecoding(const PngHeader& h) {
  if (h.width == 0 || h.height == 0 || h.filter != 0 || !HasStoredLayout(h.colour_type, h.bit_depth))
    throw EPngInvalidIHDR();
  // Both sides are at most 65535, so the product fits 64 bits.
  if (std::uint64_t{h.width} * h.height > kPngMaxPixels) throw EPNGTooManyPixels();
}

std::vector<PngColour> ParsePlte(PngBytes data, const std::array<std::uint8_t, 256>& gamma) {
  if (data.size() % 3 != 0 || data.size() / 3 > 256) throw EPNGInvalidPalette();
  std::vector<PngColour> palette(data.size() / 3);
  for (std::size_t i = 0; i < palette.size(); ++i)
    palette[i] = {gamma[data[3 * i]], gamma[data[3 * i + 1]], gamma[data[3 * i + 2]]};
  return palette;
}

std::array<std::uint8_t, 256> IdentityGamma() {
  std::array<std::uint8_t, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = static_cast<std::uint8_t>(i);
  return table;
}

std::optional<std::array<std::uint8_t, 256>> ParseGama(PngBytes data) {
  // Any other length is not a gamma value at all; reading it anyway would
  // darken the whole image.
  if (data.size() != 4) return std::nullopt;
  const std::uint32_t value = ReadBigEndian32(data.data());
  if (value == 0) return std::nullopt;
  const double exponent = 1.0 / (value / 100000.0 * 2.2);
  std::array<std::uint8_t, 256> table{};
  for (int i = 0; i < 256; ++i)
    table[i] = static_cast<std::uint8_t>(std::lround(255.0 * std::pow(i / 255.0, exponent)));
  return table;
}

std::array<std::uint8_t, 256> ParseTrns(PngBytes data) {
  if (data.size() > 256) throw EPNGInvalidPalette();
  std::array<std::uint8_t, 256> values;
  values.fill(255);
  std::copy(data.begin(), data.end(), values.begin());
  return values;
}

std::optional<PngPhysical> ParsePhys(PngBytes data) {
  if (data.size() != 9) return std::nullopt;
  return PngPhysical{ReadBigEndian32(data.data()), ReadBigEndian32(data.data() + 4), data[8]};
}

std::optional<PngTime> ParseTime(PngBytes data) {
  if (data.size() != 7) return std::nullopt;
  return PngTime{static_cast<std::uint16_t>(data[0] << 8 | data[1]), data[2], data[3], data[4], data[5], data[6]};
}

PngText ParseText(PngBytes data) {
  std::size_t zero = 0;
  PngText text;
  text.keyword = KeywordOf(data, zero);
  if (zero < data.size()) text.text.assign(data.begin() + zero + 1, data.end());
  return text;
}

PngText ParseCompressedText(PngBytes data, std::size_t& budget) {
  std::size_t zero = 0;
  PngText text;
  text.keyword = KeywordOf(data, zero);
  // keyword, 0, method byte, then the zlib stream
  if (data.size() - zero >= 2 && budget > 0) {
    const std::size_t limit = std::min(kMaxTextBytes, budget);
    const std::optional<std::string> inflated = InflateText(data.subspan(zero + 2), limit);
    budget -= inflated ? inflated->size() : limit;
    text.text = inflated.value_or(std::string());
  }
  return text;
}

}  // namespace plendo::preview
