#include "support/TestImages.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <fstream>
#include <map>
#include <stdexcept>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include "codecs/JpegError.h"
#include "support/TestFiles.h"

namespace plendo::test {
namespace {

using platform::PixelFormat;

void Put16(Bytes& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void Patch32(Bytes& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool HasAlpha(const Bitmap& b) { return b.Format() == PixelFormat::Bgra32; }

// The picture's distinct colours (alpha below 128 counts as one "transparent"
// entry, returned separately), in order of first appearance.
struct Palette {
  std::vector<Rgba> colours;
  int transparent = -1;  // index of the transparent entry, if any
  std::vector<int> index;  // per pixel, row by row
};

Palette MakePalette(const Bitmap& b, std::size_t max_colours) {
  Palette p;
  std::map<std::uint32_t, int> seen;
  p.index.reserve(static_cast<std::size_t>(b.Width()) * b.Height());
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      Rgba c = b.PixelAt(x, y);
      const bool clear = c.a < 128;
      const std::uint32_t key = clear ? 0xFFFFFFFFu : (c.r << 16 | c.g << 8 | c.b);
      auto it = seen.find(key);
      if (it == seen.end()) {
        if (p.colours.size() >= max_colours) throw std::runtime_error("too many colours for a palette");
        it = seen.emplace(key, static_cast<int>(p.colours.size())).first;
        p.colours.push_back(clear ? Rgba{0, 0, 0, 0} : Rgba{c.r, c.g, c.b, 255});
        if (clear) p.transparent = it->second;
      }
      p.index.push_back(it->second);
    }
  return p;
}

// ---- JPEG

struct CompressGuard {
  jpeg_compress_struct* c;
  ~CompressGuard() { jpeg_destroy_compress(c); }
};

void CmykFromRgb(const Rgba& c, bool inverted, std::uint8_t* out) {
  const int ci = 255 - c.r, mi = 255 - c.g, yi = 255 - c.b;
  const int k = std::min({ci, mi, yi});
  const int d = 255 - k;
  int ink[4] = {d ? (ci - k) * 255 / d : 0, d ? (mi - k) * 255 / d : 0, d ? (yi - k) * 255 / d : 0, k};
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(inverted ? 255 - ink[i] : ink[i]);
}

}  // namespace

Bitmap MakeFlat(int width, int height, Rgba colour, PixelFormat format) {
  Bitmap b(width, height, format);
  const int bpp = format == PixelFormat::Bgra32 ? 4 : 3;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = b.Row(y);
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = row + bpp * x;
      p[0] = colour.b, p[1] = colour.g, p[2] = colour.r;
      if (bpp == 4) p[3] = colour.a;
    }
  }
  return b;
}

Bitmap MakeGradient(int width, int height, bool with_alpha) {
  Bitmap b(width, height, with_alpha ? PixelFormat::Bgra32 : PixelFormat::Bgr24);
  const int bpp = with_alpha ? 4 : 3;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = b.Row(y);
    for (int x = 0; x < width; ++x) {
      const int r = width > 1 ? x * 255 / (width - 1) : 128;
      const int g = height > 1 ? y * 255 / (height - 1) : 128;
      std::uint8_t* p = row + bpp * x;
      p[0] = static_cast<std::uint8_t>((r + g) / 2);
      p[1] = static_cast<std::uint8_t>(g);
      p[2] = static_cast<std::uint8_t>(r);
      if (with_alpha) p[3] = static_cast<std::uint8_t>(255 - r);
    }
  }
  return b;
}

Bitmap MakeCheckerboard(int width, int height, int cell, Rgba a, Rgba b) {
  Bitmap out(width, height, PixelFormat::Bgr24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgba& c = ((x / cell + y / cell) % 2 == 0) ? a : b;
      std::uint8_t* p = out.Row(y) + 3 * x;
      p[0] = c.b, p[1] = c.g, p[2] = c.r;
    }
  return out;
}

