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

std::span<const std::uint8_t> NonEmpty(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) throw DecodeError("JPEG: empty");
  return bytes;
}

// Output at 1 / d of the size, refused above the pixel limit before any
// pixel memory is taken.
void PrepareScaled(codecs::JpegReader& reader, int scale_denominator) {
  if (scale_denominator != 1 && scale_denominator != 2 && scale_denominator != 4 && scale_denominator != 8)
    throw std::invalid_argument("JPEG scale denominator must be 1, 2, 4 or 8");
  jpeg_decompress_struct& cinfo = reader.Info();
  // Progressive files keep every coefficient in memory; without a backing
  // store, libjpeg stops with an error when this budget would be passed.
  cinfo.mem->max_memory_to_use = static_cast<long>(Bitmap::kMaxBytes);
  cinfo.scale_num = 1;
  cinfo.scale_denom = static_cast<unsigned int>(scale_denominator);
  reader.Prepare();
  const std::size_t stride = Bitmap::StrideFor(static_cast<int>(cinfo.output_width), PixelFormat::Bgr24);
  if (stride == 0 || cinfo.output_height == 0 || stride > Bitmap::kMaxBytes / cinfo.output_height) throw DecodeError("JPEG: picture too large");
}

}  // namespace

JpegSize ReadJpegSize(std::span<const std::uint8_t> bytes) {
  try {
    codecs::JpegReader reader(NonEmpty(bytes));
    return {static_cast<int>(reader.Info().image_width), static_cast<int>(reader.Info().image_height)};
  } catch (const codecs::EJPEG& e) {
    throw JpegFailure(e);
  }
}

Bitmap DecodeJpeg(std::span<const std::uint8_t> bytes, int scale_denominator) {
  try {
    codecs::JpegReader reader(NonEmpty(bytes));
    PrepareScaled(reader, scale_denominator);
    // Started first: a file far too short for its picture is refused there,
    // before the picture's memory is taken (PrepareScaled checked its size).
    reader.Start();
    Bitmap out(static_cast<int>(reader.Info().output_width), static_cast<int>(reader.Info().output_height),
               PixelFormat::Bgr24);
    ReadRows(reader, out);
    reader.Finish();
    return out;
  } catch (const codecs::EJPEG& e) {
    throw JpegFailure(e);
  }
}

JpegRowStream::JpegRowStream(std::span<const std::uint8_t> bytes, int scale_denominator) try
    : reader_(NonEmpty(bytes)) {
  PrepareScaled(reader_, scale_denominator);
  width_ = static_cast<int>(reader_.Info().output_width);
  height_ = static_cast<int>(reader_.Info().output_height);
  stride_ = Bitmap::StrideFor(width_, PixelFormat::Bgr24);
  reader_.Start();
} catch (const codecs::EJPEG& e) {
  throw JpegFailure(e);
}

JpegRowStream::~JpegRowStream() = default;

void JpegRowStream::Window(int first, int count, const std::uint8_t** rows) {
  if (count <= 0 || first < 0 || count > height_ - first) throw std::out_of_range("JPEG rows outside the picture");
  if (ring_rows_ == 0) {
    ring_rows_ = count;
    ring_.assign(stride_ * static_cast<std::size_t>(count), 0);
  }
  if (count != ring_rows_ || first + count < decoded_) throw std::logic_error("JPEG rows asked out of order");
  DecodeThrough(first + count - 1);
  for (int k = 0; k < count; ++k) rows[k] = Slot(first + k);
}

// Rows a ring slot at a time, as many per call as libjpeg gives; rows the
// data no longer covers stay zero, as in a whole decode.
void JpegRowStream::DecodeThrough(int last_row) {
  try {
    std::uint8_t* rows[16];
    while (decoded_ <= last_row) {
      const int n = std::min(16, last_row + 1 - decoded_);
      for (int i = 0; i < n; ++i) rows[i] = Slot(decoded_ + i);
      const int read = ended_ ? 0 : reader_.ReadRows(rows, n);
      if (read == 0) {
        ended_ = true;
        std::fill_n(rows[0], stride_, std::uint8_t{0});
      }
      const int made = std::max(read, 1);
      if (observer_)
        for (int i = 0; i < made; ++i) observer_(decoded_ + i, rows[i]);
      decoded_ += made;
    }
  } catch (const codecs::EJPEG& e) {
    throw JpegFailure(e);
  }
}

void JpegRowStream::Finish() {
  if (ring_rows_ == 0) {
    ring_rows_ = 1;
    ring_.assign(stride_, 0);
  }
  DecodeThrough(height_ - 1);
  try {
    if (!ended_) reader_.Finish();
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
