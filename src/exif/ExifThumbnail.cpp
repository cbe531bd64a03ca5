#include "exif/ExifThumbnail.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "codecs/JpegError.h"
#include "codecs/JpegReader.h"

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

// A thumbnail takes one pixel in many: the picture is decoded at the smallest
// DCT scale that still has a pixel for each thumbnail pixel, which averages
// each block instead of picking one of its pixels, and costs a fraction of a
// full decode.
int ThumbnailDecodeScale(int width, int height, const ThumbnailSize& fitted) {
  for (int d : {8, 4, 2})
    if ((width + d - 1) / d >= fitted.width && (height + d - 1) / d >= fitted.height) return d;
  return 1;
}

void StoreRow(const std::uint8_t* row, int width, const ThumbnailSize& size, std::uint8_t* out) {
  for (int dx = 0; dx < size.width; ++dx)
    std::copy_n(row + 3 * SourceIndex(dx, width, size.width), 3, out + 3 * dx);
}

}  // namespace

ThumbnailSize FitThumbnail(int width, int height) {
  if (width <= 0 || height <= 0) return {};
  const double scale = std::min({static_cast<double>(kMaxWidth) / width, static_cast<double>(kMaxHeight) / height, 1.0});
  return {std::max(1, RoundHalfEven(width * scale)), std::max(1, RoundHalfEven(height * scale))};
}

platform::Bitmap DecodeJpegThumbnail(const std::uint8_t* data, std::size_t size) {
  codecs::JpegReader reader({data, size});
  jpeg_decompress_struct& cinfo = reader.Info();
  const int full_width = static_cast<int>(cinfo.image_width);
  const int full_height = static_cast<int>(cinfo.image_height);
  if (full_width <= 0 || full_height <= 0 || full_width > kMaxJpegSide || full_height > kMaxJpegSide)
    throw codecs::EJPEG(0);
  const ThumbnailSize fitted = FitThumbnail(full_width, full_height);
  cinfo.scale_num = 1;
  cinfo.scale_denom = static_cast<unsigned>(ThumbnailDecodeScale(full_width, full_height, fitted));
  reader.Prepare();
  reader.Start();
  const int width = static_cast<int>(cinfo.output_width);
  const int height = static_cast<int>(cinfo.output_height);

  // Only one source row is held at a time; the rows no thumbnail row takes
  // are read past. The decoder is left early once the thumbnail is full.
  platform::Bitmap out(fitted.width, fitted.height, platform::PixelFormat::Bgr24);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
  std::uint8_t* rows[1] = {row.data()};
  int dy = 0;
  for (int sy = 0; sy < height && dy < fitted.height; ++sy) {
    if (reader.ReadRows(rows, 1) != 1) break;
    for (; dy < fitted.height && SourceIndex(dy, height, fitted.height) == sy; ++dy)
      StoreRow(row.data(), width, fitted, out.Row(dy));
  }
  return out;
}

}  // namespace plendo::exif
