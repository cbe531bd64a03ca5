#pragma once
// Our own BMP reader: it serves the conversion (through the imaging layer)
// and the preview. It takes bytes, never a path.
//
// Understood: the OS/2 core header (12 bytes) and OS/2 2.x header, the
// Windows headers of 40, 52, 56, 108 (V4) and 124 (V5) bytes; 1, 2, 4, 8, 16,
// 24 and 32 bits per pixel; RLE8 and RLE4; bit-field masks; top-down rows.
// Not understood (BmpError): embedded JPEG/PNG, OS/2 Huffman and RLE24, 64-bit.
//
// Output is Bgr24, or Bgra32 where alpha matters: a 32- or 16-bit file with an
// alpha mask (V4/V5 or alpha bit fields), an RLE file whose runs leave pixels
// unset (those are transparent), an icon with its AND mask.
#include <cstdint>
#include <span>

#include "platform/Bitmap.h"
#include "platform/Exception.h"

namespace plendo::codecs {

class BmpError : public Exception {
 public:
  using Exception::Exception;
};

// A whole .bmp file, starting with "BM". Throws BmpError for damaged or
// unsupported data, BitmapTooLarge above the pixel buffer limit.
platform::Bitmap DecodeBmp(std::span<const std::uint8_t> bytes);

// The device-independent bitmap of an icon entry: a header whose height counts
// the colour rows and the 1-bit AND mask rows together, the palette, the
// colour rows, then the mask. Always Bgra32.
platform::Bitmap DecodeIconDib(std::span<const std::uint8_t> bytes);

// Width, height and bits per pixel of a DIB header, for choosing among icon
// entries without decoding them. False when the header cannot be read.
struct DibSummary {
  int width = 0;
  int height = 0;  // as stored (an icon's counts the mask rows too)
  int bits_per_pixel = 0;
};
bool ReadDibSummary(std::span<const std::uint8_t> dib, DibSummary& summary);

}  // namespace plendo::codecs
