#include "engine/OutputEncoding.h"

#include <stdexcept>

#include "codecs/AvifEncoder.h"
#include "codecs/JxlEncoder.h"
#include "codecs/PngEncoder.h"
#include "codecs/WebpEncoder.h"
#include "engine/OutputFormat.h"

namespace plendo::engine {

std::vector<std::uint8_t> EncodeAs(settings::OutputFormat format, const platform::Bitmap& bitmap, int compress,
                                   const OutputMetadata& metadata) {
  codecs::PhotoEncodeOptions options;
  options.quality = EncoderQuality(format, compress);
  options.lossless = IsLossless(format, compress);
  options.icc_profile = metadata.icc_profile;
  options.exif = metadata.exif;
  options.orientation = metadata.orientation;
  switch (format) {
    case settings::kFormatPng: return codecs::EncodePng(bitmap, options);
    case settings::kFormatWebp: return codecs::EncodeWebp(bitmap, options);
    case settings::kFormatAvif: return codecs::EncodeAvif(bitmap, options);
    case settings::kFormatJxl: return codecs::EncodeJxl(bitmap, options);
    default: throw std::logic_error("JPEG goes through the JPEG encoder");
  }
}

}  // namespace plendo::engine
