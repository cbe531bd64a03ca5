#include "codecs/PngEncoder.h"

#include <csetjmp>
#include <cstring>
#include <memory>

#include <png.h>

#include "platform/Language.h"

namespace plendo::codecs {
namespace {

constexpr const char* kEncodeFailed = PLENDO_TEXT("Engine", "PNG に変換できません");

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

// libpng's errors longjmp back to Write(); its warnings are dropped.
void OnWarning(png_structp, png_const_charp) {}

struct PngWriter {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~PngWriter() { png_destroy_write_struct(&png, &info); }
};

// Everything libpng touches after setjmp lives in the caller, so that a jump
// leaves no object half destroyed.
bool Write(PngWriter& w, const platform::Bitmap& bitmap, const PhotoEncodeOptions& options,
           const std::vector<std::uint8_t>& pixels, bool alpha, std::vector<std::uint8_t>& out) {
  if (setjmp(png_jmpbuf(w.png))) return false;
  png_set_write_fn(w.png, &out, AppendBytes, NoFlush);
  png_set_IHDR(w.png, w.info, static_cast<png_uint_32>(bitmap.Width()), static_cast<png_uint_32>(bitmap.Height()), 8,
               alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!options.icc_profile.empty())
    png_set_iCCP(w.png, w.info, "ICC Profile", PNG_COMPRESSION_TYPE_BASE, options.icc_profile.data(),
                 static_cast<png_uint_32>(options.icc_profile.size()));
  if (!options.exif.empty())
    png_set_eXIf_1(w.png, w.info, static_cast<png_uint_32>(options.exif.size()),
                   const_cast<png_bytep>(options.exif.data()));
  png_write_info(w.png, w.info);
  const std::size_t row_bytes = static_cast<std::size_t>(bitmap.Width()) * (alpha ? 4 : 3);
  for (int y = 0; y < bitmap.Height(); ++y)
    png_write_row(w.png, pixels.data() + row_bytes * static_cast<std::size_t>(y));
  png_write_end(w.png, nullptr);
  return true;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const platform::Bitmap& bitmap, const PhotoEncodeOptions& options) {
  if (bitmap.Empty()) return {};
  const bool alpha = HasTransparency(bitmap);
  const std::vector<std::uint8_t> pixels = PackedRgb(bitmap, alpha);
  PngWriter w;
  w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, OnWarning);
  if (w.png) w.info = png_create_info_struct(w.png);
  if (!w.png || !w.info) throw EncodeError(kEncodeFailed);
  std::vector<std::uint8_t> out;
  if (!Write(w, bitmap, options, pixels, alpha, out)) throw EncodeError(kEncodeFailed);
  return out;
}

}  // namespace plendo::codecs
