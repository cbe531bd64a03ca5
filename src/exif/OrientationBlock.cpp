#include "exif/OrientationBlock.h"

#include <cstring>
#include <stdexcept>

#include "codecs/JpegSegments.h"

namespace plendo::exif {
namespace {

constexpr std::uint16_t kTagOrientation = 0x0112;
constexpr std::uint16_t kTypeShort = 3;
constexpr std::uint8_t kExifIdentifier[] = {'E', 'x', 'i', 'f', 0, 0};

struct Tiff {
  std::span<const std::uint8_t> data;
  bool little = true;

  bool Has(std::size_t at, std::size_t length) const { return at <= data.size() && length <= data.size() - at; }
  std::uint16_t Word(std::size_t at) const {
    return little ? static_cast<std::uint16_t>(data[at] | data[at + 1] << 8)
                  : static_cast<std::uint16_t>(data[at] << 8 | data[at + 1]);
  }
  std::uint32_t DWord(std::size_t at) const {
    return little ? std::uint32_t{Word(at)} | std::uint32_t{Word(at + 2)} << 16
                  : std::uint32_t{Word(at)} << 16 | std::uint32_t{Word(at + 2)};
  }
};

// The TIFF data of the first APP1 "Exif" segment before the scan; empty when
// there is none.
std::span<const std::uint8_t> ExifTiffData(std::span<const std::uint8_t> jpeg) {
  std::span<const std::uint8_t> tiff;
  codecs::ForEachHeaderSegment(jpeg, [&](std::uint8_t marker, std::span<const std::uint8_t> body) {
    if (marker != 0xE1 || body.size() <= sizeof kExifIdentifier ||
        std::memcmp(body.data(), kExifIdentifier, sizeof kExifIdentifier) != 0)
      return true;
    tiff = body.subspan(sizeof kExifIdentifier);
    return false;
  });
  return tiff;
}

}  // namespace

int ReadJpegOrientation(std::span<const std::uint8_t> jpeg) {
  Tiff tiff{ExifTiffData(jpeg)};
  if (!tiff.Has(0, 8)) return 0;
  if (tiff.data[0] == 'M' && tiff.data[1] == 'M') tiff.little = false;
  else if (tiff.data[0] != 'I' || tiff.data[1] != 'I') return 0;
  const std::size_t ifd = tiff.DWord(4);
  if (!tiff.Has(ifd, 2)) return 0;
  const std::size_t count = tiff.Word(ifd);
  for (std::size_t i = 0; i < count && tiff.Has(ifd + 2 + 12 * i, 12); ++i) {
    const std::size_t entry = ifd + 2 + 12 * i;
    if (tiff.Word(entry) != kTagOrientation) continue;
    if (tiff.Word(entry + 2) != kTypeShort || tiff.DWord(entry + 4) < 1) return 0;
    const int value = tiff.Word(entry + 8);
    return value >= 1 && value <= 8 ? value : 0;
  }
  return 0;
}

std::vector<std::uint8_t> OrientationTiff(int orientation) {
  if (orientation < 1 || orientation > 8) throw std::invalid_argument("orientation must be 1 to 8");
  // Big-endian TIFF: header, IFD0 at 8 with one entry, no next IFD.
  const std::uint8_t o = static_cast<std::uint8_t>(orientation);
  return {
      'M', 'M', 0x00, 0x2A, 0, 0, 0, 8,        // TIFF header
      0x00, 0x01,                              // one entry
      0x01, 0x12, 0x00, 0x03, 0, 0, 0, 1,      // Orientation, SHORT, 1 value
      0x00, o, 0, 0,                           //
      0, 0, 0, 0,                              // no next IFD
  };
}

std::vector<std::uint8_t> InsertOrientationBlock(std::span<const std::uint8_t> jpeg, int orientation) {
  if (jpeg.size() < 2 || jpeg[0] != 0xFF || jpeg[1] != 0xD8 || orientation < 1 || orientation > 8)
    throw std::invalid_argument("orientation block needs a JPEG stream and a value of 1 to 8");
  const std::vector<std::uint8_t> tiff = OrientationTiff(orientation);
  const std::uint8_t head[] = {0xFF, 0xE1, 0x00, static_cast<std::uint8_t>(2 + 6 + tiff.size()), 'E', 'x', 'i', 'f', 0, 0};
  std::vector<std::uint8_t> out;
  out.reserve(jpeg.size() + sizeof head + tiff.size());
  out.insert(out.end(), jpeg.begin(), jpeg.begin() + 2);
  out.insert(out.end(), std::begin(head), std::end(head));
  out.insert(out.end(), tiff.begin(), tiff.end());
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

}  // namespace plendo::exif
