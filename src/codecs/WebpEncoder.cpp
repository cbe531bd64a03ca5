#include "codecs/WebpEncoder.h"

#include <algorithm>
#include <memory>
#include <new>

#include <webp/encode.h>
#include <webp/mux.h>

#include "platform/CallFree.h"
#include "platform/Language.h"

namespace plendo::codecs {
namespace {

constexpr const char* kEncodeFailed = PLENDO_TEXT("Engine", "WebP に変換できません");

// libwebp hands the coded bytes over piece by piece; they go straight into
// one vector, sized up front so that it seldom grows.
int AppendTo(const std::uint8_t* data, std::size_t size, const WebPPicture* picture) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(picture->custom_ptr);
  try {
    out->insert(out->end(), data, data + size);
  } catch (const std::bad_alloc&) {
    return 0;  // libwebp reports a write error
  }
  return 1;
}

std::vector<std::uint8_t> EncodeImage(const platform::Bitmap& bitmap, const PhotoEncodeOptions& options) {
  WebPConfig config;
  if (!WebPConfigInit(&config)) throw EncodeError(kEncodeFailed);
  config.lossless = options.lossless ? 1 : 0;
  config.quality = static_cast<float>(std::clamp(options.quality, 0, 100));
  config.method = kWebpMethod;
  if (!WebPValidateConfig(&config)) throw EncodeError(kEncodeFailed);

  WebPPicture picture;
  if (!WebPPictureInit(&picture)) throw EncodeError(kEncodeFailed);
  const std::unique_ptr<WebPPicture, platform::CallFree<WebPPictureFree>> picture_owner(&picture);
  picture.use_argb = options.lossless ? 1 : 0;
  picture.width = bitmap.Width();
  picture.height = bitmap.Height();
  const bool alpha = HasTransparency(bitmap);
  int ok = 0;
  if (!alpha && bitmap.Format() == platform::PixelFormat::Bgr24) {
    // The rows as they are: libwebp reads BGR with any stride.
    ok = WebPPictureImportBGR(&picture, bitmap.Row(0), static_cast<int>(bitmap.Stride()));
  } else {
    const std::vector<std::uint8_t> pixels = PackedRgb(bitmap, alpha);
    ok = alpha ? WebPPictureImportRGBA(&picture, pixels.data(), bitmap.Width() * 4)
               : WebPPictureImportRGB(&picture, pixels.data(), bitmap.Width() * 3);
  }
  if (!ok) throw EncodeError(kEncodeFailed);

  std::vector<std::uint8_t> coded;
  // A photo at 1920 takes about a third of a byte a pixel; untouched reserve costs nothing.
  coded.reserve(static_cast<std::size_t>(bitmap.Width()) * static_cast<std::size_t>(bitmap.Height()) / 2);
  picture.writer = AppendTo;
  picture.custom_ptr = &coded;
  if (!WebPEncode(&config, &picture)) throw EncodeError(kEncodeFailed);
  return coded;
}

// Wraps the bare image with its ICCP and EXIF chunks.
std::vector<std::uint8_t> AddChunks(const std::vector<std::uint8_t>& image, const PhotoEncodeOptions& options) {
  const std::unique_ptr<WebPMux, platform::CallFree<WebPMuxDelete>> mux(WebPMuxNew());
  if (!mux) throw EncodeError(kEncodeFailed);
  const WebPData data{image.data(), image.size()};
  if (WebPMuxSetImage(mux.get(), &data, 0) != WEBP_MUX_OK) throw EncodeError(kEncodeFailed);
  if (!options.icc_profile.empty()) {
    const WebPData icc{options.icc_profile.data(), options.icc_profile.size()};
    if (WebPMuxSetChunk(mux.get(), "ICCP", &icc, 0) != WEBP_MUX_OK) throw EncodeError(kEncodeFailed);
  }
  if (!options.exif.empty()) {
    const WebPData exif{options.exif.data(), options.exif.size()};
    if (WebPMuxSetChunk(mux.get(), "EXIF", &exif, 0) != WEBP_MUX_OK) throw EncodeError(kEncodeFailed);
  }
  WebPData assembled;
  WebPDataInit(&assembled);
  if (WebPMuxAssemble(mux.get(), &assembled) != WEBP_MUX_OK) throw EncodeError(kEncodeFailed);
  std::vector<std::uint8_t> out(assembled.bytes, assembled.bytes + assembled.size);
  WebPDataClear(&assembled);
  return out;
}

}  // namespace

std::vector<std::uint8_t> EncodeWebp(const platform::Bitmap& bitmap, const PhotoEncodeOptions& options) {
  if (bitmap.Empty()) return {};
  if (bitmap.Width() > WEBP_MAX_DIMENSION || bitmap.Height() > WEBP_MAX_DIMENSION)
    throw EncodeError(PLENDO_TEXT("Engine", "WebP の大きさの上限 (16383) を超えています"));
  std::vector<std::uint8_t> image = EncodeImage(bitmap, options);
  if (options.icc_profile.empty() && options.exif.empty()) return image;
  return AddChunks(image, options);
}

}  // namespace plendo::codecs
