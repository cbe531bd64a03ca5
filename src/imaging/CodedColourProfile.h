#pragma once
// HEIF and AVIF files often describe their colours by code numbers (an nclx
// colour box) instead of an ICC profile. The output is a JPEG, which can
// only say it with a profile: this builds one from the codes.
#include <cstdint>
#include <vector>

#include "codecs/HeifReader.h"

namespace plendo::imaging {

// An RGB matrix-and-curve ICC profile (version 2, the most widely read) for
// the coded primaries, white point and transfer curve. Empty when the codes
// mean sRGB, which needs no profile, when the transfer curve is one no
// display profile stands for (PQ and HLG HDR, the log curves), and when the
// chromaticities are not a usable set.
std::vector<std::uint8_t> ProfileForCodedColour(const codecs::CodedColour& colour);

}  // namespace plendo::imaging
