#include "codecs/EncoderPixels.h"

#include <stdexcept>

namespace plendo::codecs {

bool HasTransparency(const platform::Bitmap& bitmap) {
  if (bitmap.Format() != platform::PixelFormat::Bgra32) return false;
  for (int y = 0; y < bitmap.Height(); ++y) {
    const std::uint8_t* row = bitmap.Row(y);
    for (int x = 0; x < bitmap.Width(); ++x)
      if (row[4 * x + 3] != 255) return true;
  }
  return false;
}

std::vector<std::uint8_t> PackedRgb(const platform::Bitmap& bitmap, bool with_alpha) {
  const bool bgra = bitmap.Format() == platform::PixelFormat::Bgra32;
  if (!bgra && bitmap.Format() != platform::PixelFormat::Bgr24)
    throw std::invalid_argument("photo encoders take 24- or 32-bit pixels");
  const int in = bgra ? 4 : 3, out = with_alpha ? 4 : 3;
  const auto width = static_cast<std::size_t>(bitmap.Width());
  std::vector<std::uint8_t> packed(width * static_cast<std::size_t>(bitmap.Height()) * out);
  std::uint8_t* p = packed.data();
  for (int y = 0; y < bitmap.Height(); ++y) {
    const std::uint8_t* row = bitmap.Row(y);
    for (std::size_t x = 0; x < width; ++x, p += out) {
      const std::uint8_t* s = row + x * in;
      p[0] = s[2], p[1] = s[1], p[2] = s[0];
      if (with_alpha) p[3] = bgra ? s[3] : 255;
    }
  }
  return packed;
}

}  // namespace plendo::codecs
