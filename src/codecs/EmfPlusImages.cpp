#include "codecs/EmfPlusImages.h"

#include <cairo.h>

#include <algorithm>
#include <vector>

#include "codecs/JpegReader.h"
#include "codecs/MetafileDib.h"

namespace plendo::codecs::metafile::plus {
namespace {

using Bytes = std::span<const std::uint8_t>;

SurfacePtr NewSurface(int w, int h) {
  if (w <= 0 || h <= 0 || std::int64_t{w} * h > kMaxDibPixels) return nullptr;
  SurfacePtr s = AdoptSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
  if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  return s;
}

// Pixel formats: bits per pixel in bits 8-15; the others mark indexed,
// alpha and premultiplied forms.
enum PixelFormat : std::uint32_t {
  k1Indexed = 0x00030101, k4Indexed = 0x00030402, k8Indexed = 0x00030803, k16Rgb555 = 0x00021005,
  k16Rgb565 = 0x00021006, k16Argb1555 = 0x00061007, k24Rgb = 0x00021808, k32Rgb = 0x00022009,
  k32Argb = 0x0026200A, k32Pargb = 0x000E200B,
};

std::uint32_t Premultiply(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return a << 24 | (r * a + 127) / 255 << 16 | (g * a + 127) / 255 << 8 | (b * a + 127) / 255;
}

// Raw rows, top row first, after a palette (u32 flags, u32 count, ARGB[])
// for the indexed formats.
SurfacePtr RowsSurface(const RecordBytes& r, int w, int h, int stride, std::uint32_t format) {
  std::size_t at = 0;
  std::vector<std::uint32_t> palette;
  if (format == k1Indexed || format == k4Indexed || format == k8Indexed) {
    const std::uint32_t count = r.U32(4);
    if (count > 256 || r.CountFits(8, 4) < count) return nullptr;
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint32_t c = r.U32(8 + 4 * i);
      palette.push_back(Premultiply(c >> 24, c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF));
    }
    at = 8 + 4 * std::size_t{count};
  }
  const int bpp = static_cast<int>(format >> 8 & 0xFF);
  if (stride <= 0 || std::int64_t{w} * bpp > std::int64_t{stride} * 8) return nullptr;
  if (r.CountFits(at, static_cast<std::size_t>(stride)) < static_cast<std::size_t>(h)) return nullptr;
  SurfacePtr s = NewSurface(w, h);
  if (!s) return nullptr;
  unsigned char* data = cairo_image_surface_get_data(s.get());
  const int out_stride = cairo_image_surface_get_stride(s.get());
  for (int y = 0; y < h; ++y) {
    const Bytes row = r.Sub(at + static_cast<std::size_t>(y) * stride, static_cast<std::size_t>(stride));
    auto* out = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * out_stride);
    for (int x = 0; x < w; ++x) {
      std::uint32_t px = 0;
      switch (format) {
        case k1Indexed: case k4Indexed: case k8Indexed: {
          const int bit = x * bpp;
          const unsigned index = row[bit / 8] >> (8 - bpp - bit % 8) & ((1u << bpp) - 1);
          px = index < palette.size() ? palette[index] : 0xFF000000u;
          break;
        }
        case k16Rgb555: case k16Rgb565: case k16Argb1555: {
          const unsigned v = row[2 * x] | row[2 * x + 1] << 8;
          const bool six = format == k16Rgb565;
          const unsigned red = six ? v >> 11 : v >> 10 & 0x1F, green = six ? v >> 5 & 0x3F : v >> 5 & 0x1F;
          const unsigned blue = v & 0x1F;
          const unsigned alpha = format == k16Argb1555 ? (v & 0x8000 ? 255 : 0) : 255;
          px = Premultiply(alpha, red * 255 / 31, six ? green * 255 / 63 : green * 255 / 31, blue * 255 / 31);
          break;
        }
        case k24Rgb: px = 0xFF000000u | row[3 * x + 2] << 16 | row[3 * x + 1] << 8 | row[3 * x]; break;
        case k32Rgb: px = 0xFF000000u | row[4 * x + 2] << 16 | row[4 * x + 1] << 8 | row[4 * x]; break;
        case k32Argb: px = Premultiply(row[4 * x + 3], row[4 * x + 2], row[4 * x + 1], row[4 * x]); break;
        case k32Pargb: {
          const unsigned a = row[4 * x + 3];
          px = a << 24 | std::min<unsigned>(row[4 * x + 2], a) << 16 | std::min<unsigned>(row[4 * x + 1], a) << 8 |
               std::min<unsigned>(row[4 * x], a);
          break;
        }
        default: return nullptr;
      }
      out[x] = px;
    }
  }
  cairo_surface_mark_dirty(s.get());
  return s;
}

