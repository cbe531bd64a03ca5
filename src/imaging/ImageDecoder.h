#pragma once
// Decoding any source the imaging layer understands, recognised by content.
#include <cstdint>
#include <filesystem>
#include <span>

#include "platform/Bitmap.h"

namespace plendo::imaging {

// Bgr24 or Bgra32 (straight alpha). Throws DecodeError for an unknown or
// damaged source, BitmapTooLarge above the pixel limit, std::bad_alloc.
platform::Bitmap DecodeImage(std::span<const std::uint8_t> bytes);

// No source we can decode is larger than the pixel limit plus its headers;
// a bigger file is refused before it is read.
inline constexpr std::size_t kMaxSourceFileBytes = platform::Bitmap::kMaxBytes + (std::size_t{1} << 20);

// Reads the file (regular files only, capped in size) and decodes it; a file
// that cannot be read throws platform::FileReadError.
platform::Bitmap DecodeImageFile(const std::filesystem::path& path);

}  // namespace plendo::imaging
