#include "codecs/JpegEncoder.h"

#include <algorithm>
#include <cstdlib>

#include "codecs/JpegError.h"

namespace plendo::codecs {

using platform::Bitmap;
using platform::PixelFormat;
namespace {

// Compresses `bgr` (24-bit) into the memory buffer libjpeg allocates. The
// rows go in as they are stored, blue first: libjpeg converts them to YCbCr
// as it would red-first rows, so the stream is the same without a copy. Kept
// free of objects with destructors between setjmp and the last libjpeg call.
void Compress(const Bitmap& bgr, const JpegEncodeOptions& options, std::vector<std::uint8_t>& out) {
  jpeg_compress_struct cinfo{};
  JpegErrorManager err;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  cinfo.err = InstallJpegErrorManager(err);
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    throw EJPEG(err.code);
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(bgr.Width());
  cinfo.image_height = static_cast<JDIMENSION>(bgr.Height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, options.quality, TRUE);
  if (options.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  // Enough rows per call for a whole band of 2x2-subsampled blocks.
  constexpr int kBatch = 16;
  JSAMPROW rows[kBatch];
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    const int n = std::min(kBatch, bgr.Height() - y);
    // libjpeg only reads input rows; its row type is just not const.
    for (int i = 0; i < n; ++i) rows[i] = const_cast<JSAMPROW>(bgr.Row(y + i));
    jpeg_write_scanlines(&cinfo, rows, static_cast<JDIMENSION>(n));
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  out.assign(buffer, buffer + size);
  std::free(buffer);
}

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const Bitmap& bitmap, const JpegEncodeOptions& options) {
  std::vector<std::uint8_t> out;
  if (bitmap.Empty()) return out;
  const Bitmap converted = bitmap.Format() == PixelFormat::Bgr24 ? Bitmap() : ConvertToBgr24(bitmap);
  const Bitmap& bgr = bitmap.Format() == PixelFormat::Bgr24 ? bitmap : converted;
  Compress(bgr, options, out);
  return out;
}

}  // namespace plendo::codecs
