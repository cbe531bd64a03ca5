#pragma once
// HEIF and AVIF stills through libheif (HEVC and AV1 inside the same
// container). Takes bytes, never a path.
//
// The picture is the file's primary image with the container's crop,
// rotation and mirroring applied: in HEIF those are part of the image, not
// a hint for viewers as a JPEG's EXIF Orientation is. Embedded thumbnails are
// never used.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "codecs/HdrToSdr.h"
#include "platform/Bitmap.h"
#include "platform/Exception.h"

namespace plendo::codecs {

class HeifError : public Exception {
 public:
  using Exception::Exception;
};

// The file starts with a file type box naming a HEIF or AVIF still brand or
// the AVIF sequence brand, major or compatible. Other video files in the
// same box format are not taken.
bool LooksLikeHeif(std::span<const std::uint8_t> bytes);

// Bgr24, or Bgra32 (straight alpha) when the image has an alpha plane; grey
// images come as grey BGR, 10 and 12-bit samples are scaled to 8 bits, and a
// picture coded with the PQ or HLG transfer is tone-mapped to sRGB. The
// size is checked against the pixel limit before anything is decoded, so a
// huge grid of tiles is refused up front. An AVIF that libheif cannot open
// (a sequence, or no image item it finds) is read by libavif: its first
// frame or primary layer. Throws HeifError or BitmapTooLarge.
platform::Bitmap DecodeHeif(std::span<const std::uint8_t> bytes);

// The primary image's EXIF block as the TIFF structure alone ("II" or "MM"
// first): the offset word that leads a HEIF EXIF item is followed and
// dropped. Empty when the file has none or it cannot be read.
std::vector<std::uint8_t> ReadHeifExif(std::span<const std::uint8_t> bytes);

// The primary image's ICC profile exactly as stored (a restricted or an
// unrestricted ICC colour box). Empty when there is none; an nclx colour box
// (coded primaries and transfer) is not turned into a profile here.
std::vector<std::uint8_t> ReadHeifIccProfile(std::span<const std::uint8_t> bytes);

// The primary image's nclx colour box (its primaries and transfer), when it
// has one and no ICC profile.
std::optional<CodedColour> ReadHeifCodedColour(std::span<const std::uint8_t> bytes);

}  // namespace plendo::codecs
