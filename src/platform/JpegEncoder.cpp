#include "platform/JpegEncoder.h"

#include <cstdlib>

#include "platform/JpegError.h"

namespace plendo::platform {
namespace {

// Compresses `bgr` (24-bit) into the memory buffer libjpeg allocates. Kept free
// of objects with destructors between setjmp and the last libjpeg call.
void Compress(const Bitmap& bgr, const JpegEncodeOptions& options, std::vector<std::uint8_t>& rgb_row,
              std::vector<std::uint8_t>& out) {
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
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, options.quality, TRUE);
  if (options.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    const std::uint8_t* src = bgr.Row(static_cast<int>(cinfo.next_scanline));
    for (int x = 0; x < bgr.Width(); ++x) {
      rgb_row[x * 3] = src[x * 3 + 2];
      rgb_row[x * 3 + 1] = src[x * 3 + 1];
      rgb_row[x * 3 + 2] = src[x * 3];
    }
    JSAMPROW row = rgb_row.data();
    jpeg_write_scanlines(&cinfo, &row, 1);
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
  std::vector<std::uint8_t> rgb_row(static_cast<std::size_t>(bgr.Width()) * 3);
  Compress(bgr, options, rgb_row, out);
  return out;
}

}  // namespace plendo::platform
