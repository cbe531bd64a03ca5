#include "platform/Bitmap.h"

#include <cstring>
#include <limits>

#include "platform/BitmapError.h"

namespace plendo::platform {

int BitsPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::Bgr24: return 24;
    case PixelFormat::Bgra32: return 32;
    case PixelFormat::Indexed1: return 1;
    case PixelFormat::Indexed4: return 4;
    case PixelFormat::Indexed8: return 8;
  }
  return 0;
}

std::size_t Bitmap::StrideFor(int width, PixelFormat format) {
  if (width < 0) return 0;
  const auto bits = static_cast<unsigned long long>(width) * BitsPerPixel(format);
  return static_cast<std::size_t>(((bits + 31) / 32) * 4);
}

Bitmap::Bitmap(int width, int height, PixelFormat format) : format_(format) {
  if (width < 0 || height < 0) throw BitmapTooLarge();
  const std::size_t stride = StrideFor(width, format);
  if (height > 0 && stride > kMaxBytes / static_cast<std::size_t>(height)) throw BitmapTooLarge();
  pixels_.assign(stride * static_cast<std::size_t>(height), 0);
  width_ = width;
  height_ = height;
  stride_ = stride;
}

Bitmap Bitmap::Clone() const {
  Bitmap copy;
  copy.width_ = width_;
  copy.height_ = height_;
  copy.format_ = format_;
  copy.stride_ = stride_;
  copy.pixels_ = pixels_;
  copy.palette_ = palette_;
  return copy;
}

void Bitmap::Fill(std::uint8_t value) { std::memset(pixels_.data(), value, pixels_.size()); }

Rgba Bitmap::PixelAt(int x, int y) const {
  const std::uint8_t* row = Row(y);
  auto from_palette = [this](unsigned index) {
    return index < palette_.size() ? palette_[index] : Rgba{0, 0, 0, 255};
  };
  switch (format_) {
    case PixelFormat::Bgr24: return {row[x * 3 + 2], row[x * 3 + 1], row[x * 3], 255};
    case PixelFormat::Bgra32: return {row[x * 4 + 2], row[x * 4 + 1], row[x * 4], row[x * 4 + 3]};
    case PixelFormat::Indexed8: return from_palette(row[x]);
    case PixelFormat::Indexed4: return from_palette((row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F);
    case PixelFormat::Indexed1: return from_palette((row[x / 8] >> (7 - x % 8)) & 1);
  }
  return {};
}

Bitmap ConvertToBgr24(const Bitmap& source) {
  if (source.Format() == PixelFormat::Bgr24) return source.Clone();
  Bitmap out(source.Width(), source.Height(), PixelFormat::Bgr24);
  for (int y = 0; y < source.Height(); ++y) {
    std::uint8_t* dst = out.Row(y);
    for (int x = 0; x < source.Width(); ++x) {
      const Rgba c = source.PixelAt(x, y);
      dst[x * 3] = c.b;
      dst[x * 3 + 1] = c.g;
      dst[x * 3 + 2] = c.r;
    }
  }
  return out;
}

}  // namespace plendo::platform
