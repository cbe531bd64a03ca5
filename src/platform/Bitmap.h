#pragma once
// A raster with row access, the pixel store every layer shares: decoders fill
// it, the resampler draws into it, the encoder and the preview read it. Rows
// are stored top to bottom, each padded to 4 bytes; indexed formats carry a
// palette.
//
//   Bgr24   3 bytes a pixel: blue, green, red
//   Bgra32  4 bytes a pixel: blue, green, red, alpha (straight, not premultiplied)
//   Indexed1/4/8  palette indices, most significant bits first
//
// A Bitmap owns its pixels; it moves but never copies by accident (Clone()).
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plendo::platform {

enum class PixelFormat { Bgr24, Bgra32, Indexed1, Indexed4, Indexed8 };

struct Rgba {
  std::uint8_t r = 0, g = 0, b = 0, a = 255;
  friend bool operator==(const Rgba&, const Rgba&) = default;
};

int BitsPerPixel(PixelFormat format);

class Bitmap {
 public:
  // The largest pixel buffer we ever allocate; larger requests fail with
  // BitmapTooLarge before any memory is taken.
  static constexpr std::size_t kMaxBytes = std::size_t{1} << 30;

  Bitmap() = default;
  // Pixels start zeroed. Throws BitmapTooLarge for a negative size or a
  // buffer above kMaxBytes, std::bad_alloc when memory runs out.
  Bitmap(int width, int height, PixelFormat format);

  Bitmap(Bitmap&&) noexcept = default;
  Bitmap& operator=(Bitmap&&) noexcept = default;
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;
  Bitmap Clone() const;

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  PixelFormat Format() const { return format_; }
  std::size_t Stride() const { return stride_; }

  std::uint8_t* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * stride_; }
  const std::uint8_t* Row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * stride_; }

  // Fills every byte of every row (white: 0xFF).
  void Fill(std::uint8_t value);

  // Palette of the indexed formats (empty for the others).
  std::vector<Rgba>& Palette() { return palette_; }
  const std::vector<Rgba>& Palette() const { return palette_; }

  // The colour of one pixel whatever the format (palette looked up).
  Rgba PixelAt(int x, int y) const;

  // Bytes a row of this width takes, padded to 4; 0 when it would overflow.
  static std::size_t StrideFor(int width, PixelFormat format);

 private:
  int width_ = 0;
  int height_ = 0;
  PixelFormat format_ = PixelFormat::Bgr24;
  std::size_t stride_ = 0;
  std::vector<std::uint8_t> pixels_;
  std::vector<Rgba> palette_;
};

// Converts any bitmap to 24 bits (alpha dropped, palette resolved).
Bitmap ConvertToBgr24(const Bitmap& source);

}  // namespace plendo::platform
