#pragma once
// Gamma as a table over the 256 byte values: out = 255 * (v / 255)^gamma,
// rounded. Exactly the identity at 1.0; above 1.0 mid-tones get darker.
#include <array>
#include <cstdint>

namespace plendo::imaging {

using GammaTable = std::array<std::uint8_t, 256>;

// A gamma that is not a positive finite number gives the identity.
GammaTable MakeGammaTable(float gamma);

}  // namespace plendo::imaging
