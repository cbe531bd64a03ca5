#pragma once
// JPEG XL through libjxl: the first frame as displayed (an animation's frames
// composited, the codestream's orientation applied). Takes bytes, never a
// path.
#include <cstdint>
#include <span>

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
// depth comes as 8 bits, lossy images in sRGB. The size is checked against
// the pixel limit before any frame is decoded. Throws JxlError or
// BitmapTooLarge.
platform::Bitmap DecodeJxl(std::span<const std::uint8_t> bytes);

}  // namespace plendo::codecs
