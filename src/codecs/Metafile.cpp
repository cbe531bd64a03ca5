#include "codecs/Metafile.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "codecs/ByteReader.h"
#include "codecs/EmfPlayer.h"
#include "codecs/MetafileCanvas.h"
#include "codecs/WmfPlayer.h"
#include "platform/CallFree.h"

namespace plendo::codecs {
namespace {

using namespace metafile;

// Output is drawn in tiles: cairo's image surfaces stop at 32767 pixels a
// side, and a tile bounds the extra memory a large output takes.
constexpr int kTile = 2048;

constexpr std::int64_t kMaxNaturalSide = 65500;

// A flood fill spreads over what is drawn, which a tile holds only part of:
// a picture with flood fills is drawn in one piece up to this many pixels.
constexpr std::int64_t kOnePiece = std::int64_t{1} << 24;
constexpr int kMaxSurfaceSide = 32767;

bool IsEmf(std::span<const std::uint8_t> b) {
  return b.size() >= 44 && ReadU32LE(b, 0) == 1 && ReadU32LE(b, 40) == 0x464D4520;
}

struct Parsed {
  bool emf = false;
  bool emf_plus = false;  // EMF+ records in its comments
  EmfHeader emf_header;
  WmfHeader wmf_header;
};

Parsed Parse(std::span<const std::uint8_t> bytes) {
  Parsed p;
  p.emf = IsEmf(bytes);
  if (p.emf) p.emf_header = ParseEmfHeader(bytes), p.emf_plus = HasEmfPlus(bytes);
  else p.wmf_header = ParseWmfHeader(bytes);
  return p;
}

// For drawing: the view of a WMF too.
Parsed ParseForDrawing(std::span<const std::uint8_t> bytes) {
  Parsed p = Parse(bytes);
  if (!p.emf) FitWmfToDrawing(bytes, p.wmf_header);
  return p;
}

bool HasFloodFill(std::span<const std::uint8_t> bytes, const Parsed& p) {
  constexpr std::uint32_t kEmfEof = 14, kEmfFloodFill = 53;
  constexpr std::uint16_t kWmfFloodFill = 0x0419, kWmfExtFloodFill = 0x0548;
  std::size_t at = p.emf ? 0 : p.wmf_header.records_at;
  while (bytes.size() - at >= 8) {
    const std::uint64_t size = p.emf ? ReadU32LE(bytes, at + 4) : std::uint64_t{ReadU32LE(bytes, at)} * 2;
    if (size < 6 || size > bytes.size() - at) return false;
    if (p.emf) {
      const std::uint32_t type = ReadU32LE(bytes, at);
      if (type == kEmfFloodFill) return true;
      if (type == kEmfEof) return false;
    } else {
      const std::uint16_t function = ReadU16LE(bytes, at + 4);
      if (function == kWmfFloodFill || function == kWmfExtFloodFill) return true;
      if (function == 0) return false;
    }
    at += static_cast<std::size_t>(size);
  }
  return false;
}

int Side(double v) {
  const double r = std::round(v);
  if (!(r >= 1)) return 1;
  return static_cast<int>(std::min<double>(r, kMaxNaturalSide));
}

MetafileSize NaturalSize(const Parsed& p) {
  if (p.emf) return {Side(p.emf_header.FrameWidth() * 96 / 2540), Side(p.emf_header.FrameHeight() * 96 / 2540)};
  const WmfHeader& h = p.wmf_header;
  const double w = std::abs(h.right - h.left), hh = std::abs(h.bottom - h.top);
  if (h.placeable) return {Side(w * 96 / h.units_per_inch), Side(hh * 96 / h.units_per_inch)};
  return {Side(w), Side(hh)};
}

double PatternScale(const Parsed& p, double width) {
  if (!p.emf) return 1;
  return std::max(width / (p.emf_header.FrameWidth() * p.emf_header.DevicePerMmX() / 100), 1e-3);
}

PlayResult Play(std::span<const std::uint8_t> bytes, const Parsed& p, cairo_surface_t* surface, int x0, int y0,
                double width, double height, EmfMode mode, int depth) {
  std::unique_ptr<cairo_t, platform::CallFree<cairo_destroy>> cr(cairo_create(surface));
  MetafileCanvas canvas(cr.get(), x0, y0, PatternScale(p, width));
  return p.emf ? PlayEmf(bytes, p.emf_header, canvas, width, height, mode, depth)
               : PlayWmf(bytes, p.wmf_header, canvas, width, height);
}

// A file with EMF+ records is drawn from them. When they break before the
// picture is whole, or draw nothing, its GDI records draw it instead if they
// draw anything; else what the EMF+ records drew stands. `restart` puts the
// tile back as it was before a try.
template <class Restart>
PlayResult PlayChosen(std::span<const std::uint8_t> bytes, const Parsed& p, cairo_surface_t* surface, int x0,
                      int y0, double width, double height, int depth, Restart restart,
                      MetafileRecords records = MetafileRecords::Chosen) {
  if (!p.emf_plus || records == MetafileRecords::Gdi)
    return Play(bytes, p, surface, x0, y0, width, height, EmfMode::Gdi, depth);
  if (records == MetafileRecords::EmfPlus) return Play(bytes, p, surface, x0, y0, width, height, EmfMode::Plus, depth);
  const PlayResult plus = Play(bytes, p, surface, x0, y0, width, height, EmfMode::Plus, depth);
  if (plus.drew && !plus.plus_broken) return plus;
  restart();
  const PlayResult gdi = Play(bytes, p, surface, x0, y0, width, height, EmfMode::Gdi, depth);
  if (gdi.drew || !plus.drew) return gdi;
  restart();
  return Play(bytes, p, surface, x0, y0, width, height, EmfMode::Plus, depth);
}

// One tile of the target: copied into a cairo surface, drawn, copied back.
PlayResult DrawTile(std::span<const std::uint8_t> bytes, const Parsed& p, platform::Bitmap& target, int x0, int y0,
                    int w, int h, double width, double height, MetafileRecords records = MetafileRecords::Chosen) {
  std::unique_ptr<cairo_surface_t, platform::CallFree<cairo_surface_destroy>> surface(
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) throw std::bad_alloc();
  unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  const int bpp = target.Format() == platform::PixelFormat::Bgra32 ? 4 : 3;
  const auto copy_in = [&] {
    cairo_surface_flush(surface.get());
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* in = target.Row(y0 + y) + static_cast<std::size_t>(x0) * bpp;
      auto* out = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
      for (int x = 0; x < w; ++x)
        out[x] = 0xFF000000u | std::uint32_t{in[bpp * x + 2]} << 16 | std::uint32_t{in[bpp * x + 1]} << 8 | in[bpp * x];
    }
    cairo_surface_mark_dirty(surface.get());
  };
  copy_in();
  const PlayResult result = PlayChosen(bytes, p, surface.get(), x0, y0, width, height, 0, copy_in, records);
  cairo_surface_flush(surface.get());
  for (int y = 0; y < h; ++y) {
    std::uint8_t* out = target.Row(y0 + y) + static_cast<std::size_t>(x0) * bpp;
    const auto* in = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
    for (int x = 0; x < w; ++x) {
      out[bpp * x] = static_cast<std::uint8_t>(in[x]);
      out[bpp * x + 1] = static_cast<std::uint8_t>(in[x] >> 8);
      out[bpp * x + 2] = static_cast<std::uint8_t>(in[x] >> 16);
    }
  }
  return result;
}

void Judge(const PlayResult& r) {
  if (r.emf_plus && !r.drew) throw MetafileError("neither the EMF+ nor the GDI records draw anything");
  if (r.broken && !r.drew) throw MetafileError("metafile broken before anything was drawn");
}

}  // namespace