struct PngSource {
  Bytes bytes;
  std::size_t at = 0;
};

cairo_status_t ReadPng(void* closure, unsigned char* data, unsigned int length) {
  auto* src = static_cast<PngSource*>(closure);
  if (length > src->bytes.size() - src->at) return CAIRO_STATUS_READ_ERROR;
  std::copy_n(src->bytes.begin() + static_cast<std::ptrdiff_t>(src->at), length, data);
  src->at += length;
  return CAIRO_STATUS_SUCCESS;
}

SurfacePtr PngSurface(Bytes b) {
  // The size in IHDR is checked before cairo allocates for it.
  if (b.size() < 24) return nullptr;
  const auto be32 = [&](std::size_t at) {
    return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 | std::uint32_t{b[at + 2]} << 8 | b[at + 3];
  };
  const std::uint32_t w = be32(16), h = be32(20);
  if (w == 0 || h == 0 || w > (1u << 24) || h > (1u << 24) || std::int64_t{w} * h > kMaxDibPixels) return nullptr;
  PngSource src{b};
  SurfacePtr s = AdoptSurface(cairo_image_surface_create_from_png_stream(ReadPng, &src));
  if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  return s;
}

SurfacePtr JpegSurface(Bytes b) {
  try {
    JpegReader reader(b);
    reader.Prepare();
    const int w = static_cast<int>(reader.Info().output_width), h = static_cast<int>(reader.Info().output_height);
    SurfacePtr s = NewSurface(w, h);
    if (!s) return nullptr;
    reader.Start();
    std::vector<std::uint8_t> row(static_cast<std::size_t>(w) * 3);
    unsigned char* data = cairo_image_surface_get_data(s.get());
    const int stride = cairo_image_surface_get_stride(s.get());
    std::uint8_t* rows[1] = {row.data()};
    for (int y = 0; y < h && reader.ReadRows(rows, 1) == 1; ++y) {
      auto* out = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
      for (int x = 0; x < w; ++x)
        out[x] = 0xFF000000u | std::uint32_t{row[3 * x + 2]} << 16 | std::uint32_t{row[3 * x + 1]} << 8 | row[3 * x];
    }
    cairo_surface_mark_dirty(s.get());
    return s;
  } catch (...) {
    return nullptr;
  }
}

SurfacePtr FileSurface(Bytes b) {
  if (b.size() >= 8 && b[0] == 0x89 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G') return PngSurface(b);
  if (b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return JpegSurface(b);
  if (b.size() >= 14 && b[0] == 'B' && b[1] == 'M') return PackedDibSurface(b.subspan(14));
  return nullptr;  // GIF, TIFF and the others are not found in the files we know
}

}  // namespace

SurfacePtr BitmapSurface(const RecordBytes& r) {
  const std::int32_t w = r.I32(0), h = r.I32(4), stride = r.I32(8);
  const std::uint32_t format = r.U32(12), type = r.U32(16);
  if (type == 1) return FileSurface(r.From(20).Span());
  if (type != 0 || w <= 0 || h <= 0 || std::int64_t{w} * h > kMaxDibPixels) return nullptr;
  return RowsSurface(r.From(20), w, h, stride, format);
}

}  // namespace plendo::codecs::metafile::plus