Bitmap MakePatches(int width, int height) {
  static const Rgba kColours[] = {{200, 30, 30, 255}, {30, 160, 40, 255}, {40, 60, 210, 255},
                                  {230, 220, 60, 255}, {250, 250, 250, 255}, {20, 20, 20, 255}};
  Bitmap out(width, height, PixelFormat::Bgr24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgba& c = kColours[(x * 3 / std::max(width, 1)) + 3 * (y * 2 / std::max(height, 1))];
      std::uint8_t* p = out.Row(y) + 3 * x;
      p[0] = c.b, p[1] = c.g, p[2] = c.r;
    }
  return out;
}

int MaxChannelDifference(const Bitmap& a, const Bitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
  const bool alpha = HasAlpha(a) && HasAlpha(b);
  int worst = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const Rgba p = a.PixelAt(x, y), q = b.PixelAt(x, y);
      worst = std::max({worst, std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b),
                        alpha ? std::abs(p.a - q.a) : 0});
    }
  return worst;
}

double MeanChannelDifference(const Bitmap& a, const Bitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const Rgba p = a.PixelAt(x, y), q = b.PixelAt(x, y);
      sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
    }
  return a.Empty() ? 0 : sum / (3.0 * a.Width() * a.Height());
}

Bytes WriteJpeg(const Bitmap& bitmap, const JpegOptions& options) {
  jpeg_compress_struct cinfo{};
  codecs::JpegErrorManager err;
  cinfo.err = codecs::InstallJpegErrorManager(err);
  jpeg_create_compress(&cinfo);
  CompressGuard guard{&cinfo};
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(bitmap.Width()) * 4);
  if (setjmp(err.jump)) {
    std::free(buffer);
    throw codecs::EJPEG(err.code);
  }
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(bitmap.Width());
  cinfo.image_height = static_cast<JDIMENSION>(bitmap.Height());
  cinfo.input_components = options.grey ? 1 : options.cmyk ? 4 : 3;
  cinfo.in_color_space = options.grey ? JCS_GRAYSCALE : options.cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  if (options.cmyk && !options.inverted) cinfo.write_Adobe_marker = FALSE;
  jpeg_set_quality(&cinfo, options.quality, TRUE);
  if (options.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  if (!options.icc_profile.empty())
    jpeg_write_icc_profile(&cinfo, options.icc_profile.data(), static_cast<unsigned>(options.icc_profile.size()));
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < bitmap.Width(); ++x) {
      const Rgba c = bitmap.PixelAt(x, y);
      if (options.grey) {
        row[x] = c.g;
      } else if (options.cmyk) {
        CmykFromRgb(c, options.inverted, &row[4 * x]);
      } else {
        row[3 * x] = c.r, row[3 * x + 1] = c.g, row[3 * x + 2] = c.b;
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

// ---- PNG

namespace {

void PngWrite(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void PngFlush(png_structp) {}
[[noreturn]] void PngFail(png_structp png, png_const_charp) { png_longjmp(png, 1); }

struct PngWriteGuard {
  png_structp png;
  png_infop info;
  ~PngWriteGuard() { png_destroy_write_struct(&png, &info); }
};

struct PngPlan {
  int width, height, colour_type, depth, interlace;
  png_color palette[256];
  int palette_size;
  png_byte trns[256];
  int trns_size;
  png_bytep* rows;
  const Bytes* icc_profile;
};

bool PngEncode(png_structp png, png_infop info, const PngPlan* plan) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, plan->width, plan->height, plan->depth, plan->colour_type, plan->interlace,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (plan->icc_profile && !plan->icc_profile->empty())
    png_set_iCCP(png, info, "test", PNG_COMPRESSION_TYPE_BASE, plan->icc_profile->data(),
                 static_cast<png_uint_32>(plan->icc_profile->size()));
  if (plan->colour_type == PNG_COLOR_TYPE_PALETTE) {
    png_set_PLTE(png, info, plan->palette, plan->palette_size);
    if (plan->trns_size > 0) png_set_tRNS(png, info, plan->trns, plan->trns_size, nullptr);
  }
  png_write_info(png, info);
  png_write_image(png, plan->rows);
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

Bytes WritePng(const Bitmap& bitmap, const PngOptions& options) {
  const int w = bitmap.Width(), h = bitmap.Height();
  const bool alpha = options.alpha && HasAlpha(bitmap);
  PngPlan plan{};
  plan.width = w;
  plan.height = h;
  plan.depth = options.bit_depth;
  plan.interlace = options.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE;
  const int bytes_per_sample = options.bit_depth == 16 ? 2 : 1;
  std::vector<std::vector<png_byte>> rows(h);
  if (options.palette) {
    plan.colour_type = PNG_COLOR_TYPE_PALETTE;
    const Palette pal = MakePalette(bitmap, std::size_t{1} << options.bit_depth);
    plan.palette_size = static_cast<int>(pal.colours.size());
    for (int i = 0; i < plan.palette_size; ++i) {
      plan.palette[i] = {pal.colours[i].r, pal.colours[i].g, pal.colours[i].b};
      plan.trns[i] = pal.colours[i].a;
    }
    plan.trns_size = pal.transparent >= 0 ? plan.palette_size : 0;
    for (int y = 0; y < h; ++y) {
      rows[y].assign((static_cast<std::size_t>(w) * options.bit_depth + 7) / 8, 0);
      for (int x = 0; x < w; ++x) {
        const int v = pal.index[static_cast<std::size_t>(y) * w + x];
        const int bit = x * options.bit_depth;
        rows[y][bit / 8] |= static_cast<png_byte>(v << (8 - options.bit_depth - bit % 8));
      }
    }
  } else {
    const int channels = (options.grey ? 1 : 3) + (alpha ? 1 : 0);
    plan.colour_type = options.grey ? (alpha ? PNG_COLOR_TYPE_GRAY_ALPHA : PNG_COLOR_TYPE_GRAY)
                                    : (alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB);
    for (int y = 0; y < h; ++y) {
      rows[y].resize(static_cast<std::size_t>(w) * channels * bytes_per_sample);
      png_byte* out = rows[y].data();
      for (int x = 0; x < w; ++x) {
        const Rgba c = bitmap.PixelAt(x, y);
        std::uint8_t samples[4];
        int n = 0;
        if (options.grey) {
          samples[n++] = c.g;
        } else {
          samples[n++] = c.r, samples[n++] = c.g, samples[n++] = c.b;
        }
        if (alpha) samples[n++] = c.a;
        for (int i = 0; i < n; ++i) {
          if (bytes_per_sample == 2) {
            *out++ = samples[i];  // v * 257: the high and low bytes are equal
            *out++ = samples[i];
          } else {
            *out++ = samples[i];
          }
        }
      }
    }
  }
  std::vector<png_bytep> row_pointers(h);
  for (int y = 0; y < h; ++y) row_pointers[y] = rows[y].data();
  plan.rows = row_pointers.data();
  plan.icc_profile = &options.icc_profile;

  Bytes out;
  PngWriteGuard guard{png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFail, nullptr), nullptr};
  guard.info = png_create_info_struct(guard.png);
  png_set_write_fn(guard.png, &out, PngWrite, PngFlush);
  if (!PngEncode(guard.png, guard.info, &plan)) throw std::runtime_error("PNG encoding failed");
  return out;
}

// ---- GIF

namespace {

int GifWrite(GifFileType* gif, const GifByteType* data, int length) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + length);
  return length;
}

}  // namespace

Bytes WriteGif(const Bitmap& bitmap, const GifOptions& options) {
  const Palette pal = MakePalette(bitmap, 256);
  int size = 2;
  while (size < static_cast<int>(pal.colours.size())) size *= 2;
  ColorMapObject* map = GifMakeMapObject(size, nullptr);
  for (int i = 0; i < static_cast<int>(pal.colours.size()); ++i)
    map->Colors[i] = {pal.colours[i].r, pal.colours[i].g, pal.colours[i].b};

  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, GifWrite, &error);
  if (!gif) throw std::runtime_error("EGifOpen failed");
  EGifSetGifVersion(gif, true);
  const int w = bitmap.Width(), h = bitmap.Height();
  const int sw = options.screen_width ? options.screen_width : w;
  const int sh = options.screen_height ? options.screen_height : h;
  EGifPutScreenDesc(gif, sw, sh, 8, 0, map);
  for (int frame = 0; frame < options.frames; ++frame) {
    GraphicsControlBlock gcb{};
    gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
    gcb.DelayTime = 10;
    gcb.TransparentColor = frame == 0 ? pal.transparent : NO_TRANSPARENT_COLOR;
    GifByteType ext[4];
    const std::size_t len = EGifGCBToExtension(&gcb, ext);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(len), ext);
    EGifPutImageDesc(gif, options.left, options.top, w, h, options.interlaced, nullptr);
    std::vector<GifPixelType> line(w);
    std::vector<int> order;
    if (options.interlaced) {
      const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < h; y += step[pass]) order.push_back(y);
    } else {
      for (int y = 0; y < h; ++y) order.push_back(y);
    }
    for (int y : order) {
      for (int x = 0; x < w; ++x)
        line[x] = frame == 0 ? static_cast<GifPixelType>(pal.index[static_cast<std::size_t>(y) * w + x]) : 0;
      EGifPutLine(gif, line.data(), w);
    }
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

