#pragma once
// JPEG XL through libjxl: the first frame as displayed (an animation's frames
// composited, the codestream's orientation applied). Takes bytes, never a
// path.
#include <cstdint>
#include <span>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Exception.h"

namespace plendo::codecs {

class JxlError : public Exception {
 public:
  using Exception::Exception;
};

// A bare codestream (FF 0A) or the box container's signature box.
bool LooksLikeJxl(std::span<const std::uint8_t> bytes);

// Bgr24, or Bgra32 (straight alpha) when the image has alpha; any sample
// depth comes as 8 bits, lossy images in sRGB, and a picture coded with the
// PQ or HLG transfer tone-mapped to sRGB. The size is checked against
// the pixel limit before any frame is decoded. Throws JxlError or
// BitmapTooLarge.
platform::Bitmap DecodeJxl(std::span<const std::uint8_t> bytes);

// The TIFF data of the "Exif" box (Brotli-compressed or not), as for a HEIF;
// empty when there is none or it is damaged.
std::vector<std::uint8_t> ReadJxlExif(std::span<const std::uint8_t> bytes);

// The colour profile the decoded pixels are in: the stored one for an image
// kept in its own colour space (lossless), as ICC. Empty for sRGB, for lossy
// images (decoded to sRGB), for PQ and HLG (tone-mapped to sRGB) and when
// the header is damaged.
std::vector<std::uint8_t> ReadJxlIccProfile(std::span<const std::uint8_t> bytes);

}  // namespace plendo::codecs
