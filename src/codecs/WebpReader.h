#pragma once
// WebP through libwebp: lossy and lossless stills, and the first frame of an
// animation (as for GIF). Takes bytes, never a path.
#include <cstdint>
#include <span>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Exception.h"

namespace plendo::codecs {

class WebpError : public Exception {
 public:
  using Exception::Exception;
};

// "RIFF", a length, "WEBP".
bool LooksLikeWebp(std::span<const std::uint8_t> bytes);

struct WebpSize {
  int width = 0;   // the canvas of an animation
  int height = 0;
};

// From the headers alone. Throws WebpError.
WebpSize ReadWebpSize(std::span<const std::uint8_t> bytes);

// Bgr24, or Bgra32 (straight alpha) when the file has alpha or is animated.
// `scale_denominator` 2, 4 or 8 has libwebp average the picture down while
// decoding, to ceil(width / d) x ceil(height / d), colours weighted by alpha;
// an animation always decodes at full size. Throws WebpError, BitmapTooLarge
// (checked before decoding), std::invalid_argument for another denominator.
platform::Bitmap DecodeWebp(std::span<const std::uint8_t> bytes, int scale_denominator = 1);

// The EXIF chunk as the TIFF structure alone (a leading "Exif" 00 00 that
// some writers add is dropped). Empty when there is none.
std::vector<std::uint8_t> ReadWebpExif(std::span<const std::uint8_t> bytes);

// The ICCP chunk: the ICC profile exactly as stored. Empty when there is none.
std::vector<std::uint8_t> ReadWebpIccProfile(std::span<const std::uint8_t> bytes);

}  // namespace plendo::codecs
