#include "imaging/ImageDecoder.h"

#include "imaging/DecodeError.h"
#include "imaging/GifDecoder.h"
#include "imaging/ImageFormat.h"
#include "imaging/JpegDecoder.h"
#include "imaging/PngDecoder.h"
#include "imaging/TiffDecoder.h"
#include "codecs/BmpReader.h"
#include "platform/FileBytes.h"
#include "codecs/IcoReader.h"

namespace plendo::imaging {

platform::Bitmap DecodeImage(std::span<const std::uint8_t> bytes) {
  switch (DetectFormat(bytes)) {
    case ImageFormat::Jpeg: return DecodeJpeg(bytes);
    case ImageFormat::Png: return DecodePng(bytes);
    case ImageFormat::Gif: return DecodeGif(bytes);
    case ImageFormat::Tiff: return DecodeTiff(bytes);
    case ImageFormat::Bmp: return codecs::DecodeBmp(bytes);
    case ImageFormat::Ico: return codecs::DecodeIco(bytes, DecodePng);
    case ImageFormat::Wmf:
    case ImageFormat::Emf: throw DecodeError("metafiles are not decoded");
    case ImageFormat::Unknown: break;
  }
  throw DecodeError("unknown image format");
}

platform::Bitmap DecodeImageFile(const std::filesystem::path& path) {
  const std::vector<std::uint8_t> bytes = platform::ReadFileBytes(path, kMaxSourceFileBytes);
  return DecodeImage(bytes);
}

}  // namespace plendo::imaging
