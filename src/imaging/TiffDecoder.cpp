#include "imaging/TiffDecoder.h"

#include "imaging/DecodeError.h"

namespace plendo::imaging {

platform::Bitmap DecodeTiff(std::span<const std::uint8_t>) { throw DecodeError("TIFF: not decoded yet"); }

}  // namespace plendo::imaging
