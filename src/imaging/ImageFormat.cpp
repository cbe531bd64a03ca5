#include "imaging/ImageFormat.h"

#include <cstring>

#include "codecs/HeifReader.h"
#include "codecs/IcoReader.h"
#include "codecs/JxlReader.h"
#include "codecs/WebpReader.h"

namespace plendo::imaging {
namespace {

bool StartsWith(std::span<const std::uint8_t> bytes, std::size_t at, const void* magic, std::size_t size) {
  return bytes.size() >= at + size && std::memcmp(bytes.data() + at, magic, size) == 0;
}

}  // namespace

ImageFormat DetectFormat(std::span<const std::uint8_t> bytes) {
  static constexpr std::uint8_t kJpeg[] = {0xFF, 0xD8, 0xFF};
  static constexpr std::uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  static constexpr std::uint8_t kTiffLittle[] = {'I', 'I', 42, 0};
  static constexpr std::uint8_t kTiffBig[] = {'M', 'M', 0, 42};
  static constexpr std::uint8_t kBigTiffLittle[] = {'I', 'I', 43, 0};
  static constexpr std::uint8_t kBigTiffBig[] = {'M', 'M', 0, 43};
  static constexpr std::uint8_t kPlaceableWmf[] = {0xD7, 0xCD, 0xC6, 0x9A};
  static constexpr std::uint8_t kWmfMemory[] = {0x01, 0x00, 0x09, 0x00};
  static constexpr std::uint8_t kWmfDisk[] = {0x02, 0x00, 0x09, 0x00};
  static constexpr std::uint8_t kEmfRecord[] = {0x01, 0x00, 0x00, 0x00};

  if (StartsWith(bytes, 0, kJpeg, sizeof kJpeg)) return ImageFormat::Jpeg;
  if (StartsWith(bytes, 0, kPng, sizeof kPng)) return ImageFormat::Png;
  if (StartsWith(bytes, 0, "GIF87a", 6) || StartsWith(bytes, 0, "GIF89a", 6)) return ImageFormat::Gif;
  if (StartsWith(bytes, 0, kTiffLittle, 4) || StartsWith(bytes, 0, kTiffBig, 4) ||
      StartsWith(bytes, 0, kBigTiffLittle, 4) || StartsWith(bytes, 0, kBigTiffBig, 4))
    return ImageFormat::Tiff;
  if (codecs::LooksLikeHeif(bytes)) return ImageFormat::Heif;
  if (codecs::LooksLikeWebp(bytes)) return ImageFormat::Webp;
  if (codecs::LooksLikeJxl(bytes)) return ImageFormat::Jxl;
  if (StartsWith(bytes, 0, "BM", 2)) return ImageFormat::Bmp;
  // EMF: the header record (type 1) carries " EMF" at byte 40.
  if (StartsWith(bytes, 0, kEmfRecord, 4) && StartsWith(bytes, 40, " EMF", 4)) return ImageFormat::Emf;
  if (StartsWith(bytes, 0, kPlaceableWmf, 4) || StartsWith(bytes, 0, kWmfMemory, 4) ||
      StartsWith(bytes, 0, kWmfDisk, 4))
    return ImageFormat::Wmf;
  if (codecs::LooksLikeIco(bytes)) return ImageFormat::Ico;
  return ImageFormat::Unknown;
}

}  // namespace plendo::imaging
