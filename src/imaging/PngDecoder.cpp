#include "imaging/PngDecoder.h"

#include <csetjmp>

#include <png.h>

#include "imaging/DecodeError.h"
#include "imaging/MemoryInput.h"

namespace plendo::imaging {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

// libpng reports errors by longjmp to png_jmpbuf. Each step that calls into
// libpng is a small function of its own with setjmp and only plain locals, so
// a jump never skips a C++ destructor.

void ReadFromMemory(png_structp png, png_bytep out, size_t length) {
  auto* in = static_cast<MemoryInput*>(png_get_io_ptr(png));
  if (length > in->Remaining()) png_error(png, "data cut off");
  in->Read(out, length);
}

[[noreturn]] void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}  // libpng would print them on stderr

struct ReadStruct {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~ReadStruct() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

struct Layout {
  png_uint_32 width;
  png_uint_32 height;
  int channels;  // 3 (BGR) or 4 (BGRA) after the transformations
  int passes;    // 7 for Adam7, each pass filling in the rows it touches
};

// Reads the chunks before the image data and asks for 8-bit BGR(A) rows.
bool ReadHeader(png_structp png, png_infop info, Layout* layout) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  const int colour = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colour == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_scale_16(png);
  if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  layout->passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  layout->width = png_get_image_width(png, info);
  layout->height = png_get_image_height(png, info);
  layout->channels = png_get_channels(png, info);
  return true;
}

// Row by row into the bitmap (no table of row pointers); every pass of an
// interlaced file merges its pixels into the rows already there.
bool ReadImage(png_structp png, const Layout* layout, std::uint8_t* first_row, std::size_t stride) {
  if (setjmp(png_jmpbuf(png))) return false;
  for (int pass = 0; pass < layout->passes; ++pass)
    for (png_uint_32 y = 0; y < layout->height; ++y) png_read_row(png, first_row + y * stride, nullptr);
  return true;
}

}  // namespace

Bitmap DecodePng(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) throw DecodeError("PNG: bad signature");
  ReadStruct rs;
  rs.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (!rs.png) throw DecodeError("PNG: out of memory");
  rs.info = png_create_info_struct(rs.png);
  if (!rs.info) throw DecodeError("PNG: out of memory");
  MemoryInput input{bytes.data(), bytes.size()};
  png_set_read_fn(rs.png, &input, ReadFromMemory);
  // Our own pixel limit applies below; libpng's default caps width and height
  // at one million, which a long panorama may pass.
  png_set_user_limits(rs.png, 0x7FFFFFFF, 0x7FFFFFFF);

  Layout layout{};
  if (!ReadHeader(rs.png, rs.info, &layout)) throw DecodeError("PNG: damaged header");
  if (layout.channels != 3 && layout.channels != 4) throw DecodeError("PNG: unexpected layout");
  if (layout.width > 0x7FFFFFFF || layout.height > 0x7FFFFFFF) throw DecodeError("PNG: picture too large");
  // Bitmap refuses buffers above its limit before allocating anything.
  Bitmap out(static_cast<int>(layout.width), static_cast<int>(layout.height),
             layout.channels == 4 ? PixelFormat::Bgra32 : PixelFormat::Bgr24);
  if (!ReadImage(rs.png, &layout, out.Row(0), out.Stride())) throw DecodeError("PNG: damaged image data");
  return out;
}

}  // namespace plendo::imaging
