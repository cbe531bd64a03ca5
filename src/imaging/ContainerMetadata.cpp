#include "imaging/ContainerMetadata.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "codecs/HeifReader.h"
#include "codecs/JxlReader.h"
#include "codecs/WebpReader.h"
#include "imaging/CodedColourProfile.h"
#include "imaging/ImageFormat.h"

namespace plendo::imaging {
namespace {

constexpr std::uint16_t kTagOrientation = 0x0112;
constexpr std::uint16_t kTypeShort = 3;
// The segment length counts itself (2 bytes) and "Exif" 00 00 (6 bytes).
constexpr std::size_t kMaxTiffInSegment = 0xFFFF - 2 - 6;

// Reads and writes inside a TIFF block in its own byte order; every access
// is checked against the block's end.
class TiffBytes {
 public:
  explicit TiffBytes(std::vector<std::uint8_t>& tiff) : b_(tiff), big_(tiff.size() >= 2 && tiff[0] == 'M') {}
  bool Has(std::size_t at, std::size_t n) const { return at <= b_.size() && n <= b_.size() - at; }
  std::uint16_t Word(std::size_t at) const {
    return big_ ? static_cast<std::uint16_t>(b_[at] << 8 | b_[at + 1])
                : static_cast<std::uint16_t>(b_[at + 1] << 8 | b_[at]);
  }
  std::uint32_t Long(std::size_t at) const {
    return big_ ? static_cast<std::uint32_t>(Word(at)) << 16 | Word(at + 2)
                : static_cast<std::uint32_t>(Word(at + 2)) << 16 | Word(at);
  }
  void SetWord(std::size_t at, std::uint16_t v) {
    b_[at + (big_ ? 1 : 0)] = static_cast<std::uint8_t>(v);
    b_[at + (big_ ? 0 : 1)] = static_cast<std::uint8_t>(v >> 8);
  }

 private:
  std::vector<std::uint8_t>& b_;
  bool big_;
};

// IFD0: entry count (2), then 12-byte entries: tag (2), type (2), count (4),
// value or offset (4; a single SHORT sits in its first two bytes).
void SetOrientationUpright(std::vector<std::uint8_t>& tiff) {
  TiffBytes t(tiff);
  if (!t.Has(0, 8)) return;
  const std::size_t ifd = t.Long(4);
  if (!t.Has(ifd, 2)) return;
  const std::size_t count = t.Word(ifd);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = ifd + 2 + 12 * i;
    if (!t.Has(entry, 12)) return;
    if (t.Word(entry) == kTagOrientation && t.Word(entry + 2) == kTypeShort && t.Long(entry + 4) == 1)
      t.SetWord(entry + 8, 1);
  }
}

std::vector<std::uint8_t> AsJpegStream(const std::vector<std::uint8_t>& tiff) {
  const std::size_t length = 2 + 6 + tiff.size();
  const std::uint8_t head[] = {0xFF, 0xD8, 0xFF, 0xE1, static_cast<std::uint8_t>(length >> 8),
                               static_cast<std::uint8_t>(length), 'E', 'x', 'i', 'f', 0, 0};
  std::vector<std::uint8_t> jpeg(sizeof head + tiff.size() + 2);
  std::copy(std::begin(head), std::end(head), jpeg.begin());
  std::copy(tiff.begin(), tiff.end(), jpeg.begin() + sizeof head);
  jpeg[jpeg.size() - 2] = 0xFF;
  jpeg.back() = 0xD9;
  return jpeg;
}

}  // namespace

std::vector<std::uint8_t> ContainerExifAsJpeg(std::span<const std::uint8_t> source) {
  std::vector<std::uint8_t> tiff;
  switch (DetectFormat(source)) {
    case ImageFormat::Heif:
      tiff = codecs::ReadHeifExif(source);
      SetOrientationUpright(tiff);
      break;
    case ImageFormat::Jxl:
      tiff = codecs::ReadJxlExif(source);
      SetOrientationUpright(tiff);
      break;
    case ImageFormat::Webp: tiff = codecs::ReadWebpExif(source); break;
    default: return {};
  }
  if (tiff.empty() || tiff.size() > kMaxTiffInSegment) return {};
  return AsJpegStream(tiff);
}

std::vector<std::uint8_t> ContainerIccProfile(std::span<const std::uint8_t> source) {
  switch (DetectFormat(source)) {
    case ImageFormat::Heif: {
      std::vector<std::uint8_t> profile = codecs::ReadHeifIccProfile(source);
      if (profile.empty())
        if (const std::optional<codecs::CodedColour> coded = codecs::ReadHeifCodedColour(source))
          profile = ProfileForCodedColour(*coded);
      return profile;
    }
    case ImageFormat::Webp: return codecs::ReadWebpIccProfile(source);
    case ImageFormat::Jxl: return codecs::ReadJxlIccProfile(source);
    default: return {};
  }
}

}  // namespace plendo::imaging
