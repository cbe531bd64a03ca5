#include "preview/PhotoImage.h"

#include "codecs/HeifReader.h"
#include "codecs/JxlReader.h"
#include "codecs/WebpReader.h"
#include "preview/StreamBytes.h"

namespace plendo::preview {
namespace {

platform::Bitmap Decode(const std::vector<std::uint8_t>& bytes) {
  if (codecs::LooksLikeHeif(bytes)) return codecs::DecodeHeif(bytes);
  if (codecs::LooksLikeWebp(bytes)) return codecs::DecodeWebp(bytes);
  if (codecs::LooksLikeJxl(bytes)) return codecs::DecodeJxl(bytes);
  throw EInvalidGraphic("HEIF、AVIF、WebP、JPEG XL のいずれでもありません");
}

}  // namespace

void TPhotoImage::LoadFromStream(std::istream& stream) {
  bitmap_ = Decode(ReadRemaining(stream));
  Changed();
}

void RegisterPhotoFormats(TFileFormatsList& formats) {
  formats.RegisterFileFormat("heic", "HEIF イメージファイル", GraphicClassOf<TPhotoImage>);
  formats.RegisterFileFormat("heif", "HEIF イメージファイル", GraphicClassOf<TPhotoImage>);
  formats.RegisterFileFormat("avif", "AVIF イメージファイル", GraphicClassOf<TPhotoImage>);
  formats.RegisterFileFormat("webp", "WebP イメージファイル", GraphicClassOf<TPhotoImage>);
  formats.RegisterFileFormat("jxl", "JPEG XL イメージファイル", GraphicClassOf<TPhotoImage>);
}

}  // namespace plendo::preview
