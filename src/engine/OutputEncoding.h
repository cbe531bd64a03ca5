#pragma once
// The finished output in a format other than JPEG: the working bitmap with
// the colour profile, the EXIF block and the orientation as that container
// keeps them.
#include <cstdint>
#include <vector>

#include "platform/Bitmap.h"
#include "settings/AppSettings.h"

namespace plendo::engine {

struct OutputMetadata {
  std::vector<std::uint8_t> icc_profile;  // none when empty
  std::vector<std::uint8_t> exif;         // TIFF data from "II"/"MM" on; none when empty
  int orientation = 1;                    // what the EXIF block says
};

// `compress` is the quality setting (0..100, JPEG's scale). PNG ignores it.
std::vector<std::uint8_t> EncodeAs(settings::OutputFormat format, const platform::Bitmap& bitmap, int compress,
                                   const OutputMetadata& metadata);

}  // namespace plendo::engine
