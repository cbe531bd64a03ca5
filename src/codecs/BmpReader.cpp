#include "codecs/BmpReader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstring>
#include <vector>

#include "codecs/ByteReader.h"

namespace plendo::codecs {

using platform::Bitmap;
using platform::PixelFormat;
using platform::Rgba;
namespace {

using Bytes = std::span<const std::uint8_t>;

enum Compression : std::uint32_t {
  kRgb = 0,
  kRle8 = 1,
  kRle4 = 2,
  kBitFields = 3,
  kAlphaBitFields = 6,
};

std::int32_t I32(Bytes b, std::size_t at) { return static_cast<std::int32_t>(ReadU32LE(b, at)); }

[[noreturn]] void Fail(const char* why) { throw BmpError(std::string("BMP: ") + why); }

struct DibHeader {
  std::uint32_t size = 0;
  int width = 0;
  int height = 0;  // rows as stored, always positive
  bool top_down = false;
  int bpp = 0;
  std::uint32_t compression = kRgb;
  std::uint32_t colors_used = 0;
  bool core = false;          // OS/2 1.x: 3-byte palette entries
  std::array<std::uint32_t, 4> masks{};  // red, green, blue, alpha
  std::size_t palette_at = 0;  // offset of the palette within the DIB
};

// Header layouts, little-endian:
//   OS/2 1.x (12 bytes): u32 size, u16 width, u16 height, u16 planes, u16 bpp
//   others (16..124):    u32 size, i32 width, i32 height (negative: top-down),
//                        u16 planes, u16 bpp, u32 compression, u32 image size,
//                        i32 x/m, i32 y/m, u32 colours used, u32 important,
//                        (52+) u32 red, green, blue masks, (56+) u32 alpha mask
// OS/2 2.x headers may stop early; the missing fields read as 0. With a
// 40-byte header, bit-field masks follow the header instead.
DibHeader ParseDibHeader(Bytes dib, bool icon) {
  if (dib.size() < 4) Fail("header cut off");
  DibHeader h;
  h.size = ReadU32LE(dib, 0);
  if (h.size != 12 && (h.size < 16 || h.size > 1024)) Fail("unknown header size");
  if (dib.size() < h.size) Fail("header cut off");
  long long height = 0;
  if (h.size == 12) {
    h.core = true;
    h.width = ReadU16LE(dib, 4);
    height = ReadU16LE(dib, 6);
    h.bpp = ReadU16LE(dib, 10);
  } else {
    std::array<std::uint8_t, 64> padded{};  // an OS/2 2.x header may be as short as 16 bytes
    std::memcpy(padded.data(), dib.data(), std::min<std::size_t>(h.size, padded.size()));
    const Bytes f(padded);
    h.width = I32(f, 4);
    height = I32(f, 8);
    h.bpp = ReadU16LE(f, 14);
    h.compression = ReadU32LE(f, 16);
    h.colors_used = ReadU32LE(f, 32);
    const bool windows = h.size == 40 || h.size == 52 || h.size == 56 || h.size == 108 || h.size == 124;
    // OS/2 2.x numbers its own compressions 3 (Huffman) and 4 (RLE24).
    if (!windows && h.compression >= 3) Fail("unsupported OS/2 compression");
    if (h.size >= 52) {
      for (int i = 0; i < 3; ++i) h.masks[i] = ReadU32LE(f, 40 + 4 * i);
      if (h.size >= 56) h.masks[3] = ReadU32LE(f, 52);
    }
  }
  if (icon) height /= 2;
  if (height < 0) {
    h.top_down = true;
    height = -height;
  }
  if (h.width <= 0 || height <= 0 || height > INT_MAX) Fail("bad size");
  h.height = static_cast<int>(height);
  h.palette_at = h.size;

  switch (h.compression) {
    case kRgb:
      if (h.bpp != 1 && h.bpp != 2 && h.bpp != 4 && h.bpp != 8 && h.bpp != 16 && h.bpp != 24 && h.bpp != 32)
        Fail("bad bit count");
      // Bit fields are meaningful only with the compressions that name them.
      h.masks = {};
      if (h.bpp == 16) h.masks = {0x7C00, 0x03E0, 0x001F, 0};
      if (h.bpp == 32) h.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
      break;
    case kRle8:
    case kRle4:
      if (h.bpp != (h.compression == kRle8 ? 8 : 4)) Fail("bad bit count for RLE");
      if (h.top_down) Fail("top-down RLE");
      break;
    case kBitFields:
    case kAlphaBitFields:
      if (h.bpp != 16 && h.bpp != 32) Fail("bad bit count for bit fields");
      if (h.size < 52) {
        const std::size_t count = h.compression == kAlphaBitFields ? 4 : 3;
        if (dib.size() < h.size + 4 * count) Fail("masks cut off");
        h.masks = {};
        for (std::size_t i = 0; i < count; ++i) h.masks[i] = ReadU32LE(dib, h.size + 4 * i);
        h.palette_at += 4 * count;
      } else if (h.compression == kBitFields && h.size < 56) {
        h.masks[3] = 0;
      }
      break;
    default:
      Fail("unsupported compression");
  }
  return h;
}

// Always 256 entries, so that any index reads a colour (unused ones black).
std::vector<Rgba> ReadPalette(const DibHeader& h, Bytes dib, std::size_t palette_end) {
  std::vector<Rgba> palette(256, Rgba{0, 0, 0, 255});
  if (h.bpp > 8) return palette;
  const std::size_t wanted = h.colors_used == 0 ? std::size_t{1} << h.bpp : std::min<std::size_t>(h.colors_used, 256);
  const std::size_t entry = h.core ? 3 : 4;
  palette_end = std::min(palette_end, dib.size());
  const std::size_t room = palette_end > h.palette_at ? (palette_end - h.palette_at) / entry : 0;
  const std::size_t count = std::min(wanted, room);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = h.palette_at + i * entry;
    palette[i] = Rgba{dib[at + 2], dib[at + 1], dib[at], 255};
  }
  return palette;
}

std::size_t PaletteBytes(const DibHeader& h) {
  if (h.bpp > 8) return 0;
  const std::size_t wanted = h.colors_used == 0 ? std::size_t{1} << h.bpp : std::min<std::size_t>(h.colors_used, 256);
  return wanted * (h.core ? 3 : 4);
}

std::size_t FileStride(const DibHeader& h) {
  return static_cast<std::size_t>(((static_cast<unsigned long long>(h.width) * h.bpp + 31) / 32) * 4);
}

// One channel of a bit-field pixel scaled to 0..255.
struct MaskChannel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint64_t max = 0;

