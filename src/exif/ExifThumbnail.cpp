#include "exif/ExifThumbnail.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/JpegError.h"

namespace plendo::exif {
namespace {

constexpr int kMaxWidth = 160;
constexpr int kMaxHeight = 120;
constexpr int kMaxJpegSide = 65535;

int RoundHalfEven(double value) { return static_cast<int>(std::nearbyint(value)); }

// Nearest source index for destination index `d` (pixel centres).
int SourceIndex(int d, int source_size, int dest_size) {
  const long long s = (2LL * d + 1) * source_size / (2LL * dest_size);
  return static_cast<int>(std::min<long long>(s, source_size - 1));
}

void StoreRow(const std::uint8_t* row, const jpeg_decompress_struct& cinfo, const ThumbnailSize& size,
              std::uint8_t* out) {
  const int width = static_cast<int>(cinfo.output_width);
  for (int dx = 0; dx < size.width; ++dx) {
    const int sx = SourceIndex(dx, width, size.width);
    std::uint8_t r, g, b;
    if (cinfo.out_color_space == JCS_CMYK) {
      const std::uint8_t* p = row + sx * 4;
      // Adobe files store CMYK inverted (255 = no ink).
      const bool inverted = cinfo.saw_Adobe_marker;
      const int k = inverted ? p[3] : 255 - p[3];
      auto channel = [&](int v) { return static_cast<std::uint8_t>((inverted ? v : 255 - v) * k / 255); };
      r = channel(p[0]);
      g = channel(p[1]);
      b = channel(p[2]);
    } else {
      const std::uint8_t* p = row + sx * 3;
      r = p[0];
      g = p[1];
      b = p[2];
    }
    out[dx * 3] = b;
    out[dx * 3 + 1] = g;
    out[dx * 3 + 2] = r;
  }
}

// A thumbnail takes one pixel in many: the picture is decoded at the smallest
// DCT scale that still has a pixel for each thumbnail pixel, which averages
// each block instead of picking one of its pixels, and costs a fraction of a
// full decode.
int ThumbnailDecodeScale(int width, int height, const ThumbnailSize& fitted) {
  for (int d : {8, 4, 2})
    if ((width + d - 1) / d >= fitted.width && (height + d - 1) / d >= fitted.height) return d;
  return 1;
}

// Everything that may not be skipped by the error jump lives in the caller:
// the largest thumbnail and the widest row are allocated before setjmp.
void Decode(const std::uint8_t* data, std::size_t size, platform::Bitmap& out, ThumbnailSize& fitted,
            std::vector<std::uint8_t>& row) {
  jpeg_decompress_struct cinfo{};
  platform::JpegErrorManager err;
  cinfo.err = platform::InstallJpegErrorManager(err);
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    throw platform::EJPEG(err.code);
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  const int full_width = static_cast<int>(cinfo.image_width);
  const int full_height = static_cast<int>(cinfo.image_height);
  if (full_width <= 0 || full_height <= 0 || full_width > kMaxJpegSide || full_height > kMaxJpegSide) {
    jpeg_destroy_decompress(&cinfo);
    throw platform::EJPEG(0);
  }
  fitted = FitThumbnail(full_width, full_height);
  cinfo.scale_num = 1;
  cinfo.scale_denom = static_cast<unsigned>(ThumbnailDecodeScale(full_width, full_height, fitted));
  jpeg_start_decompress(&cinfo);
  const int width = static_cast<int>(cinfo.output_width);
  const int height = static_cast<int>(cinfo.output_height);
  JSAMPROW rows[1] = {row.data()};
  int dy = 0;
  for (int sy = 0; sy < height && dy < fitted.height; ++sy) {
    jpeg_read_scanlines(&cinfo, rows, 1);
    while (dy < fitted.height && SourceIndex(dy, height, fitted.height) == sy) {
      StoreRow(row.data(), cinfo, fitted, out.Row(dy));
      ++dy;
    }
  }
  jpeg_abort_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
}

}  // namespace

ThumbnailSize FitThumbnail(int width, int height) {
  if (width <= 0 || height <= 0) return {};
  const double scale = std::min({static_cast<double>(kMaxWidth) / width, static_cast<double>(kMaxHeight) / height, 1.0});
  return {std::max(1, RoundHalfEven(width * scale)), std::max(1, RoundHalfEven(height * scale))};
}

platform::Bitmap DecodeJpegThumbnail(const std::uint8_t* data, std::size_t size) {
  platform::Bitmap largest(kMaxWidth, kMaxHeight, platform::PixelFormat::Bgr24);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(kMaxJpegSide) * 4);
  ThumbnailSize fitted;
  Decode(data, size, largest, fitted, row);
  platform::Bitmap out(fitted.width, fitted.height, platform::PixelFormat::Bgr24);
  for (int y = 0; y < fitted.height; ++y)
    std::copy_n(largest.Row(y), static_cast<std::size_t>(fitted.width) * 3, out.Row(y));
  return out;
}

}  // namespace plendo::exif
