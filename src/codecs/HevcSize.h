#pragma once
// The picture size an HEVC sequence parameter set declares, read from a
// HEIF's decoder configuration ('hvcC') so that a picture larger than the
// item claims is refused before the decoder allocates it.
#include <cstdint>
#include <span>

namespace plendo::codecs {

struct HevcSize {
  std::uint64_t width = 0;
  std::uint64_t height = 0;
};

// From the body of an 'hvcC' box: the first SPS it holds. False when there
// is none or it is cut off.
bool ReadHevcSize(std::span<const std::uint8_t> hvcc, HevcSize& size);

}  // namespace plendo::codecs
