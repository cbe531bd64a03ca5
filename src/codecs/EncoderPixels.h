#pragma once
// What the photo encoders share: their options, and the working bitmap's
// pixels in the interleaved RGB(A) order their libraries take.
#include <cstdint>
#include <span>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Exception.h"

namespace plendo::codecs {

// An encoder library refused the picture or ran out of memory.
class EncodeError : public Exception {
 public:
  using Exception::Exception;
};

struct PhotoEncodeOptions {
  int quality = 75;       // on the encoder's own scale (see each encoder)
  bool lossless = false;  // WebP and JPEG XL only
  // Embedded when not empty; both must outlive the call.
  std::span<const std::uint8_t> icc_profile;
  std::span<const std::uint8_t> exif;  // TIFF data from "II"/"MM" on
  int orientation = 1;    // EXIF Orientation of the pixels (JPEG XL says it in its header too)
};

// A Bgra32 bitmap with any pixel not fully opaque; every other bitmap is opaque.
bool HasTransparency(const platform::Bitmap& bitmap);

// Rows top to bottom without padding: R, G, B (and A when `with_alpha`) per
// pixel. Bgr24 gives an alpha of 255; indexed formats are not taken.
std::vector<std::uint8_t> PackedRgb(const platform::Bitmap& bitmap, bool with_alpha);

}  // namespace plendo::codecs
