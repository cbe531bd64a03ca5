#pragma once
// Our own icon container reader. Entries are either DIBs (colour rows plus an
// AND mask) or whole PNG files; PNG entries are handed to the caller's PNG
// decoder, so this layer needs no PNG library.
#include <cstdint>
#include <functional>
#include <span>

#include "platform/Bitmap.h"
#include "platform/Exception.h"

namespace plendo::codecs {

class IcoError : public Exception {
 public:
  using Exception::Exception;
};

using PngBytesDecoder = std::function<platform::Bitmap(std::span<const std::uint8_t>)>;

// True when the bytes start like an icon (or cursor) directory.
bool LooksLikeIco(std::span<const std::uint8_t> bytes);

// Decodes the entry we show for the whole icon: of the entries with the
// highest colour depth, the largest, both as the entry's own header says (a
// PNG's depth from its bit depth and colour type). An entry that fails to
// decode gives way to the next best. Output is Bgra32 for DIB entries,
// whatever `decode_png` returns for PNG entries; without `decode_png`, PNG
// entries are passed over. Throws IcoError when nothing can be decoded.
platform::Bitmap DecodeIco(std::span<const std::uint8_t> bytes, const PngBytesDecoder& decode_png);

}  // namespace plendo::codecs
