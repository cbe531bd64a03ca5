#include "codecs/MetafileDib.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "codecs/BmpReader.h"
#include "codecs/ByteReader.h"

namespace plendo::codecs::metafile {
namespace {

using Bytes = std::span<const std::uint8_t>;

// The bytes of the header and palette of a packed DIB, or 0 when unknown.
std::size_t InfoBytes(Bytes packed) {
  if (packed.size() < 16) return 0;
  const std::uint32_t header = ReadU32LE(packed, 0);
  if (header == 12) {
    const unsigned bpp = ReadU16LE(packed, 10);
    return 12 + (bpp <= 8 ? 3u << bpp : 0u);
  }
  if (header < 40 || header > 124 || packed.size() < 40) return 0;
  const unsigned bpp = ReadU16LE(packed, 14);
  const std::uint32_t compression = ReadU32LE(packed, 16);
  std::uint64_t colours = ReadU32LE(packed, 32);
  if (colours == 0 && bpp <= 8) colours = 1u << bpp;
  if (colours > 256 && bpp <= 8) colours = 256;
  std::uint64_t size = header + 4 * colours;
  if (header == 40 && compression == 3) size += 12;
  if (header == 40 && compression == 6) size += 16;
  return size <= packed.size() ? static_cast<std::size_t>(size) : 0;
}

SurfacePtr ToSurface(const platform::Bitmap& bmp, bool with_alpha) {
  SurfacePtr s = AdoptSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bmp.Width(), bmp.Height()));
  if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_flush(s.get());
  unsigned char* data = cairo_image_surface_get_data(s.get());
  const int stride = cairo_image_surface_get_stride(s.get());
  const bool bgra = bmp.Format() == platform::PixelFormat::Bgra32;
  for (int y = 0; y < bmp.Height(); ++y) {
    const std::uint8_t* in = bmp.Row(y);
    auto* out = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
    for (int x = 0; x < bmp.Width(); ++x) {
      std::uint32_t b, g, r, a = 255;
      if (bgra) {
        b = in[4 * x], g = in[4 * x + 1], r = in[4 * x + 2];
        if (with_alpha) a = in[4 * x + 3];
      } else {
        b = in[3 * x], g = in[3 * x + 1], r = in[3 * x + 2];
      }
      r = r * a / 255, g = g * a / 255, b = b * a / 255;  // cairo wants premultiplied
      out[x] = a << 24 | r << 16 | g << 8 | b;
    }
  }
  cairo_surface_mark_dirty(s.get());
  return s;
}

// 32-bit BI_RGB rows with their fourth byte taken as straight alpha.
SurfacePtr AlphaSurface(Bytes info, Bytes bits) {
  DibSummary d;
  if (!ReadDibSummary(info, d) || d.bits_per_pixel != 32 || ReadU32LE(info, 16) != 0) return nullptr;
  const int w = d.width, h = d.height < 0 ? -d.height : d.height;
  if (w <= 0 || h <= 0 || std::int64_t{w} * h > kMaxDibPixels) return nullptr;
  if (bits.size() / (std::size_t{4} * w) < static_cast<std::size_t>(h)) return nullptr;
  platform::Bitmap bmp(w, h, platform::PixelFormat::Bgra32);
  for (int y = 0; y < h; ++y) {
    const int src_row = d.height < 0 ? y : h - 1 - y;
    std::memcpy(bmp.Row(y), bits.data() + static_cast<std::size_t>(src_row) * 4 * w, std::size_t{4} * w);
  }
  // A bitmap whose alpha is 0 everywhere was written without alpha.
  bool any = false;
  for (int y = 0; y < h && !any; ++y)
    for (int x = 0; x < w && !any; ++x) any = bmp.Row(y)[4 * x + 3] != 0;
  return ToSurface(bmp, any);
}

}  // namespace

