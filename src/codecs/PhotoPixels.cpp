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

namespace {

// How far into a box whose offset word misleads a TIFF header is looked for:
// past a missing or wrong offset word and a JPEG-style lead-in ("Exif" 00 00
// or a whole APP1 marker and length).
constexpr std::size_t kTiffHeaderSearch = 64;

bool StartsTiff(std::span<const std::uint8_t> at) {
  return at.size() >= 8 && ((at[0] == 'I' && at[1] == 'I' && at[2] == 42 && at[3] == 0) ||
                            (at[0] == 'M' && at[1] == 'M' && at[2] == 0 && at[3] == 42));
}

// The TIFF data from `at` on. When a whole JPEG APP1 segment leads to it
// (FF E1, its length, "Exif" 00 00), as some phones write, the segment's
// length ends it: what follows the segment is no part of the EXIF.
std::vector<std::uint8_t> TiffAt(std::span<const std::uint8_t> box, std::size_t at) {
  std::size_t end = box.size();
  static constexpr std::uint8_t kApp1[] = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
  if (at >= sizeof kApp1) {
    const std::uint8_t* lead = box.data() + at - sizeof kApp1;
    if (lead[0] == kApp1[0] && lead[1] == kApp1[1] && std::equal(kApp1 + 4, std::end(kApp1), lead + 4)) {
      const std::size_t length = std::size_t{lead[2]} << 8 | lead[3];  // counts itself and "Exif" 00 00
      if (length >= 8 + 8) end = std::min(end, at + length - 8);
    }
  }
  return {box.begin() + static_cast<std::ptrdiff_t>(at), box.begin() + static_cast<std::ptrdiff_t>(end)};
}

}  // namespace

std::vector<std::uint8_t> TiffFromExifBox(std::span<const std::uint8_t> box) {
  if (box.size() >= 4) {
    const std::uint32_t offset =
        (std::uint32_t{box[0]} << 24) | (std::uint32_t{box[1]} << 16) | (std::uint32_t{box[2]} << 8) | box[3];
    if (offset <= box.size() - 4 && StartsTiff(box.subspan(4 + offset))) return TiffAt(box, 4 + offset);
  }
  for (std::size_t at = 0; at < std::min(box.size(), kTiffHeaderSearch); ++at)
    if (StartsTiff(box.subspan(at))) return TiffAt(box, at);
  return {};
}

}  // namespace plendo::codecs
