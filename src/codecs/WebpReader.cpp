#include "codecs/WebpReader.h"

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include <webp/decode.h>
#include <webp/demux.h>

#include "codecs/PhotoPixels.h"
#include "platform/BitmapError.h"
#include "platform/CallFree.h"

namespace plendo::codecs {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

[[noreturn]] void Fail(const char* why) { throw WebpError(std::string("WebP: ") + why); }

WebPBitstreamFeatures Features(std::span<const std::uint8_t> bytes) {
  WebPBitstreamFeatures features{};
  if (WebPGetFeatures(bytes.data(), bytes.size(), &features) != VP8_STATUS_OK) Fail("damaged header");
  if (features.width <= 0 || features.height <= 0) Fail("no size");
  return features;
}

// The pixel limit for a picture of this size, before libwebp allocates.
void CheckLimit(int width, int height) {
  if (Bitmap::StrideFor(width, PixelFormat::Bgra32) > Bitmap::kMaxBytes / static_cast<std::size_t>(height))
    throw platform::BitmapTooLarge();
}

// libwebp writes straight into the bitmap's rows.
Bitmap DecodeStill(std::span<const std::uint8_t> bytes, const WebPBitstreamFeatures& features, int d) {
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) Fail("library mismatch");
  const int width = (features.width + d - 1) / d;
  const int height = (features.height + d - 1) / d;
  const bool alpha = features.has_alpha != 0;
  Bitmap out(width, height, alpha ? PixelFormat::Bgra32 : PixelFormat::Bgr24);
  if (d > 1) {
    config.options.use_scaling = 1;
    config.options.scaled_width = width;
    config.options.scaled_height = height;
  }
  // Scaling straight colours would let invisible pixels bleed into their
  // neighbours; premultiplied, each weighs by its alpha.
  config.output.colorspace = !alpha ? MODE_BGR : d > 1 ? MODE_bgrA : MODE_BGRA;
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = out.Row(0);
  config.output.u.RGBA.stride = static_cast<int>(out.Stride());
  config.output.u.RGBA.size = out.Stride() * static_cast<std::size_t>(height);
  const VP8StatusCode status = WebPDecode(bytes.data(), bytes.size(), &config);
  WebPFreeDecBuffer(&config.output);
  if (status != VP8_STATUS_OK) Fail(status == VP8_STATUS_NOT_ENOUGH_DATA ? "data cut off" : "damaged image data");
  if (alpha && d > 1) Unpremultiply(out);
  return out;
}

// The first frame as it shows on the canvas (frames may cover only part of it).
Bitmap DecodeFirstFrame(std::span<const std::uint8_t> bytes) {
  const WebPData data{bytes.data(), bytes.size()};
  WebPAnimDecoderOptions options;
  if (!WebPAnimDecoderOptionsInit(&options)) Fail("library mismatch");
  options.color_mode = MODE_BGRA;
  options.use_threads = 0;
  const std::unique_ptr<WebPAnimDecoder, platform::CallFree<WebPAnimDecoderDelete>> decoder(
      WebPAnimDecoderNew(&data, &options));
  if (!decoder) Fail("damaged animation");
  WebPAnimInfo info{};
  if (!WebPAnimDecoderGetInfo(decoder.get(), &info)) Fail("damaged animation");
  Bitmap out(static_cast<int>(info.canvas_width), static_cast<int>(info.canvas_height), PixelFormat::Bgra32);
  std::uint8_t* frame = nullptr;
  int timestamp = 0;
  if (!WebPAnimDecoderGetNext(decoder.get(), &frame, &timestamp) || frame == nullptr) Fail("damaged frame");
  // Bgra32 rows are exactly width * 4 bytes, as the canvas's are.
  std::memcpy(out.Row(0), frame, out.Stride() * static_cast<std::size_t>(out.Height()));
  return out;
}

// A chunk of the extended format by its four letters, copied out.
std::vector<std::uint8_t> ReadChunk(std::span<const std::uint8_t> bytes, const char* fourcc) {
  const WebPData data{bytes.data(), bytes.size()};
  const std::unique_ptr<WebPDemuxer, platform::CallFree<WebPDemuxDelete>> demux(WebPDemux(&data));
  if (!demux) return {};
  WebPChunkIterator chunk{};
  if (!WebPDemuxGetChunk(demux.get(), fourcc, 1, &chunk)) return {};
  const std::unique_ptr<WebPChunkIterator, platform::CallFree<WebPDemuxReleaseChunkIterator>> release(&chunk);
  return {chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size};
}

}  // namespace

bool LooksLikeWebp(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 12 && std::memcmp(bytes.data(), "RIFF", 4) == 0 &&
         std::memcmp(bytes.data() + 8, "WEBP", 4) == 0;
}

WebpSize ReadWebpSize(std::span<const std::uint8_t> bytes) {
  const WebPBitstreamFeatures features = Features(bytes);
  return {features.width, features.height};
}

Bitmap DecodeWebp(std::span<const std::uint8_t> bytes, int scale_denominator) {
  if (scale_denominator != 1 && scale_denominator != 2 && scale_denominator != 4 && scale_denominator != 8)
    throw std::invalid_argument("WebP scale denominator must be 1, 2, 4 or 8");
  const WebPBitstreamFeatures features = Features(bytes);
  CheckLimit(features.width, features.height);
  return features.has_animation ? DecodeFirstFrame(bytes) : DecodeStill(bytes, features, scale_denominator);
}

std::vector<std::uint8_t> ReadWebpExif(std::span<const std::uint8_t> bytes) {
  std::vector<std::uint8_t> exif = ReadChunk(bytes, "EXIF");
  static constexpr std::uint8_t kIdentifier[] = {'E', 'x', 'i', 'f', 0, 0};
  if (exif.size() >= sizeof kIdentifier && std::memcmp(exif.data(), kIdentifier, sizeof kIdentifier) == 0)
    exif.erase(exif.begin(), exif.begin() + sizeof kIdentifier);
  return exif;
}

std::vector<std::uint8_t> ReadWebpIccProfile(std::span<const std::uint8_t> bytes) { return ReadChunk(bytes, "ICCP"); }

}  // namespace plendo::codecs