  explicit MaskChannel(std::uint32_t m) : mask(m) {
    if (m != 0) {
      shift = std::countr_zero(m);
      max = m >> shift;
    }
  }
  std::uint8_t operator()(std::uint32_t pixel) const {
    if (max == 0) return 0;
    const std::uint64_t v = (pixel & mask) >> shift;
    if (max == 255) return static_cast<std::uint8_t>(v);
    return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
  }
};

void WritePixel(std::uint8_t* row, int x, bool bgra, Rgba c) {
  if (bgra) {
    std::uint8_t* p = row + 4 * static_cast<std::size_t>(x);
    p[0] = c.b, p[1] = c.g, p[2] = c.r, p[3] = c.a;
  } else {
    std::uint8_t* p = row + 3 * static_cast<std::size_t>(x);
    p[0] = c.b, p[1] = c.g, p[2] = c.r;
  }
}

// Uncompressed rows into `out` (Bgr24 or Bgra32). `pixels` holds at least
// height * stride bytes. Returns true when some alpha was read and not all of
// it was zero.
bool DecodeUncompressed(const DibHeader& h, const std::vector<Rgba>& palette, Bytes pixels, Bitmap& out) {
  const std::size_t stride = FileStride(h);
  const bool bgra = out.Format() == PixelFormat::Bgra32;
  const MaskChannel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), alpha(h.masks[3]);
  const bool has_alpha = h.masks[3] != 0;
  bool any_alpha = false;
  for (int r = 0; r < h.height; ++r) {
    const std::uint8_t* src = pixels.data() + static_cast<std::size_t>(r) * stride;
    std::uint8_t* dst = out.Row(h.top_down ? r : h.height - 1 - r);
    switch (h.bpp) {
      case 1:
      case 2:
      case 4:
      case 8: {
        const int per_byte = 8 / h.bpp;
        const unsigned mask = (1u << h.bpp) - 1;
        for (int x = 0; x < h.width; ++x) {
          const int shift = 8 - h.bpp * (x % per_byte + 1);
          WritePixel(dst, x, bgra, palette[(src[x / per_byte] >> shift) & mask]);
        }
        break;
      }
      case 24:
        if (!bgra) {
          std::memcpy(dst, src, 3 * static_cast<std::size_t>(h.width));
        } else {
          for (int x = 0; x < h.width; ++x) WritePixel(dst, x, true, Rgba{src[3 * x + 2], src[3 * x + 1], src[3 * x], 255});
        }
        break;
      case 16:
      case 32:
        for (int x = 0; x < h.width; ++x) {
          const std::uint8_t* p = src + static_cast<std::size_t>(x) * (h.bpp / 8);
          const std::uint32_t v = h.bpp == 16 ? static_cast<std::uint32_t>(p[0] | p[1] << 8)
                                              : static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16) |
                                                    static_cast<std::uint32_t>(p[3]) << 24;
          const std::uint8_t a = has_alpha ? alpha(v) : 255;
          any_alpha |= has_alpha && a != 0;
          WritePixel(dst, x, bgra, Rgba{red(v), green(v), blue(v), a});
        }
        break;
    }
  }
  return any_alpha;
}