namespace metafile {

SurfacePtr DrawNestedMetafile(std::span<const std::uint8_t> bytes, int width, int height, int depth) {
  if (!LooksLikeMetafile(bytes) || width <= 0 || height <= 0) return nullptr;
  try {
    const Parsed p = ParseForDrawing(bytes);
    SurfacePtr surface = AdoptSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    const auto clear = [&] {
      std::unique_ptr<cairo_t, platform::CallFree<cairo_destroy>> cr(cairo_create(surface.get()));
      cairo_set_operator(cr.get(), CAIRO_OPERATOR_CLEAR);
      cairo_paint(cr.get());
    };
    const PlayResult r = PlayChosen(bytes, p, surface.get(), 0, 0, width, height, depth, clear);
    return r.drew ? surface : nullptr;
  } catch (const MetafileError&) {
    return nullptr;
  }
}

}  // namespace metafile

bool LooksLikeMetafile(std::span<const std::uint8_t> b) {
  if (IsEmf(b)) return true;
  if (b.size() >= 4 && ReadU32LE(b, 0) == 0x9AC6CDD7) return true;
  return b.size() >= 4 && (ReadU16LE(b, 0) == 1 || ReadU16LE(b, 0) == 2) && ReadU16LE(b, 2) == 9;
}

MetafileSize ReadMetafileSize(std::span<const std::uint8_t> bytes) { return NaturalSize(Parse(bytes)); }

void DrawMetafile(std::span<const std::uint8_t> bytes, platform::Bitmap& target, double width, double height,
                  MetafileRecords records) {
  const Parsed p = ParseForDrawing(bytes);
  if (target.Empty() || !(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height)) return;
  if (target.Format() != platform::PixelFormat::Bgr24 && target.Format() != platform::PixelFormat::Bgra32)
    throw MetafileError("metafiles draw into 24- or 32-bit bitmaps");
  int tile_w = kTile, tile_h = kTile;
  if (std::int64_t{target.Width()} * target.Height() <= kOnePiece && target.Width() <= kMaxSurfaceSide &&
      target.Height() <= kMaxSurfaceSide && HasFloodFill(bytes, p))
    tile_w = target.Width(), tile_h = target.Height();
  bool first = true;
  for (int y0 = 0; y0 < target.Height(); y0 += tile_h) {
    for (int x0 = 0; x0 < target.Width(); x0 += tile_w) {
      const int w = std::min(tile_w, target.Width() - x0), h = std::min(tile_h, target.Height() - y0);
      const PlayResult r = DrawTile(bytes, p, target, x0, y0, w, h, width, height, records);
      // Every tile plays the same records; the first one judges the file.
      if (first) Judge(r);
      first = false;
    }
  }
}

MetafileSize InspectMetafile(std::span<const std::uint8_t> bytes) {
  const Parsed p = ParseForDrawing(bytes);
  const MetafileSize size = NaturalSize(p);
  const double fit = 64.0 / std::max(size.width, size.height);
  const double w = std::max(1.0, size.width * std::min(fit, 1.0)), h = std::max(1.0, size.height * std::min(fit, 1.0));
  platform::Bitmap trial(static_cast<int>(std::ceil(w)), static_cast<int>(std::ceil(h)), platform::PixelFormat::Bgr24);
  trial.Fill(0xFF);
  Judge(DrawTile(bytes, p, trial, 0, 0, trial.Width(), trial.Height(), w, h));
  return size;
}

}  // namespace plendo::codecs
