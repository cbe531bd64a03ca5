#pragma once
// Test pictures and writers that turn them into files of every format the
// decoders read: JPEG, PNG, GIF and TIFF through their libraries, BMP and ICO
// by hand. Writers take a Bitmap (Bgr24 or Bgra32) and return the bytes.
#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/Bitmap.h"

namespace plendo::test {

using Bytes = std::vector<std::uint8_t>;
using platform::Bitmap;
using platform::Rgba;

// ---- pictures
Bitmap MakeFlat(int width, int height, Rgba colour, platform::PixelFormat format = platform::PixelFormat::Bgr24);
// Red rises left to right, green top to bottom, blue is their mix. With
// alpha, alpha falls from 255 at the left to 0 at the right.
Bitmap MakeGradient(int width, int height, bool with_alpha = false);
// Squares of `cell` pixels, `a` in the top-left one.
Bitmap MakeCheckerboard(int width, int height, int cell, Rgba a, Rgba b);
// A few flat patches of distinct colours: few colours (fits a GIF palette),
// smooth enough for JPEG.
Bitmap MakePatches(int width, int height);

// ---- comparing
// Largest difference of any channel (alpha too when both have it); -1 when
// the sizes differ.
int MaxChannelDifference(const Bitmap& a, const Bitmap& b);
// Mean absolute difference over the colour channels; -1 when the sizes differ.
double MeanChannelDifference(const Bitmap& a, const Bitmap& b);

// ---- writers
struct JpegOptions {
  int quality = 95;
  bool grey = false;       // one component, from the green channel
  bool cmyk = false;       // four components, Adobe marker
  bool inverted = true;    // with cmyk: ink stored as 255 - ink, as Adobe writes
  bool progressive = false;
  Bytes icc_profile{};     // embedded as APP2 chunks when not empty
};
Bytes WriteJpeg(const Bitmap& bitmap, const JpegOptions& options = {});

struct PngOptions {
  int bit_depth = 8;        // 8 or 16 for colour and grey; 1, 2, 4, 8 for palette
  bool grey = false;        // grey (from green) instead of colour
  bool palette = false;     // indexed; alpha goes into tRNS
  bool interlaced = false;
  bool alpha = true;        // keep the alpha of a Bgra32 source
  Bytes icc_profile{};      // embedded as iCCP when not empty
};
Bytes WritePng(const Bitmap& bitmap, const PngOptions& options = {});

struct GifOptions {
  int screen_width = 0;     // 0: the frame's own size
  int screen_height = 0;
  int left = 0;             // the frame's place on the screen
  int top = 0;
  bool interlaced = false;
  int frames = 1;           // extra frames are filled with the first colour
};
// At most 255 distinct colours; pixels with alpha below 128 become the
// transparent index.
Bytes WriteGif(const Bitmap& bitmap, const GifOptions& options = {});

// Lab and IccLab store each pixel's red, green and blue bytes as the L*, a*
// and b* samples as they are (a* and b* signed for Lab, offset by 128 for
// IccLab).
enum class TiffKind { Rgb, RgbAlpha, Grey, Palette, Cmyk, YCbCrJpeg, Bilevel, Lab, IccLab };
struct TiffOptions {
  TiffKind kind = TiffKind::Rgb;
  bool compressed = false;  // deflate (JPEG for YCbCrJpeg)
  bool tiled = false;
  int pages = 1;            // further pages hold a flat black picture
  Bytes icc_profile{};      // tag 34675 of the first page when not empty
  int orientation = 0;      // tag 274 when not 0; the pixels are stored as given
};
Bytes WriteTiff(const Bitmap& bitmap, const TiffOptions& options = {});

struct BmpOptions {
  int bits = 24;            // 1, 4, 8 (palette of the picture's colours), 16 (5-5-5), 24, 32
  bool top_down = false;
  bool v5_alpha = false;    // with 32 bits: a V5 header with an alpha mask
  bool rle = false;         // with 4 or 8 bits: RLE4 / RLE8
  bool os2 = false;         // OS/2 core header (12 bytes), 1/4/8/24 bits
};
Bytes WriteBmp(const Bitmap& bitmap, const BmpOptions& options = {});

struct IcoEntry {
  const Bitmap* bitmap;
  int bits = 32;            // 32 (alpha) or 24/8/4/1 (with AND mask from alpha)
  bool png = false;         // stored as a PNG file
  PngOptions png_options{}; // for a PNG entry
  Bytes icc_profile{};      // DIB: a V5 header's embedded profile, right after the colour rows
  bool and_mask = true;     // DIB: the AND mask after the colour rows (and the profile)
};
Bytes WriteIco(const std::vector<IcoEntry>& entries);

// The same as WriteBytes (support/TestFiles.h), under the name the image suites use.
void WriteFile(const std::filesystem::path& path, const Bytes& bytes);

}  // namespace plendo::test