// RLE8/RLE4 into a Bgra32 bitmap that starts transparent: pixels the runs
// skip (delta, early end of line or of bitmap, data cut off) stay transparent.
//   count > 0, value      a run of `count` pixels (RLE4: the two nibbles alternate)
//   0, 0                  end of line        0, 1   end of bitmap
//   0, 2, dx, dy          move right dx, up dy
//   0, n >= 3, bytes...   n literal pixels, padded to an even number of bytes
void DecodeRle(const DibHeader& h, const std::vector<Rgba>& palette, Bytes data, Bitmap& out) {
  const bool rle4 = h.compression == kRle4;
  long long x = 0;
  long long y = 0;  // counted from the bottom row
  auto put = [&](long long px, unsigned index) {
    if (px < h.width && y < h.height) WritePixel(out.Row(h.height - 1 - static_cast<int>(y)), static_cast<int>(px), true, palette[index]);
  };
  std::size_t pos = 0;
  while (pos + 2 <= data.size() && y < h.height) {
    const unsigned count = data[pos];
    const unsigned value = data[pos + 1];
    pos += 2;
    if (count > 0) {
      const long long n = std::min<long long>(count, std::max<long long>(0, h.width - x));
      for (long long i = 0; i < n; ++i) put(x + i, rle4 ? ((i & 1) ? value & 0x0F : value >> 4) : value);
      x += count;
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (pos + 2 > data.size()) break;
      x += data[pos];
      y += data[pos + 1];
      pos += 2;
    } else {
      const std::size_t bytes = rle4 ? (value + 1) / 2 : value;
      if (pos + bytes > data.size()) break;
      for (unsigned i = 0; i < value; ++i) {
        const unsigned index = rle4 ? ((i & 1) ? data[pos + i / 2] & 0x0F : data[pos + i / 2] >> 4) : data[pos + i];
        put(x + i, index);
      }
      x += value;
      pos += (bytes + 1) & ~std::size_t{1};
    }
  }
}

void MakeOpaque(Bitmap& bitmap) {
  for (int y = 0; y < bitmap.Height(); ++y) {
    std::uint8_t* row = bitmap.Row(y);
    for (int x = 0; x < bitmap.Width(); ++x) row[4 * x + 3] = 255;
  }
}

Bitmap DecodeDib(const DibHeader& h, Bytes dib, std::size_t pixel_offset) {
  const std::vector<Rgba> palette = ReadPalette(h, dib, pixel_offset);
  if (pixel_offset > dib.size()) Fail("pixel data missing");
  const Bytes pixels = dib.subspan(pixel_offset);
  if (h.compression == kRle8 || h.compression == kRle4) {
    Bitmap out(h.width, h.height, PixelFormat::Bgra32);
    DecodeRle(h, palette, pixels, out);
    return out;
  }
  const std::size_t stride = FileStride(h);
  if (stride == 0 || pixels.size() / stride < static_cast<std::size_t>(h.height)) Fail("pixel data cut off");
  Bitmap out(h.width, h.height, h.masks[3] != 0 ? PixelFormat::Bgra32 : PixelFormat::Bgr24);
  // A file that declares alpha but leaves every alpha at 0 means "no alpha";
  // showing it fully transparent would lose the picture.
  if (!DecodeUncompressed(h, palette, pixels, out) && out.Format() == PixelFormat::Bgra32) MakeOpaque(out);
  return out;
}

