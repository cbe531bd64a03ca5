#include "imaging/JpegDecoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "imaging/DecodeError.h"
#include "platform/JpegError.h"

namespace plendo::imaging {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

struct DecompressGuard {
  jpeg_decompress_struct* cinfo;
  ~DecompressGuard() { jpeg_destroy_decompress(cinfo); }
};

// Ink values to BGR. Adobe applications store CMYK inverted (0 = full ink),
// and their files carry the Adobe marker; YCCK comes only from them.
void CmykRowToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, int width, bool inverted) {
  for (int x = 0; x < width; ++x) {
    const std::uint8_t* p = cmyk + 4 * x;
    int c = p[0], m = p[1], y = p[2], k = p[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    // Now each is 255 - ink: the light left after that ink.
    bgr[3 * x] = static_cast<std::uint8_t>((y * k + 127) / 255);
    bgr[3 * x + 1] = static_cast<std::uint8_t>((m * k + 127) / 255);
    bgr[3 * x + 2] = static_cast<std::uint8_t>((c * k + 127) / 255);
  }
}

void ReadRows(jpeg_decompress_struct& cinfo, Bitmap& out) {
  const bool cmyk = cinfo.out_color_space == JCS_CMYK;
  std::vector<std::uint8_t> ink;
  if (cmyk) ink.resize(static_cast<std::size_t>(cinfo.output_width) * 4);
  while (cinfo.output_scanline < cinfo.output_height) {
    const int y = static_cast<int>(cinfo.output_scanline);
    if (cmyk) {
      JSAMPROW row = ink.data();
      if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) break;
      CmykRowToBgr(ink.data(), out.Row(y), out.Width(), cinfo.saw_Adobe_marker);
    } else {
      // Straight into the bitmap's rows, several at a time.
      JSAMPROW rows[16];
      const int n = std::min<int>(16, out.Height() - y);
      for (int i = 0; i < n; ++i) rows[i] = out.Row(y + i);
      if (jpeg_read_scanlines(&cinfo, rows, static_cast<JDIMENSION>(n)) == 0) break;
    }
  }
}

DecodeError JpegFailure(const platform::JpegErrorManager& err) {
  return DecodeError("JPEG: " + platform::EJPEG(err.code).Message());
}

// Called after the caller's setjmp: a libjpeg error jumps back there.
void ReadHeader(jpeg_decompress_struct& cinfo, std::span<const std::uint8_t> bytes) {
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
}

}  // namespace

JpegSize ReadJpegSize(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) throw DecodeError("JPEG: empty");
  jpeg_decompress_struct cinfo{};
  platform::JpegErrorManager err;
  cinfo.err = platform::InstallJpegErrorManager(err);
  jpeg_create_decompress(&cinfo);
  DecompressGuard guard{&cinfo};
  if (setjmp(err.jump)) throw JpegFailure(err);
  ReadHeader(cinfo, bytes);
  return {static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height)};
}

Bitmap DecodeJpeg(std::span<const std::uint8_t> bytes, int scale_denominator) {
  if (scale_denominator != 1 && scale_denominator != 2 && scale_denominator != 4 && scale_denominator != 8)
    throw std::invalid_argument("JPEG scale denominator must be 1, 2, 4 or 8");
  if (bytes.empty()) throw DecodeError("JPEG: empty");
  jpeg_decompress_struct cinfo{};
  platform::JpegErrorManager err;
  cinfo.err = platform::InstallJpegErrorManager(err);
  jpeg_create_decompress(&cinfo);
  DecompressGuard guard{&cinfo};
  // The result lives on the heap so that no automatic variable changes
  // between setjmp and a longjmp.
  const auto out = std::make_unique<Bitmap>();
  if (setjmp(err.jump)) throw JpegFailure(err);

  // Progressive files keep every coefficient in memory; without a backing
  // store, libjpeg stops with an error when this budget would be passed.
  cinfo.mem->max_memory_to_use = static_cast<long>(Bitmap::kMaxBytes);
  ReadHeader(cinfo, bytes);
  cinfo.scale_num = 1;
  cinfo.scale_denom = static_cast<unsigned int>(scale_denominator);
  switch (cinfo.jpeg_color_space) {
    case JCS_CMYK:
    case JCS_YCCK:
      cinfo.out_color_space = JCS_CMYK;
      break;
    default:
      cinfo.out_color_space = JCS_EXT_BGR;
      break;
  }
  jpeg_calc_output_dimensions(&cinfo);
  const auto width = static_cast<int>(cinfo.output_width);
  const auto height = static_cast<int>(cinfo.output_height);
  const std::size_t stride = Bitmap::StrideFor(width, PixelFormat::Bgr24);
  if (stride == 0 || stride > Bitmap::kMaxBytes / static_cast<std::size_t>(height))
    throw DecodeError("JPEG: picture too large");
  *out = Bitmap(width, height, PixelFormat::Bgr24);
  jpeg_start_decompress(&cinfo);
  ReadRows(cinfo, *out);
  jpeg_finish_decompress(&cinfo);
  return std::move(*out);
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
