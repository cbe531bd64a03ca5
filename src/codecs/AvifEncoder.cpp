#include "codecs/AvifEncoder.h"

#include <algorithm>
#include <memory>

#include <avif/avif.h>

#include "platform/CallFree.h"
#include "platform/Language.h"

namespace plendo::codecs {
namespace {

constexpr const char* kEncodeFailed = PLENDO_TEXT("Engine", "AVIF に変換できません");

int Quantizer(int quality) {
  const int q = std::clamp(quality, 0, 100);
  return ((100 - q) * AVIF_QUANTIZER_WORST_QUALITY + 50) / 100;
}

void Check(avifResult result) {
  if (result != AVIF_RESULT_OK) throw EncodeError(std::string(kEncodeFailed) + " (" + avifResultToString(result) + ")");
}

}  // namespace

std::vector<std::uint8_t> EncodeAvif(const platform::Bitmap& bitmap, const PhotoEncodeOptions& options) {
  if (bitmap.Empty()) return {};
  const std::unique_ptr<avifImage, platform::CallFree<avifImageDestroy>> image(
      avifImageCreate(static_cast<std::uint32_t>(bitmap.Width()), static_cast<std::uint32_t>(bitmap.Height()), 8,
                      AVIF_PIXEL_FORMAT_YUV420));
  if (!image) throw EncodeError(kEncodeFailed);
  image->yuvRange = AVIF_RANGE_FULL;
  image->matrixCoefficients = AVIF_MATRIX_COEFFICIENTS_BT601;
  if (options.icc_profile.empty()) {
    image->colorPrimaries = AVIF_COLOR_PRIMARIES_BT709;
    image->transferCharacteristics = AVIF_TRANSFER_CHARACTERISTICS_SRGB;
  } else {
    avifImageSetProfileICC(image.get(), options.icc_profile.data(), options.icc_profile.size());
  }
  if (!options.exif.empty()) avifImageSetMetadataExif(image.get(), options.exif.data(), options.exif.size());

  const bool alpha = HasTransparency(bitmap);
  std::vector<std::uint8_t> pixels = PackedRgb(bitmap, alpha);
  avifRGBImage rgb;
  avifRGBImageSetDefaults(&rgb, image.get());
  rgb.format = alpha ? AVIF_RGB_FORMAT_RGBA : AVIF_RGB_FORMAT_RGB;
  rgb.pixels = pixels.data();
  rgb.rowBytes = static_cast<std::uint32_t>(bitmap.Width()) * (alpha ? 4 : 3);
  Check(avifImageRGBToYUV(image.get(), &rgb));

  const std::unique_ptr<avifEncoder, platform::CallFree<avifEncoderDestroy>> encoder(avifEncoderCreate());
  if (!encoder) throw EncodeError(kEncodeFailed);
  encoder->codecChoice = AVIF_CODEC_CHOICE_AOM;
  encoder->maxThreads = 1;  // the batch already runs one file per core
  encoder->speed = kAvifSpeed;
  encoder->minQuantizer = encoder->maxQuantizer = Quantizer(options.quality);
  encoder->minQuantizerAlpha = encoder->maxQuantizerAlpha = Quantizer(options.quality);
  avifRWData output = AVIF_DATA_EMPTY;
  const std::unique_ptr<avifRWData, platform::CallFree<avifRWDataFree>> output_owner(&output);
  Check(avifEncoderWrite(encoder.get(), image.get(), &output));
  return std::vector<std::uint8_t>(output.data, output.data + output.size);
}

}  // namespace plendo::codecs
