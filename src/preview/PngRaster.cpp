#include "preview/PngRaster.h"

#include <algorithm>
#include <cstring>

namespace plendo::preview {
namespace {

using platform::PixelFormat;

unsigned Channels(std::uint8_t colour_type) {
  switch (colour_type) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
  }
}

PixelFormat StoredFormat(const PngHeader& h) {
  if (h.colour_type == 2 || h.colour_type == 6) return PixelFormat::Bgr24;
  switch (h.bit_depth) {
    case 1: return PixelFormat::Indexed1;
    case 2:
    case 4: return PixelFormat::Indexed4;
    default: return PixelFormat::Indexed8;
  }
}

// Sample i of a row packed at `depth` bits (1, 2 or 4), most significant first.
unsigned PackedSample(const std::uint8_t* row, std::uint32_t i, unsigned depth) {
  const std::size_t bit = std::size_t{i} * depth;
  return (row[bit >> 3] >> (8 - depth - (bit & 7))) & ((1u << depth) - 1);
}

void PutPacked(std::uint8_t* row, int x, unsigned bits, unsigned value) {
  const std::size_t bit = static_cast<std::size_t>(x) * bits;
  const unsigned shift = 8 - bits - (bit & 7);
  const unsigned mask = ((1u << bits) - 1) << shift;
  std::uint8_t& byte = row[bit >> 3];
  byte = static_cast<std::uint8_t>((byte & ~mask) | ((value << shift) & mask));
}

}  // namespace

unsigned PngBitsPerPixel(const PngHeader& h) { return Channels(h.colour_type) * h.bit_depth; }

unsigned PngFilterOffset(const PngHeader& h) {
  const unsigned bytes = PngBitsPerPixel(h) / 8;
  return bytes == 0 ? 1 : bytes;
}

PngRaster PngRaster::For(const PngHeader& h) {
  PngRaster r;
  r.header = h;
  const int w = static_cast<int>(h.width), height = static_cast<int>(h.height);
  r.pixels = platform::Bitmap(w, height, StoredFormat(h));
  const std::size_t pixels = std::size_t{h.width} * h.height;
  if (h.colour_type == 4 || h.colour_type == 6) r.alpha.assign(pixels, 0);
  if (h.bit_depth == 16) r.low.assign(r.pixels.Stride() * h.height, 0);
  return r;
}

void PngRaster::SetColourKey(const std::array<std::uint8_t, 6>& key) {
  if (header.colour_type != 2) return;
  colour_key = key;
  keyed.assign(std::size_t{header.width} * header.height, 0);
}

bool PngRaster::StoreRowAsIs(const std::uint8_t* samples, int y) {
  const std::uint8_t depth = header.bit_depth;
  if ((header.colour_type != 0 && header.colour_type != 3) || depth == 2 || depth == 16) return false;
  std::memcpy(pixels.Row(y), samples, (std::size_t{header.width} * depth + 7) / 8);
  return true;
}

bool PngRaster::StoreTruecolourRow(const std::uint8_t* samples, int y, const PngGamma& g) {
  const std::uint8_t type = header.colour_type;
  if ((type != 2 && type != 6) || header.bit_depth != 8 || colour_key) return false;
  const std::size_t width = header.width;
  std::uint8_t* row = pixels.Row(y);
  if (type == 2) {
    for (std::size_t x = 0; x < width; ++x, samples += 3) {
      row[3 * x] = g[samples[2]];
      row[3 * x + 1] = g[samples[1]];
      row[3 * x + 2] = g[samples[0]];
    }
    return true;
  }
  std::uint8_t* a = alpha.data() + static_cast<std::size_t>(y) * width;
  for (std::size_t x = 0; x < width; ++x, samples += 4) {
    row[3 * x] = g[samples[2]];
    row[3 * x + 1] = g[samples[1]];
    row[3 * x + 2] = g[samples[0]];
    a[x] = samples[3];
  }
  return true;
}

void PngRaster::StorePixel(const std::uint8_t* s, std::uint32_t i, int x, int y, const PngGamma& g) {
  std::uint8_t* row = pixels.Row(y);
  std::uint8_t* low_row = low.empty() ? nullptr : low.data() + pixels.Stride() * static_cast<std::size_t>(y);
  const std::size_t at = static_cast<std::size_t>(y) * header.width + static_cast<std::size_t>(x);
  const std::uint8_t depth = header.bit_depth;
  switch (header.colour_type) {
    case 0:
    case 3:
      if (depth == 16) {
        row[x] = s[2 * i];
        low_row[x] = s[2 * i + 1];
      } else if (depth == 8) {
        row[x] = s[i];
      } else {
        const unsigned v = PackedSample(s, i, depth);
        const bool grey_two_bits = header.colour_type == 0 && depth == 2;
        PutPacked(row, x, depth == 2 ? 4 : depth, grey_two_bits ? 5 * v : v);
      }
      break;
    case 2:
    case 6: {
      const unsigned step = (header.colour_type == 2 ? 3u : 4u) * (depth / 8);
      const std::uint8_t* p = s + std::size_t{i} * step;
      const unsigned sample = depth / 8;  // bytes per sample
      for (unsigned c = 0; c < 3; ++c) {
        row[3 * x + 2 - c] = g[p[c * sample]];
        if (depth == 16) low_row[3 * x + 2 - c] = g[p[c * sample + 1]];
      }
      if (header.colour_type == 6) alpha[at] = p[3 * sample];
      if (colour_key) {
        const auto& k = *colour_key;
        keyed[at] = depth == 16 ? std::equal(k.begin(), k.end(), p)
                                : p[0] == k[1] && p[1] == k[3] && p[2] == k[5];
      }
      break;
    }
    case 4: {
      const unsigned sample = depth / 8;
      const std::uint8_t* p = s + std::size_t{i} * 2 * sample;
      row[x] = p[0];
      if (depth == 16) low_row[x] = p[1];
      alpha[at] = p[sample];
      break;
    }
    default:
      break;
  }
}

unsigned PngRaster::IndexAt(int x, int y) const {
  const std::uint8_t* row = pixels.Row(y);
  switch (pixels.Format()) {
    case PixelFormat::Indexed1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case PixelFormat::Indexed4: return (row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F;
    case PixelFormat::Indexed8: return row[x];
    default: return 0;
  }
}

}  // namespace plendo::preview