SurfacePtr DibSurface(Bytes info, Bytes bits, bool with_alpha) {
  DibSummary d;
  if (!ReadDibSummary(info, d)) return nullptr;
  const std::int64_t h = d.height < 0 ? -std::int64_t{d.height} : d.height;
  if (d.width <= 0 || h <= 0 || d.width * h > kMaxDibPixels) return nullptr;
  try {
    if (with_alpha) {
      if (SurfacePtr s = AlphaSurface(info, bits)) return s;
    }
    // A .bmp file in memory: file header, then the info block, then the rows.
    std::vector<std::uint8_t> file(14 + info.size() + bits.size());
    const std::size_t total = file.size(), offset = 14 + info.size();
    file[0] = 'B', file[1] = 'M';
    for (int i = 0; i < 4; ++i) {
      file[2 + i] = static_cast<std::uint8_t>(total >> (8 * i));
      file[10 + i] = static_cast<std::uint8_t>(offset >> (8 * i));
    }
    std::copy(info.begin(), info.end(), file.begin() + 14);
    std::copy(bits.begin(), bits.end(), file.begin() + static_cast<std::ptrdiff_t>(offset));
    return ToSurface(DecodeBmp(file), false);
  } catch (...) {
    return nullptr;
  }
}

SurfacePtr PackedDibSurface(Bytes packed) {
  const std::size_t info = InfoBytes(packed);
  if (info == 0) return nullptr;
  return DibSurface(packed.first(info), packed.subspan(info));
}

SurfacePtr Bitmap16Surface(Bytes b) {
  if (b.size() < 10) return nullptr;
  const int w = static_cast<std::int16_t>(ReadU16LE(b, 2)), h = static_cast<std::int16_t>(ReadU16LE(b, 4));
  const int width_bytes = ReadU16LE(b, 6);
  const int planes = b[8], bpp = b[9];
  if (w <= 0 || h <= 0 || planes != 1 || (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)) return nullptr;
  if (std::int64_t{w} * h > kMaxDibPixels) return nullptr;
  if (width_bytes <= 0) return nullptr;
  // Some writers keep the old 4-byte bits pointer after the header, most do
  // not; the rows follow the pointer only when there is room for them there.
  // Some give rows padded to 4 bytes in the header and store them padded to
  // 2.
  const std::size_t rows_high = static_cast<std::size_t>(h);
  std::size_t stride = static_cast<std::size_t>(width_bytes);
  const std::size_t packed = (static_cast<std::size_t>(w) * bpp + 15) / 16 * 2;
  if (b.size() - 10 < stride * rows_high && packed < stride) stride = packed;
  const std::size_t data_at = b.size() >= 14 && b.size() - 14 >= stride * rows_high ? 14 : 10;
  const Bytes rows = b.subspan(data_at);
  if (rows.size() / stride < rows_high) return nullptr;
  if (std::int64_t{w} * bpp > std::int64_t(stride) * 8) return nullptr;
  try {
    platform::Bitmap bmp(w, h, platform::PixelFormat::Bgr24);
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* in = rows.data() + static_cast<std::size_t>(y) * stride;
      std::uint8_t* out = bmp.Row(y);
      for (int x = 0; x < w; ++x) {
        std::uint8_t v[3];
        if (bpp == 1) {
          const std::uint8_t c = (in[x / 8] >> (7 - x % 8)) & 1 ? 255 : 0;
          v[0] = v[1] = v[2] = c;
        } else if (bpp == 4 || bpp == 8) {
          // No palette travels with it: grey.
          v[0] = v[1] = v[2] = bpp == 8 ? in[x] : static_cast<std::uint8_t>(((in[x / 2] >> (x % 2 ? 0 : 4)) & 15) * 17);
        } else if (bpp == 16) {
          const unsigned p = in[2 * x] | in[2 * x + 1] << 8;  // 5-5-5
          v[0] = static_cast<std::uint8_t>((p & 31) * 255 / 31), v[1] = static_cast<std::uint8_t>((p >> 5 & 31) * 255 / 31);
          v[2] = static_cast<std::uint8_t>((p >> 10 & 31) * 255 / 31);
        } else {
          const int n = bpp / 8;
          v[0] = in[n * x], v[1] = in[n * x + 1], v[2] = in[n * x + 2];
        }
        std::memcpy(out + 3 * x, v, 3);
      }
    }
    return ToSurface(bmp, false);
  } catch (...) {
    return nullptr;
  }
}

}  // namespace plendo::codecs::metafile
