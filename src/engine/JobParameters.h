#pragma once
// The job parameters of one batch: worked out once at its start from the
// settings and the size box, then read by every file of the batch.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/SharpenFilter.h"
#include "settings/AppSettings.h"

namespace plendo::engine {

struct TGlobalWorkValue {
  std::string OutExt;   // ".jpg", ".jpeg", ".JPG", ".JPEG" (empty for an unknown JPEGExt), or the format's own
  std::string GSMark;   // "", "_g0s0" or "_g<gamma level>s<sharpness level>"
  double GammaValue = 1.0;
  Kernel3x3 SharpKernel{-1, -1, -1, -1, -1, -1, -1, -1, -1};
  std::int32_t SharpDivisor = 0;  // 0 means no sharpening
  std::uint8_t SharpBias = 0;
  std::vector<std::string> ExtList;  // lower case, dot included; EXT mode only
};

// Gamma and sharpening are switched off for actual-size output when the user
// asked for it.
bool EffectsOff(const settings::AppSettings& settings, bool actual_size);

// ".jpg" for 0 ... ".JPEG" for 3; empty otherwise.
std::string OutputExtension(std::int32_t jpeg_ext);

// The extensions the type filter accepts for one image type; empty for an
// unknown type, so nothing matches.
std::vector<std::string> ExtensionsOfType(std::int32_t type);

// Whether a file's extension is one of any image type's above (case aside).
bool HasPictureExtension(const std::string& path);

// Everything SetGlobalWorkValue computes, as a pure function of its inputs.
TGlobalWorkValue MakeGlobalWorkValue(const settings::AppSettings& settings, bool actual_size);

}  // namespace plendo::engine
