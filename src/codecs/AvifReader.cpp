#include "codecs/AvifReader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include <avif/avif.h>

#include "codecs/HdrToSdr.h"
#include "codecs/HeifReader.h"
#include "codecs/PhotoPixels.h"
#include "platform/BitmapError.h"
#include "platform/CallFree.h"

namespace plendo::codecs {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

// RGB pixels that libavif allocates; freed with the holder.
struct RgbPixels {
  avifRGBImage rgb{};
  RgbPixels() = default;
  RgbPixels(const RgbPixels&) = delete;
  RgbPixels& operator=(const RgbPixels&) = delete;
  ~RgbPixels() { avifRGBImageFreePixels(&rgb); }
};

void Check(avifResult result, const char* step) {
  if (result != AVIF_RESULT_OK) throw HeifError(std::string("AVIF: ") + step + ": " + avifResultToString(result));
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

CodedColour CodingOf(const avifImage* image) {
  float xy[8];
  avifColorPrimariesGetValues(image->colorPrimaries, xy);
  return CodedColour{xy[0], xy[1], xy[2], xy[3], xy[4], xy[5], xy[6], xy[7], image->transferCharacteristics};
}

// 16-bit RGB(A) from libavif, tone-mapped.
Bitmap ToneMapped(const avifRGBImage& rgb, bool alpha, const CodedColour& coding) {
  const int channels = alpha ? 4 : 3;
  return HdrToSdr(reinterpret_cast<const std::uint16_t*>(rgb.pixels), static_cast<int>(rgb.width),
                  static_cast<int>(rgb.height), channels, rgb.rowBytes / 2, coding);
}

Bitmap Stored(const avifRGBImage& rgb, bool alpha) {
  const int channels = alpha ? 4 : 3;
  Bitmap out(static_cast<int>(rgb.width), static_cast<int>(rgb.height), alpha ? PixelFormat::Bgra32 : PixelFormat::Bgr24);
  for (int y = 0; y < out.Height(); ++y) {
    const std::uint8_t* row = rgb.pixels + static_cast<std::size_t>(y) * rgb.rowBytes;
    if (rgb.depth > 8)
      StoreDeepRgbRow(row, channels, out.Width(), static_cast<int>(rgb.depth), out.Row(y));
    else
      StoreRgbRow(row, channels, out.Width(), out.Row(y));
  }
  return out;
}

}  // namespace

bool NamesAvif(std::span<const std::uint8_t> bytes) {
  // size (4, big-endian), "ftyp", major brand, minor version, compatible brands.
  if (bytes.size() < 16 || std::memcmp(bytes.data() + 4, "ftyp", 4) != 0) return false;
  const std::size_t end = std::min<std::size_t>(BigEndian32(bytes.data()), bytes.size());
  const auto avif = [&](std::size_t at) {
    return std::memcmp(bytes.data() + at, "avif", 4) == 0 || std::memcmp(bytes.data() + at, "avis", 4) == 0;
  };
  if (end < 16) return false;
  if (avif(8)) return true;
  for (std::size_t at = 16; at + 4 <= end; at += 4)
    if (avif(at)) return true;
  return false;
}

Bitmap DecodeAvif(std::span<const std::uint8_t> bytes) {
  const std::unique_ptr<avifDecoder, platform::CallFree<avifDecoderDestroy>> decoder(avifDecoderCreate());
  if (!decoder) throw std::bad_alloc();
  decoder->imageSizeLimit = static_cast<std::uint32_t>(std::min<std::size_t>(Bitmap::kMaxBytes / 4, AVIF_DEFAULT_IMAGE_SIZE_LIMIT));
  decoder->strictFlags = AVIF_STRICT_DISABLED;
  decoder->ignoreExif = AVIF_TRUE;
  decoder->ignoreXMP = AVIF_TRUE;
  Check(avifDecoderSetIOMemory(decoder.get(), bytes.data(), bytes.size()), "damaged boxes");
  const avifResult parsed = avifDecoderParse(decoder.get());
  if (parsed == AVIF_RESULT_NOT_IMPLEMENTED || parsed == AVIF_RESULT_OUT_OF_MEMORY) throw std::bad_alloc();
  Check(parsed, "damaged boxes");
  const avifImage* header = decoder->image;
  if (header->width == 0 || header->height == 0) throw HeifError("AVIF: no size");
  if (std::size_t{header->width} * header->height > Bitmap::kMaxBytes / 4) throw platform::BitmapTooLarge();
  Check(avifDecoderNextImage(decoder.get()), "damaged image data");

  const avifImage* image = decoder->image;
  const bool alpha = image->alphaPlane != nullptr;
  const CodedColour coding = CodingOf(image);
  const bool hdr = IsHdrTransfer(coding.transfer);
  RgbPixels pixels;
  avifRGBImageSetDefaults(&pixels.rgb, image);
  pixels.rgb.format = alpha ? AVIF_RGB_FORMAT_RGBA : AVIF_RGB_FORMAT_RGB;
  pixels.rgb.depth = hdr ? 16 : (image->depth > 8 ? 16 : 8);
  avifRGBImageAllocatePixels(&pixels.rgb);
  if (!pixels.rgb.pixels) throw std::bad_alloc();
  Check(avifImageYUVToRGB(image, &pixels.rgb), "colour conversion");
  if (hdr) return ToneMapped(pixels.rgb, alpha, coding);
  return Stored(pixels.rgb, alpha);
}

}  // namespace plendo::codecs
