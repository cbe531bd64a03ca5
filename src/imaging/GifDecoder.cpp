#include "imaging/GifDecoder.h"

#include "imaging/DecodeError.h"

namespace plendo::imaging {

platform::Bitmap DecodeGif(std::span<const std::uint8_t>) { throw DecodeError("GIF: not decoded yet"); }

}  // namespace plendo::imaging
