#include "codecs/JxlReader.h"

#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include <jxl/decode.h>

#include "codecs/PhotoPixels.h"
#include "platform/BitmapError.h"

namespace plendo::codecs {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

struct DecoderDestroy {
  void operator()(JxlDecoder* d) const { JxlDecoderDestroy(d); }
};

[[noreturn]] void Fail(const char* why) { throw JxlError(std::string("JPEG XL: ") + why); }

// The displayed size: orientations 5 to 8 turn the picture a quarter.
std::pair<std::uint32_t, std::uint32_t> DisplayedSize(const JxlBasicInfo& info) {
  if (info.orientation >= JXL_ORIENT_TRANSPOSE) return {info.ysize, info.xsize};
  return {info.xsize, info.ysize};
}

Bitmap SizedFor(const JxlBasicInfo& info) {
  const auto [width, height] = DisplayedSize(info);
  if (width == 0 || height == 0) Fail("no size");
  if (width > 0x7FFFFFFF || height > 0x7FFFFFFF) throw platform::BitmapTooLarge();
  return Bitmap(static_cast<int>(width), static_cast<int>(height),
                info.alpha_bits > 0 ? PixelFormat::Bgra32 : PixelFormat::Bgr24);
}

// A lossy (XYB) image may be turned into any colour space on output: sRGB,
// as every other source is taken to be. An image kept in its own space
// refuses the request, which is fine.
void PreferSrgb(JxlDecoder* decoder, const JxlBasicInfo& info) {
  if (info.uses_original_profile) return;
  JxlColorEncoding srgb{};
  srgb.color_space = info.num_color_channels == 1 ? JXL_COLOR_SPACE_GRAY : JXL_COLOR_SPACE_RGB;
  srgb.white_point = JXL_WHITE_POINT_D65;
  srgb.primaries = JXL_PRIMARIES_SRGB;
  srgb.transfer_function = JXL_TRANSFER_FUNCTION_SRGB;
  srgb.rendering_intent = JXL_RENDERING_INTENT_PERCEPTUAL;
  JxlDecoderSetPreferredColorProfile(decoder, &srgb);
}

// libjxl writes R, G, B (A) rows straight into the bitmap, which are then
// put in its order in place.
void SetOutput(JxlDecoder* decoder, Bitmap& out) {
  const JxlPixelFormat format{out.Format() == PixelFormat::Bgra32 ? 4u : 3u, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN,
                              out.Stride()};
  std::size_t needed = 0;
  if (JxlDecoderImageOutBufferSize(decoder, &format, &needed) != JXL_DEC_SUCCESS) Fail("no output format");
  const std::size_t have = out.Stride() * static_cast<std::size_t>(out.Height());
  if (needed > have) Fail("frame larger than the image");
  if (JxlDecoderSetImageOutBuffer(decoder, &format, out.Row(0), have) != JXL_DEC_SUCCESS) Fail("no output buffer");
}

void ToBitmapOrder(Bitmap& out) {
  const int channels = out.Format() == PixelFormat::Bgra32 ? 4 : 3;
  for (int y = 0; y < out.Height(); ++y) StoreRgbRow(out.Row(y), channels, out.Width(), out.Row(y));
}

}  // namespace

bool LooksLikeJxl(std::span<const std::uint8_t> bytes) {
  static constexpr std::uint8_t kContainer[] = {0, 0, 0, 0x0C, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A};
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0x0A) return true;
  return bytes.size() >= sizeof kContainer && std::memcmp(bytes.data(), kContainer, sizeof kContainer) == 0;
}

Bitmap DecodeJxl(std::span<const std::uint8_t> bytes) {
  const std::unique_ptr<JxlDecoder, DecoderDestroy> owner(JxlDecoderCreate(nullptr));
  JxlDecoder* decoder = owner.get();
  if (!decoder) throw std::bad_alloc();
  if (JxlDecoderSubscribeEvents(decoder, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE) !=
          JXL_DEC_SUCCESS ||
      JxlDecoderSetUnpremultiplyAlpha(decoder, JXL_TRUE) != JXL_DEC_SUCCESS ||
      JxlDecoderSetInput(decoder, bytes.data(), bytes.size()) != JXL_DEC_SUCCESS)
    Fail("cannot start");
  JxlDecoderCloseInput(decoder);

  JxlBasicInfo info{};
  std::optional<Bitmap> out;
  for (;;) {
    switch (JxlDecoderProcessInput(decoder)) {
      case JXL_DEC_BASIC_INFO:
        if (JxlDecoderGetBasicInfo(decoder, &info) != JXL_DEC_SUCCESS) Fail("damaged header");
        out.emplace(SizedFor(info));  // the pixel limit, before any frame
        break;
      case JXL_DEC_COLOR_ENCODING:
        PreferSrgb(decoder, info);
        break;
      case JXL_DEC_NEED_IMAGE_OUT_BUFFER:
        if (!out) Fail("no header");
        SetOutput(decoder, *out);
        break;
      case JXL_DEC_FULL_IMAGE:
        if (!out) Fail("no header");
        ToBitmapOrder(*out);
        return std::move(*out);  // the first frame; the rest is not read
      case JXL_DEC_NEED_MORE_INPUT:
        Fail("data cut off");
      case JXL_DEC_SUCCESS:
        Fail("no frame");
      default:
        Fail("damaged data");
    }
  }
}

}  // namespace plendo::codecs