// ---- TIFF

namespace {

struct MemoryFile {
  Bytes data;
  toff_t pos = 0;
};

tsize_t TiffRead(thandle_t h, tdata_t buf, tsize_t size) {
  auto* f = static_cast<MemoryFile*>(h);
  const toff_t n = std::min<toff_t>(static_cast<toff_t>(size), f->pos < f->data.size() ? f->data.size() - f->pos : 0);
  std::memcpy(buf, f->data.data() + f->pos, n);
  f->pos += n;
  return static_cast<tsize_t>(n);
}
tsize_t TiffWrite(thandle_t h, tdata_t buf, tsize_t size) {
  auto* f = static_cast<MemoryFile*>(h);
  if (f->pos + size > f->data.size()) f->data.resize(f->pos + size);
  std::memcpy(f->data.data() + f->pos, buf, static_cast<std::size_t>(size));
  f->pos += size;
  return size;
}
toff_t TiffSeek(thandle_t h, toff_t off, int whence) {
  auto* f = static_cast<MemoryFile*>(h);
  if (whence == SEEK_SET) f->pos = off;
  else if (whence == SEEK_CUR) f->pos += off;
  else f->pos = f->data.size() + off;
  return f->pos;
}
int TiffClose(thandle_t) { return 0; }
toff_t TiffSize(thandle_t h) { return static_cast<MemoryFile*>(h)->data.size(); }
int TiffMap(thandle_t, tdata_t*, toff_t*) { return 0; }
void TiffUnmap(thandle_t, tdata_t, toff_t) {}

// Samples of one pixel for the kind, and how many.
int TiffSamples(TiffKind kind, const Rgba& c, const Palette* pal, std::size_t i, std::uint8_t* s) {
  switch (kind) {
    case TiffKind::Rgb:
    case TiffKind::YCbCrJpeg:
    case TiffKind::Lab:
    case TiffKind::IccLab: s[0] = c.r, s[1] = c.g, s[2] = c.b; return 3;
    case TiffKind::RgbAlpha: s[0] = c.r, s[1] = c.g, s[2] = c.b, s[3] = c.a; return 4;
    case TiffKind::Grey: s[0] = c.g; return 1;
    case TiffKind::Palette: s[0] = static_cast<std::uint8_t>(pal->index[i]); return 1;
    case TiffKind::Cmyk: CmykFromRgb(c, false, s); return 4;
    case TiffKind::Bilevel: s[0] = c.g >= 128 ? 1 : 0; return 1;
  }
  return 0;
}

void WriteTiffPage(TIFF* tif, const Bitmap& bitmap, const TiffOptions& o) {
  const int w = bitmap.Width(), h = bitmap.Height();
  Palette pal;
  if (o.kind == TiffKind::Palette) pal = MakePalette(bitmap, 256);
  std::uint8_t probe[4];
  const int spp = TiffSamples(o.kind, Rgba{}, &pal, 0, probe);
  const int bits = o.kind == TiffKind::Bilevel ? 1 : 8;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spp);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  if (!o.icc_profile.empty())
    TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<std::uint32_t>(o.icc_profile.size()), o.icc_profile.data());
  if (o.orientation != 0) TIFFSetField(tif, TIFFTAG_ORIENTATION, o.orientation);
  switch (o.kind) {
    case TiffKind::Lab: TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_CIELAB); break;
    case TiffKind::IccLab: TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_ICCLAB); break;
    case TiffKind::Rgb: TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB); break;
    case TiffKind::RgbAlpha: {
      TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
      const std::uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
      TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
      break;
    }
    case TiffKind::Grey: TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK); break;
    case TiffKind::Bilevel: TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK); break;
    case TiffKind::Palette: {
      TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
      std::vector<std::uint16_t> r(256), g(256), b(256);
      for (std::size_t i = 0; i < pal.colours.size(); ++i)
        r[i] = pal.colours[i].r * 257, g[i] = pal.colours[i].g * 257, b[i] = pal.colours[i].b * 257;
      TIFFSetField(tif, TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
      break;
    }
    case TiffKind::Cmyk:
      TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED);
      TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
      break;
    case TiffKind::YCbCrJpeg:
      TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
      TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
      TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
      TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 95);
      break;
  }
  if (o.kind != TiffKind::YCbCrJpeg)
    TIFFSetField(tif, TIFFTAG_COMPRESSION, o.compressed ? COMPRESSION_ADOBE_DEFLATE : COMPRESSION_NONE);

  // Packed rows of the whole picture.
  const std::size_t row_bytes = (static_cast<std::size_t>(w) * spp * bits + 7) / 8;
  std::vector<std::uint8_t> rows(row_bytes * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t s[4];
      const std::size_t i = static_cast<std::size_t>(y) * w + x;
      const int n = TiffSamples(o.kind, bitmap.PixelAt(x, y), &pal, i, s);
      if (bits == 1) {
        if (s[0]) rows[y * row_bytes + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      } else {
        std::memcpy(&rows[y * row_bytes + static_cast<std::size_t>(x) * n], s, n);
      }
    }

  if (o.tiled && bits == 8) {
    const int tile = 16;
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, tile);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, tile);
    std::vector<std::uint8_t> buf(static_cast<std::size_t>(tile) * tile * spp);
    for (int ty = 0; ty < h; ty += tile)
      for (int tx = 0; tx < w; tx += tile) {
        std::fill(buf.begin(), buf.end(), 0);
        for (int y = 0; y < tile && ty + y < h; ++y)
          for (int x = 0; x < tile && tx + x < w; ++x)
            std::memcpy(&buf[(static_cast<std::size_t>(y) * tile + x) * spp],
                        &rows[(ty + y) * row_bytes + static_cast<std::size_t>(tx + x) * spp], spp);
        TIFFWriteTile(tif, buf.data(), tx, ty, 0, 0);
      }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, o.kind == TiffKind::YCbCrJpeg ? 16 : 8);
    for (int y = 0; y < h; ++y) TIFFWriteScanline(tif, &rows[y * row_bytes], y, 0);
  }
}

}  // namespace

