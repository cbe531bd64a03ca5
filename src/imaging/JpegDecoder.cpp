#include "imaging/JpegDecoder.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "codecs/JpegError.h"
#include "codecs/JpegReader.h"
#include "imaging/DecodeError.h"

namespace plendo::imaging {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

DecodeError JpegFailure(const codecs::EJPEG& e) { return DecodeError("JPEG: " + e.Message()); }

// Straight into the bitmap's rows, several at a time. Data that ends early
// leaves the rest as libjpeg fills it.
void ReadRows(codecs::JpegReader& reader, Bitmap& out) {
  std::uint8_t* rows[16];
  for (int y = 0; y < out.Height();) {
    const int n = std::min(16, out.Height() - y);
    for (int i = 0; i < n; ++i) rows[i] = out.Row(y + i);
    const int read = reader.ReadRows(rows, n);
    if (read == 0) break;
    y += read;
  }
}

}  // namespace

JpegSize ReadJpegSize(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) throw DecodeError("JPEG: empty");
  try {
    codecs::JpegReader reader(bytes);
    return {static_cast<int>(reader.Info().image_width), static_cast<int>(reader.Info().image_height)};
  } catch (const codecs::EJPEG& e) {
    throw JpegFailure(e);
  }
}

Bitmap DecodeJpeg(std::span<const std::uint8_t> bytes, int scale_denominator) {
  if (scale_denominator != 1 && scale_denominator != 2 && scale_denominator != 4 && scale_denominator != 8)
    throw std::invalid_argument("JPEG scale denominator must be 1, 2, 4 or 8");
  if (bytes.empty()) throw DecodeError("JPEG: empty");
  try {
    codecs::JpegReader reader(bytes);
    jpeg_decompress_struct& cinfo = reader.Info();
    // Progressive files keep every coefficient in memory; without a backing
    // store, libjpeg stops with an error when this budget would be passed.
    cinfo.mem->max_memory_to_use = static_cast<long>(Bitmap::kMaxBytes);
    cinfo.scale_num = 1;
    cinfo.scale_denom = static_cast<unsigned int>(scale_denominator);
    reader.Prepare();
    const auto width = static_cast<int>(cinfo.output_width);
    const auto height = static_cast<int>(cinfo.output_height);
    const std::size_t stride = Bitmap::StrideFor(width, PixelFormat::Bgr24);
    if (stride == 0 || stride > Bitmap::kMaxBytes / static_cast<std::size_t>(height))
      throw DecodeError("JPEG: picture too large");
    Bitmap out(width, height, PixelFormat::Bgr24);
    reader.Start();
    ReadRows(reader, out);
    reader.Finish();
    return out;
  } catch (const codecs::EJPEG& e) {
    throw JpegFailure(e);
  }
}

int ChooseJpegScale(int source_width, int source_height, double target_width, double target_height,
                    double headroom) {
  if (!(target_width > 0.0) || !(target_height > 0.0)) return 1;
  for (int d : {8, 4, 2}) {
    if (static_cast<double>(source_width) / d >= headroom * target_width &&
        static_cast<double>(source_height) / d >= headroom * target_height)
      return d;
  }
  return 1;
}

}  // namespace plendo::imaging
