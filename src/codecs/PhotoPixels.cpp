#include "codecs/PhotoPixels.h"

#include <algorithm>

namespace plendo::codecs {

void StoreRgbRow(const std::uint8_t* rgb, int channels, int width, std::uint8_t* out) {
  const auto n = static_cast<std::size_t>(channels);
  for (std::size_t x = 0, end = static_cast<std::size_t>(width) * n; x < end; x += n) {
    const std::uint8_t r = rgb[x], g = rgb[x + 1], b = rgb[x + 2];
    out[x] = b, out[x + 1] = g, out[x + 2] = r;
    if (n == 4) out[x + 3] = rgb[x + 3];
  }
}

void StoreDeepRgbRow(const std::uint8_t* rgb16, int channels, int width, int bits, std::uint8_t* out) {
  const std::uint32_t top = (std::uint32_t{1} << bits) - 1;
  const auto scale = [top](const std::uint8_t* le) {
    const std::uint32_t v = std::min<std::uint32_t>(top, le[0] | (std::uint32_t{le[1]} << 8));
    return static_cast<std::uint8_t>((v * 255 + top / 2) / top);
  };
  const auto n = static_cast<std::size_t>(channels);
  for (std::size_t x = 0, end = static_cast<std::size_t>(width) * n; x < end; x += n) {
    const std::uint8_t* in = rgb16 + 2 * x;
    out[x] = scale(in + 4), out[x + 1] = scale(in + 2), out[x + 2] = scale(in);
    if (n == 4) out[x + 3] = scale(in + 6);
  }
}

void Unpremultiply(platform::Bitmap& bgra) {
  for (int y = 0; y < bgra.Height(); ++y) {
    std::uint8_t* p = bgra.Row(y);
    for (int x = 0; x < bgra.Width(); ++x, p += 4) {
      const unsigned a = p[3];
      if (a == 255) continue;
      for (int c = 0; c < 3; ++c)
        p[c] = a == 0 ? 0 : static_cast<std::uint8_t>(std::min(255u, (p[c] * 255u + a / 2) / a));
    }
  }
}

std::vector<std::uint8_t> TiffFromExifBox(std::span<const std::uint8_t> box) {
  if (box.size() < 4) return {};
  const std::uint32_t offset =
      (std::uint32_t{box[0]} << 24) | (std::uint32_t{box[1]} << 16) | (std::uint32_t{box[2]} << 8) | box[3];
  if (offset > box.size() - 4) return {};
  const std::span<const std::uint8_t> tiff = box.subspan(4 + offset);
  const bool starts_tiff = tiff.size() >= 8 && ((tiff[0] == 'I' && tiff[1] == 'I' && tiff[2] == 42 && tiff[3] == 0) ||
                                                (tiff[0] == 'M' && tiff[1] == 'M' && tiff[2] == 0 && tiff[3] == 42));
  if (!starts_tiff) return {};
  return {tiff.begin(), tiff.end()};
}

}  // namespace plendo::codecs