Bytes WriteTiff(const Bitmap& bitmap, const TiffOptions& options) {
  MemoryFile file;
  TIFF* tif = TIFFClientOpen("memory", "w", &file, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize, TiffMap,
                             TiffUnmap);
  if (!tif) throw std::runtime_error("TIFFClientOpen failed");
  for (int page = 0; page < options.pages; ++page) {
    if (page == 0) {
      WriteTiffPage(tif, bitmap, options);
    } else {
      WriteTiffPage(tif, MakeFlat(bitmap.Width(), bitmap.Height(), Rgba{0, 0, 0, 255}), options);
    }
    TIFFWriteDirectory(tif);
  }
  TIFFClose(tif);
  return file.data;
}

// ---- BMP, by hand

namespace {

// BITMAPINFOHEADER (40 bytes) or the V5 header (124) with bit-field masks.
void PutInfoHeader(Bytes& out, int w, int h, int bits, std::uint32_t compression, int colours, bool v5) {
  Put32(out, v5 ? 124 : 40);
  Put32(out, static_cast<std::uint32_t>(w));
  Put32(out, static_cast<std::uint32_t>(h));
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(bits));
  Put32(out, compression);
  Put32(out, 0);  // image size: may be 0 for uncompressed
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, static_cast<std::uint32_t>(colours));
  Put32(out, 0);
  if (v5) {
    Put32(out, 0x00FF0000);
    Put32(out, 0x0000FF00);
    Put32(out, 0x000000FF);
    Put32(out, 0xFF000000);
    Put32(out, 0x73524742);  // 'sRGB'
    for (int i = 0; i < 12; ++i) Put32(out, 0);  // endpoints, gamma
    Put32(out, 4);  // intent
    Put32(out, 0), Put32(out, 0), Put32(out, 0);
  }
}

