#include "codecs/JxlReader.h"

#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>
#include <utility>

#include <jxl/decode.h>

#include "codecs/HdrToSdr.h"
#include "codecs/PhotoPixels.h"
#include "platform/BitmapError.h"
#include "platform/CallFree.h"

namespace plendo::codecs {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

using Decoder = std::unique_ptr<JxlDecoder, platform::CallFree<JxlDecoderDestroy>>;

// Far more than any real EXIF block or colour profile; only a hostile box
// length is refused.
constexpr std::size_t kMaxMetadataBytes = std::size_t{16} << 20;

[[noreturn]] void Fail(const char* why) { throw JxlError(std::string("JPEG XL: ") + why); }

// A decoder over the whole of `bytes` reporting `events`; null when libjxl
// will not start.
Decoder StartDecoder(std::span<const std::uint8_t> bytes, int events) {
  Decoder decoder(JxlDecoderCreate(nullptr));
  if (!decoder) throw std::bad_alloc();
  if (JxlDecoderSubscribeEvents(decoder.get(), events) != JXL_DEC_SUCCESS ||
      JxlDecoderSetInput(decoder.get(), bytes.data(), bytes.size()) != JXL_DEC_SUCCESS)
    return nullptr;
  JxlDecoderCloseInput(decoder.get());
  return decoder;
}

bool IsSrgb(const JxlColorEncoding& c) {
  return c.color_space == JXL_COLOR_SPACE_RGB && c.white_point == JXL_WHITE_POINT_D65 &&
         c.primaries == JXL_PRIMARIES_SRGB && c.transfer_function == JXL_TRANSFER_FUNCTION_SRGB;
}

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

// The coded colour of a PQ or HLG encoding, for the tone mapping.
std::optional<CodedColour> HdrCoding(const JxlColorEncoding& c) {
  if (c.color_space == JXL_COLOR_SPACE_XYB || c.color_space == JXL_COLOR_SPACE_UNKNOWN) return {};
  int transfer = 0;
  if (c.transfer_function == JXL_TRANSFER_FUNCTION_PQ) transfer = kTransferPq;
  else if (c.transfer_function == JXL_TRANSFER_FUNCTION_HLG) transfer = kTransferHlg;
  else return {};
  CodedColour coded{0.708, 0.292, 0.170, 0.797, 0.131, 0.046, 0.3127, 0.3290, transfer};  // BT.2020, D65
  if (c.primaries == JXL_PRIMARIES_SRGB)
    coded.red_x = 0.64, coded.red_y = 0.33, coded.green_x = 0.30, coded.green_y = 0.60, coded.blue_x = 0.15,
    coded.blue_y = 0.06;
  else if (c.primaries == JXL_PRIMARIES_P3)
    coded.red_x = 0.680, coded.red_y = 0.320, coded.green_x = 0.265, coded.green_y = 0.690, coded.blue_x = 0.150,
    coded.blue_y = 0.060;
  else if (c.primaries == JXL_PRIMARIES_CUSTOM)
    coded.red_x = c.primaries_red_xy[0], coded.red_y = c.primaries_red_xy[1], coded.green_x = c.primaries_green_xy[0],
    coded.green_y = c.primaries_green_xy[1], coded.blue_x = c.primaries_blue_xy[0], coded.blue_y = c.primaries_blue_xy[1];
  if (c.white_point == JXL_WHITE_POINT_DCI) coded.white_x = 0.314, coded.white_y = 0.351;
  else if (c.white_point == JXL_WHITE_POINT_E) coded.white_x = coded.white_y = 1.0 / 3;
  else if (c.white_point == JXL_WHITE_POINT_CUSTOM) coded.white_x = c.white_point_xy[0], coded.white_y = c.white_point_xy[1];
  return coded;
}

// The encoding the decoded pixels come in, when it is PQ or HLG.
std::optional<CodedColour> HdrData(const JxlDecoder* decoder) {
  JxlColorEncoding data{};
  if (JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &data) != JXL_DEC_SUCCESS)
    return {};
  return HdrCoding(data);
}

// A PQ or HLG picture is decoded to 16-bit samples in its own encoding and
// tone-mapped like every other HDR photo.
struct HdrBuffer {
  CodedColour coding;
  std::vector<std::uint16_t> samples;
};

void SetHdrOutput(JxlDecoder* decoder, const Bitmap& out, HdrBuffer& hdr) {
  const std::uint32_t channels = out.Format() == PixelFormat::Bgra32 ? 4u : 3u;
  const JxlPixelFormat format{channels, JXL_TYPE_UINT16, JXL_NATIVE_ENDIAN, 0};
  std::size_t needed = 0;
  if (JxlDecoderImageOutBufferSize(decoder, &format, &needed) != JXL_DEC_SUCCESS) Fail("no output format");
  const std::size_t have = std::size_t{channels} * static_cast<std::size_t>(out.Width()) * out.Height();
  if (needed > have * 2) Fail("frame larger than the image");
  hdr.samples.assign(have, 0);
  if (JxlDecoderSetImageOutBuffer(decoder, &format, hdr.samples.data(), have * 2) != JXL_DEC_SUCCESS)
    Fail("no output buffer");
}

}  // namespace

bool LooksLikeJxl(std::span<const std::uint8_t> bytes) {
  static constexpr std::uint8_t kContainer[] = {0, 0, 0, 0x0C, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A};
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0x0A) return true;
  return bytes.size() >= sizeof kContainer && std::memcmp(bytes.data(), kContainer, sizeof kContainer) == 0;
}