// Where an icon's AND mask starts within its DIB: right after the colour
// rows, unless a V5 header's colour profile (embedded, or the name of a
// linked one) lies there: its bytes are no mask, and the mask, if any,
// follows the profile. V5 fields: u32 colour space type at 56, u32 offset of
// the profile from the header's start at 112, u32 its size at 116.
std::size_t MaskOffset(Bytes dib, std::size_t after_rows, std::size_t mask_bytes) {
  constexpr std::uint32_t kEmbedded = 0x4D424544, kLinked = 0x4C494E4B;  // 'MBED', 'LINK'
  if (ReadU32LE(dib, 0) < 124) return after_rows;
  const std::uint32_t type = ReadU32LE(dib, 56);
  const std::uint64_t begin = ReadU32LE(dib, 112), size = ReadU32LE(dib, 116);
  if ((type != kEmbedded && type != kLinked) || size == 0) return after_rows;
  const bool overlaps = begin < after_rows + std::uint64_t{mask_bytes} && begin + size > after_rows;
  if (!overlaps) return after_rows;
  return static_cast<std::size_t>(std::min<std::uint64_t>(begin + size, dib.size()));
}

}  // namespace

// File header (14 bytes): "BM", u32 file size, u32 reserved, u32 offset of the
// pixel data from the start of the file. The DIB follows.
Bitmap DecodeBmp(Bytes bytes) {
  if (bytes.size() < 14 + 12 || bytes[0] != 'B' || bytes[1] != 'M') Fail("not a BMP file");
  const std::uint32_t offset = ReadU32LE(bytes, 10);
  const Bytes dib = bytes.subspan(14);
  const DibHeader h = ParseDibHeader(dib, false);
  if (offset < 14 + h.palette_at || offset > bytes.size()) Fail("bad pixel data offset");
  return DecodeDib(h, dib, offset - 14);
}

Bitmap DecodeIconDib(Bytes bytes) {
  DibHeader h = ParseDibHeader(bytes, true);
  if (h.compression != kRgb && h.compression != kBitFields) Fail("unsupported icon compression");
  const std::size_t pixel_offset = h.palette_at + PaletteBytes(h);
  const std::vector<Rgba> palette = ReadPalette(h, bytes, pixel_offset);
  if (pixel_offset > bytes.size()) Fail("icon pixel data missing");
  const Bytes pixels = bytes.subspan(pixel_offset);
  const std::size_t stride = FileStride(h);
  if (pixels.size() / stride < static_cast<std::size_t>(h.height)) Fail("icon pixel data cut off");

  Bitmap out(h.width, h.height, PixelFormat::Bgra32);
  // 32-bit icons carry alpha in the fourth byte; older ones only the mask.
  if (h.bpp == 32 && h.compression == kRgb) h.masks[3] = 0xFF000000;
  const bool alpha_used = DecodeUncompressed(h, palette, pixels, out);
  if (alpha_used) return out;
  if (h.masks[3] != 0) MakeOpaque(out);

  // The AND mask: 1 bit a pixel, rows bottom-up, 1 = transparent. Icons
  // written without it are opaque.
  const std::size_t mask_stride = ((static_cast<std::size_t>(h.width) + 31) / 32) * 4;
  const std::size_t mask_at = MaskOffset(bytes, pixel_offset + static_cast<std::size_t>(h.height) * stride,
                                         mask_stride * static_cast<std::size_t>(h.height)) -
                              pixel_offset;
  if (mask_at > pixels.size() || (pixels.size() - mask_at) / mask_stride < static_cast<std::size_t>(h.height))
    return out;
  for (int r = 0; r < h.height; ++r) {
    const std::uint8_t* bits = pixels.data() + mask_at + static_cast<std::size_t>(r) * mask_stride;
    std::uint8_t* dst = out.Row(h.top_down ? r : h.height - 1 - r);
    for (int x = 0; x < h.width; ++x)
      if ((bits[x / 8] >> (7 - x % 8)) & 1) dst[4 * x + 3] = 0;
  }
  return out;
}

bool ReadDibSummary(Bytes dib, DibSummary& summary) {
  if (dib.size() < 16) return false;
  const std::uint32_t size = ReadU32LE(dib, 0);
  if (size == 12) {
    summary = {ReadU16LE(dib, 4), ReadU16LE(dib, 6), ReadU16LE(dib, 10)};
    return true;
  }
  if (size < 16 || dib.size() < 16) return false;
  summary = {I32(dib, 4), I32(dib, 8), ReadU16LE(dib, 14)};
  return true;
}

}  // namespace plendo::codecs
