#include "codecs/JxlEncoder.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include <jxl/encode.h>

#include "platform/CallFree.h"
#include "platform/Language.h"

namespace plendo::codecs {
namespace {

constexpr const char* kEncodeFailed = PLENDO_TEXT("Engine", "JPEG XL に変換できません");

void Check(JxlEncoderStatus status) {
  if (status != JXL_ENC_SUCCESS) throw EncodeError(kEncodeFailed);
}

float Distance(int quality) {
  const double q = std::clamp(quality, 0, 100);
  const double d = q >= 30 ? 0.1 + (100 - q) * 0.09 : 6.4 + std::pow(2.5, (30 - q) / 5.0) / 6.25;
  return static_cast<float>(std::min(d, 25.0));
}

// The Exif box holds a 4-byte offset to the TIFF header, then the block.
std::vector<std::uint8_t> ExifBox(std::span<const std::uint8_t> tiff) {
  std::vector<std::uint8_t> box(4, 0);
  box.insert(box.end(), tiff.begin(), tiff.end());
  return box;
}

std::vector<std::uint8_t> Drain(JxlEncoder* encoder) {
  std::vector<std::uint8_t> out(64 * 1024);
  std::uint8_t* next = out.data();
  std::size_t avail = out.size();
  for (;;) {
    const JxlEncoderStatus status = JxlEncoderProcessOutput(encoder, &next, &avail);
    if (status == JXL_ENC_SUCCESS) break;
    if (status != JXL_ENC_NEED_MORE_OUTPUT) throw EncodeError(kEncodeFailed);
    const std::size_t used = static_cast<std::size_t>(next - out.data());
    out.resize(out.size() * 2);
    next = out.data() + used;
    avail = out.size() - used;
  }
  out.resize(static_cast<std::size_t>(next - out.data()));
  return out;
}

}  // namespace

std::vector<std::uint8_t> EncodeJxl(const platform::Bitmap& bitmap, const PhotoEncodeOptions& options) {
  if (bitmap.Empty()) return {};
  const std::unique_ptr<JxlEncoder, platform::CallFree<JxlEncoderDestroy>> owner(JxlEncoderCreate(nullptr));
  JxlEncoder* encoder = owner.get();
  if (!encoder) throw EncodeError(kEncodeFailed);
  const bool alpha = HasTransparency(bitmap);
  const std::vector<std::uint8_t> exif_box = options.exif.empty() ? std::vector<std::uint8_t>() : ExifBox(options.exif);
  if (!exif_box.empty()) Check(JxlEncoderUseBoxes(encoder));

  JxlBasicInfo info;
  JxlEncoderInitBasicInfo(&info);
  info.xsize = static_cast<std::uint32_t>(bitmap.Width());
  info.ysize = static_cast<std::uint32_t>(bitmap.Height());
  info.bits_per_sample = 8;
  info.num_color_channels = 3;
  if (alpha) {
    info.alpha_bits = 8;
    info.num_extra_channels = 1;
  }
  info.uses_original_profile = options.lossless ? JXL_TRUE : JXL_FALSE;
  info.orientation = static_cast<JxlOrientation>(std::clamp(options.orientation, 1, 8));
  Check(JxlEncoderSetBasicInfo(encoder, &info));
  if (options.icc_profile.empty()) {
    JxlColorEncoding srgb;
    JxlColorEncodingSetToSRGB(&srgb, JXL_FALSE);
    Check(JxlEncoderSetColorEncoding(encoder, &srgb));
  } else {
    Check(JxlEncoderSetICCProfile(encoder, options.icc_profile.data(), options.icc_profile.size()));
  }

  JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder, nullptr);
  if (!settings) throw EncodeError(kEncodeFailed);
  Check(JxlEncoderFrameSettingsSetOption(settings, JXL_ENC_FRAME_SETTING_EFFORT, kJxlEffort));
  if (options.lossless)
    Check(JxlEncoderSetFrameLossless(settings, JXL_TRUE));
  else
    Check(JxlEncoderSetFrameDistance(settings, Distance(options.quality)));
  if (!exif_box.empty()) {
    Check(JxlEncoderAddBox(encoder, "Exif", exif_box.data(), exif_box.size(), JXL_FALSE));
    JxlEncoderCloseBoxes(encoder);
  }

  const std::vector<std::uint8_t> pixels = PackedRgb(bitmap, alpha);
  const JxlPixelFormat format{alpha ? 4u : 3u, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
  Check(JxlEncoderAddImageFrame(settings, &format, pixels.data(), pixels.size()));
  JxlEncoderCloseInput(encoder);
  return Drain(encoder);
}

}  // namespace plendo::codecs