Bitmap DecodeJxl(std::span<const std::uint8_t> bytes) {
  const Decoder owner = StartDecoder(bytes, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE);
  JxlDecoder* decoder = owner.get();
  if (!decoder || JxlDecoderSetUnpremultiplyAlpha(decoder, JXL_TRUE) != JXL_DEC_SUCCESS) Fail("cannot start");

  JxlBasicInfo info{};
  std::optional<Bitmap> out;
  std::optional<HdrBuffer> hdr;
  for (;;) {
    switch (JxlDecoderProcessInput(decoder)) {
      case JXL_DEC_BASIC_INFO:
        if (JxlDecoderGetBasicInfo(decoder, &info) != JXL_DEC_SUCCESS) Fail("damaged header");
        out.emplace(SizedFor(info));  // the pixel limit, before any frame
        break;
      case JXL_DEC_COLOR_ENCODING:
        if (const std::optional<CodedColour> coding = HdrData(decoder)) hdr.emplace(HdrBuffer{*coding, {}});
        else PreferSrgb(decoder, info);
        break;
      case JXL_DEC_NEED_IMAGE_OUT_BUFFER:
        if (!out) Fail("no header");
        if (hdr) SetHdrOutput(decoder, *out, *hdr);
        else SetOutput(decoder, *out);
        break;
      case JXL_DEC_FULL_IMAGE:
        if (!out) Fail("no header");
        if (hdr) {
          const int channels = out->Format() == PixelFormat::Bgra32 ? 4 : 3;
          return HdrToSdr(hdr->samples.data(), out->Width(), out->Height(), channels,
                          static_cast<std::size_t>(channels) * static_cast<std::size_t>(out->Width()), hdr->coding);
        }
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

std::vector<std::uint8_t> ReadJxlExif(std::span<const std::uint8_t> bytes) {
  const Decoder owner = StartDecoder(bytes, JXL_DEC_BOX);
  JxlDecoder* decoder = owner.get();
  if (!decoder || JxlDecoderSetDecompressBoxes(decoder, JXL_TRUE) != JXL_DEC_SUCCESS) return {};
  std::vector<std::uint8_t> box;
  bool in_exif = false;
  for (;;) {
    const JxlDecoderStatus status = JxlDecoderProcessInput(decoder);
    if (in_exif && (status == JXL_DEC_BOX || status == JXL_DEC_SUCCESS)) {
      // The box is whole once the decoder has moved past it.
      box.resize(box.size() - JxlDecoderReleaseBoxBuffer(decoder));
      return TiffFromExifBox(box);
    }
    switch (status) {
      case JXL_DEC_BOX: {
        JxlBoxType type{};
        if (JxlDecoderGetBoxType(decoder, type, JXL_TRUE) != JXL_DEC_SUCCESS) return {};
        if (std::memcmp(type, "Exif", 4) != 0) break;
        in_exif = true;
        box.resize(4096);
        if (JxlDecoderSetBoxBuffer(decoder, box.data(), box.size()) != JXL_DEC_SUCCESS) return {};
        break;
      }
      case JXL_DEC_BOX_NEED_MORE_OUTPUT: {
        const std::size_t used = box.size() - JxlDecoderReleaseBoxBuffer(decoder);
        if (box.size() >= kMaxMetadataBytes) return {};
        box.resize(box.size() * 2);
        if (JxlDecoderSetBoxBuffer(decoder, box.data() + used, box.size() - used) != JXL_DEC_SUCCESS) return {};
        break;
      }
      default:
        return {};  // no Exif box, or the file ends inside it
    }
  }
}

std::vector<std::uint8_t> ReadJxlIccProfile(std::span<const std::uint8_t> bytes) {
  const Decoder owner = StartDecoder(bytes, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING);
  JxlDecoder* decoder = owner.get();
  if (!decoder) return {};
  JxlBasicInfo info{};
  for (;;) {
    switch (JxlDecoderProcessInput(decoder)) {
      case JXL_DEC_BASIC_INFO:
        if (JxlDecoderGetBasicInfo(decoder, &info) != JXL_DEC_SUCCESS) return {};
        if (!info.uses_original_profile) return {};  // DecodeJxl gives sRGB
        break;
      case JXL_DEC_COLOR_ENCODING: {
        constexpr JxlColorProfileTarget kStored = JXL_COLOR_PROFILE_TARGET_ORIGINAL;
        JxlColorEncoding encoding{};
        if (JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, kStored, &encoding) == JXL_DEC_SUCCESS &&
            (IsSrgb(encoding) || HdrCoding(encoding)))
          return {};  // sRGB, or PQ and HLG, which DecodeJxl tone-maps to sRGB
        std::size_t size = 0;
        if (JxlDecoderGetICCProfileSize(decoder, nullptr, kStored, &size) != JXL_DEC_SUCCESS || size == 0 ||
            size > kMaxMetadataBytes)
          return {};
        std::vector<std::uint8_t> profile(size);
        if (JxlDecoderGetColorAsICCProfile(decoder, nullptr, kStored, profile.data(), size) != JXL_DEC_SUCCESS)
          return {};
        return profile;
      }
      default:
        return {};
    }
  }
}

}  // namespace plendo::codecs