std::size_t BmpStride(int w, int bits) { return ((static_cast<std::size_t>(w) * bits + 31) / 32) * 4; }

// Colour rows bottom-up (or top-down), palette indices taken from `pal`.
void PutPixelRows(Bytes& out, const Bitmap& b, int bits, const Palette& pal, bool top_down, bool v5_alpha) {
  const int w = b.Width(), h = b.Height();
  const std::size_t stride = BmpStride(w, bits);
  for (int r = 0; r < h; ++r) {
    const int y = top_down ? r : h - 1 - r;
    Bytes row(stride, 0);
    for (int x = 0; x < w; ++x) {
      const Rgba c = b.PixelAt(x, y);
      switch (bits) {
        case 1:
        case 4:
        case 8: {
          const int v = pal.index[static_cast<std::size_t>(y) * w + x];
          const int bit = x * bits;
          row[bit / 8] |= static_cast<std::uint8_t>(v << (8 - bits - bit % 8));
          break;
        }
        case 16: {
          const unsigned v = (c.r >> 3) << 10 | (c.g >> 3) << 5 | (c.b >> 3);
          row[2 * x] = static_cast<std::uint8_t>(v), row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
          break;
        }
        case 24: row[3 * x] = c.b, row[3 * x + 1] = c.g, row[3 * x + 2] = c.r; break;
        case 32:
          row[4 * x] = c.b, row[4 * x + 1] = c.g, row[4 * x + 2] = c.r, row[4 * x + 3] = v5_alpha ? c.a : 0;
          break;
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
}

// Runs of equal indices, no more than 255 pixels each; end of line after
// every row, end of bitmap at the end.
void PutRle(Bytes& out, const Bitmap& b, int bits, const Palette& pal) {
  const int w = b.Width(), h = b.Height();
  for (int y = h - 1; y >= 0; --y) {
    int x = 0;
    while (x < w) {
      const int v = pal.index[static_cast<std::size_t>(y) * w + x];
      int n = 1;
      while (x + n < w && n < 255 && pal.index[static_cast<std::size_t>(y) * w + x + n] == v) ++n;
      out.push_back(static_cast<std::uint8_t>(n));
      out.push_back(static_cast<std::uint8_t>(bits == 4 ? (v << 4 | v) : v));
      x += n;
    }
    out.push_back(0), out.push_back(0);
  }
  out.push_back(0), out.push_back(1);
}

}  // namespace

Bytes WriteBmp(const Bitmap& bitmap, const BmpOptions& o) {
  const int w = bitmap.Width(), h = bitmap.Height();
  Palette pal;
  if (o.bits <= 8) pal = MakePalette(bitmap, std::size_t{1} << o.bits);
  const int colours = o.bits <= 8 ? static_cast<int>(pal.colours.size()) : 0;
  Bytes out{'B', 'M'};
  Put32(out, 0);  // file size, patched below
  Put32(out, 0);
  Put32(out, 0);  // pixel offset, patched below
  if (o.os2) {
    Put32(out, 12);
    Put16(out, static_cast<unsigned>(w));
    Put16(out, static_cast<unsigned>(h));
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(o.bits));
    // OS/2 1.x palettes have exactly 2^bits entries of three bytes.
    if (o.bits <= 8)
      for (int i = 0; i < (1 << o.bits); ++i) {
        const Rgba c = i < colours ? pal.colours[i] : Rgba{};
        out.push_back(c.b), out.push_back(c.g), out.push_back(c.r);
      }
  } else {
    const bool v5 = o.bits == 32 && o.v5_alpha;
    const std::uint32_t compression = o.rle ? (o.bits == 8 ? 1 : 2) : v5 ? 3 : 0;
    PutInfoHeader(out, w, o.top_down ? -h : h, o.bits, compression, colours, v5);
    for (int i = 0; i < colours; ++i) {
      const Rgba c = pal.colours[i];
      out.push_back(c.b), out.push_back(c.g), out.push_back(c.r), out.push_back(0);
    }
  }
  Patch32(out, 10, static_cast<std::uint32_t>(out.size()));
  if (o.rle)
    PutRle(out, bitmap, o.bits, pal);
  else
    PutPixelRows(out, bitmap, o.bits, pal, o.top_down, o.v5_alpha);
  Patch32(out, 2, static_cast<std::uint32_t>(out.size()));
  return out;
}

Bytes WriteIco(const std::vector<IcoEntry>& entries) {
  std::vector<Bytes> images;
  for (const IcoEntry& e : entries) {
    const Bitmap& b = *e.bitmap;
    if (e.png) {
      images.push_back(WritePng(b, e.png_options));
      continue;
    }
    const int w = b.Width(), h = b.Height();
    Palette pal;
    if (e.bits <= 8) pal = MakePalette(b, std::size_t{1} << e.bits);
    const int colours = e.bits <= 8 ? (1 << e.bits) : 0;
    Bytes dib;
    const bool v5 = !e.icc_profile.empty();
    PutInfoHeader(dib, w, 2 * h, e.bits, 0, 0, v5);
    for (int i = 0; i < colours; ++i) {
      const Rgba c = i < static_cast<int>(pal.colours.size()) ? pal.colours[i] : Rgba{};
      dib.push_back(c.b), dib.push_back(c.g), dib.push_back(c.r), dib.push_back(0);
    }
    PutPixelRows(dib, b, e.bits, pal, false, true);
    if (v5) {
      Patch32(dib, 56, 0x4D424544);  // 'MBED': embedded profile
      Patch32(dib, 112, static_cast<std::uint32_t>(dib.size()));
      Patch32(dib, 116, static_cast<std::uint32_t>(e.icc_profile.size()));
      dib.insert(dib.end(), e.icc_profile.begin(), e.icc_profile.end());
    }
    const std::size_t mask_stride = BmpStride(w, 1);
    for (int y = h - 1; y >= 0 && e.and_mask; --y) {
      Bytes row(mask_stride, 0);
      for (int x = 0; x < w; ++x)
        if (b.PixelAt(x, y).a < 128) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      dib.insert(dib.end(), row.begin(), row.end());
    }
    images.push_back(std::move(dib));
  }
  Bytes out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(entries.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Bitmap& b = *entries[i].bitmap;
    out.push_back(static_cast<std::uint8_t>(b.Width() >= 256 ? 0 : b.Width()));
    out.push_back(static_cast<std::uint8_t>(b.Height() >= 256 ? 0 : b.Height()));
    out.push_back(0);
    out.push_back(0);
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(entries[i].bits));
    Put32(out, static_cast<std::uint32_t>(images[i].size()));
    Put32(out, offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const Bytes& image : images) out.insert(out.end(), image.begin(), image.end());
  return out;
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) { WriteBytes(path, bytes); }

}  // namespace plendo::test
