#include "imaging/ImageDecoder.h"

#include "imaging/DecodeError.h"
#include "imaging/GifDecoder.h"
#include "imaging/ImageFormat.h"
#include "imaging/JpegDecoder.h"
#include "imaging/PngDecoder.h"
#include "imaging/TiffDecoder.h"
#include "codecs/BmpReader.h"
#include "codecs/HeifReader.h"
#include "codecs/IcoReader.h"
#include "codecs/JxlReader.h"
#include "codecs/Metafile.h"
#include "codecs/WebpReader.h"
#include "platform/FileBytes.h"

namespace plendo::imaging {
namespace {

// A metafile drawn at its natural size over white.
platform::Bitmap DecodeMetafile(std::span<const std::uint8_t> bytes) {
  try {
    const codecs::MetafileSize size = codecs::ReadMetafileSize(bytes);
    platform::Bitmap pixels(size.width, size.height, platform::PixelFormat::Bgr24);
    pixels.Fill(0xFF);
    codecs::DrawMetafile(bytes, pixels, size.width, size.height);
    return pixels;
  } catch (const codecs::MetafileError& e) {
    throw DecodeError(e.Message());
  }
}

// HEIF (and AVIF), WebP and JPEG XL through their libraries.
platform::Bitmap DecodePhoto(ImageFormat format, std::span<const std::uint8_t> bytes) {
  try {
    switch (format) {
      case ImageFormat::Heif: return codecs::DecodeHeif(bytes);
      case ImageFormat::Webp: return codecs::DecodeWebp(bytes);
      default: return codecs::DecodeJxl(bytes);
    }
  } catch (const codecs::HeifError& e) {
    throw DecodeError(e.Message());
  } catch (const codecs::WebpError& e) {
    throw DecodeError(e.Message());
  } catch (const codecs::JxlError& e) {
    throw DecodeError(e.Message());
  }
}

}  // namespace

platform::Bitmap DecodeImage(std::span<const std::uint8_t> bytes) {
  switch (const ImageFormat format = DetectFormat(bytes); format) {
    case ImageFormat::Jpeg: return DecodeJpeg(bytes);
    case ImageFormat::Png: return DecodePng(bytes);
    case ImageFormat::Gif: return DecodeGif(bytes);
    case ImageFormat::Tiff: return DecodeTiff(bytes);
    case ImageFormat::Bmp: return codecs::DecodeBmp(bytes);
    case ImageFormat::Ico: return codecs::DecodeIco(bytes, DecodePng);
    case ImageFormat::Wmf:
    case ImageFormat::Emf: return DecodeMetafile(bytes);
    case ImageFormat::Heif:
    case ImageFormat::Webp:
    case ImageFormat::Jxl: return DecodePhoto(format, bytes);
    case ImageFormat::Unknown: break;
  }
  throw DecodeError("unknown image format");
}

platform::Bitmap DecodeImageFile(const std::filesystem::path& path) {
  const std::vector<std::uint8_t> bytes = platform::ReadFileBytes(path, kMaxSourceFileBytes);
  return DecodeImage(bytes);
}

}  // namespace plendo::imaging
