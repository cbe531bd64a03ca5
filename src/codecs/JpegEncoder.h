#pragma once
// Encodes a 24-bit bitmap as a JPEG stream in memory with libjpeg's defaults:
// quality as given (libjpeg limits it to 1..100), forced baseline
// tables, the standard progression script when asked, 2x2 chroma subsampling
// and a JFIF header. An empty bitmap gives an empty stream. Errors raise EJPEG.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/Bitmap.h"

namespace plendo::codecs {

struct JpegEncodeOptions {
  int quality = 75;
  bool progressive = false;
  // An ICC profile to embed, as APP2 "ICC_PROFILE" chunks after the JFIF
  // header; none when empty. Must outlive the call.
  std::span<const std::uint8_t> icc_profile;
};

// The largest profile APP2 chunks can carry (255 chunks).
inline constexpr std::size_t kMaxIccProfileBytes = 255 * 65519;

// `bitmap` may be any format; other formats than Bgr24 are converted to it
// first.
std::vector<std::uint8_t> EncodeJpeg(const platform::Bitmap& bitmap, const JpegEncodeOptions& options);

}  // namespace plendo::codecs
