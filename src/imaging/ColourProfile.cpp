#include "imaging/ColourProfile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include <lcms2.h>
#include <zlib.h>

#include "codecs/JpegSegments.h"
#include "imaging/ContainerMetadata.h"
#include "imaging/ImageFormat.h"
#include "imaging/TiffDecoder.h"
#include "platform/CallFree.h"

namespace plendo::imaging {
namespace {

using Bytes = std::vector<std::uint8_t>;

// No real profile comes near this; a larger one is taken as damage.
constexpr std::size_t kMaxProfileBytes = 16u << 20;

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// APP2 segments of the header, up to the first scan: "ICC_PROFILE" 00, the
// chunk's number (from 1), the count, then its share of the profile.
Bytes JpegProfile(std::span<const std::uint8_t> bytes) {
  static constexpr char kTag[] = "ICC_PROFILE";  // with its NUL: 12 bytes
  std::array<std::span<const std::uint8_t>, 256> chunks{};
  int count = 0;
  bool damaged = false;
  codecs::ForEachHeaderSegment(bytes, [&](std::uint8_t marker, std::span<const std::uint8_t> body) {
    if (marker != 0xE2 || body.size() <= 14 || std::memcmp(body.data(), kTag, sizeof kTag) != 0) return true;
    const int number = body[12], of = body[13];
    damaged = number == 0 || number > of || (count != 0 && of != count) || !chunks[number].empty();
    count = of;
    if (!damaged) chunks[number] = body.subspan(14);
    return !damaged;
  });
  if (damaged) return {};
  Bytes profile;
  for (int i = 1; i <= count; ++i) {
    if (chunks[i].empty()) return {};
    profile.insert(profile.end(), chunks[i].begin(), chunks[i].end());
  }
  return profile;
}

Bytes Inflate(std::span<const std::uint8_t> data) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return {};
  const std::unique_ptr<z_stream, int (*)(z_stream*)> end(&z, inflateEnd);
  Bytes out(std::min<std::size_t>(data.size() * 4 + 1024, kMaxProfileBytes));
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  for (;;) {
    z.next_out = out.data() + z.total_out;
    z.avail_out = static_cast<uInt>(out.size() - z.total_out);
    const int status = inflate(&z, Z_NO_FLUSH);
    if (status == Z_STREAM_END) break;
    if (status != Z_OK && status != Z_BUF_ERROR) return {};
    if (z.avail_out != 0) return {};  // the data ended inside the stream
    if (out.size() == kMaxProfileBytes) return {};
    out.resize(std::min(out.size() * 2, kMaxProfileBytes));
  }
  out.resize(z.total_out);
  return out;
}

// The iCCP chunk, which comes before the image data: a name of 1 to 79
// bytes, NUL, method 0 (zlib), the compressed profile.
Bytes PngProfile(std::span<const std::uint8_t> bytes) {
  std::size_t at = 8;
  while (at + 12 <= bytes.size()) {
    const std::size_t length = BigEndian32(&bytes[at]);
    if (length > bytes.size() - at - 12) return {};
    const std::uint8_t* type = &bytes[at + 4];
    const std::span<const std::uint8_t> data = bytes.subspan(at + 8, length);
    if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) return {};
    if (std::memcmp(type, "iCCP", 4) == 0) {
      const auto nul = std::find(data.begin(), data.end(), std::uint8_t{0});
      const auto name_length = nul - data.begin();
      if (nul == data.end() || name_length < 1 || name_length > 79 || data.end() - nul < 2 || nul[1] != 0) return {};
      return Inflate(data.subspan(static_cast<std::size_t>(name_length) + 2));
    }
    at += 12 + length;
  }
  return {};
}

}  // namespace

std::vector<std::uint8_t> ReadIccProfile(std::span<const std::uint8_t> bytes) {
  Bytes profile;
  switch (DetectFormat(bytes)) {
    case ImageFormat::Jpeg: profile = JpegProfile(bytes); break;
    case ImageFormat::Png: profile = PngProfile(bytes); break;
    case ImageFormat::Tiff: profile = ReadTiffIccProfile(bytes); break;
    default: profile = ContainerIccProfile(bytes); break;
  }
  if (profile.size() > kMaxProfileBytes) profile.clear();
  return profile;
}

bool DescribesRgb(std::span<const std::uint8_t> profile) {
  // The header's colour space field, bytes 16 to 19.
  return profile.size() >= 128 && std::memcmp(profile.data() + 16, "RGB ", 4) == 0;
}

bool ConvertToSrgb(platform::Bitmap& bitmap, std::span<const std::uint8_t> profile) {
  const bool alpha = bitmap.Format() == platform::PixelFormat::Bgra32;
  if ((!alpha && bitmap.Format() != platform::PixelFormat::Bgr24) || profile.empty()) return false;
  const std::unique_ptr<void, platform::CallFree<cmsCloseProfile>> from(
      cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size())));
  if (!from || cmsGetColorSpace(from.get()) != cmsSigRgbData) return false;
  const std::unique_ptr<void, platform::CallFree<cmsCloseProfile>> srgb(cmsCreate_sRGBProfile());
  if (!srgb) return false;
  const std::unique_ptr<void, platform::CallFree<cmsDeleteTransform>> transform(
      alpha ? cmsCreateTransform(from.get(), TYPE_BGRA_8, srgb.get(), TYPE_BGRA_8, INTENT_PERCEPTUAL, cmsFLAGS_COPY_ALPHA)
            : cmsCreateTransform(from.get(), TYPE_BGR_8, srgb.get(), TYPE_BGR_8, INTENT_PERCEPTUAL, 0));
  if (!transform) return false;
  for (int y = 0; y < bitmap.Height(); ++y)
    cmsDoTransform(transform.get(), bitmap.Row(y), bitmap.Row(y), static_cast<cmsUInt32Number>(bitmap.Width()));
  return true;
}

}  // namespace plendo::imaging
