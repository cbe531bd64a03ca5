#pragma once
// The few boxes of a HEIF file that we read ourselves, before libheif is
// asked to decode anything.
#include <cstdint>
#include <span>

namespace plendo::codecs {

// The largest width x height that the properties in meta > iprp > ipco
// declare: every image item's spatial extent ('ispe'; the tiles of a grid as
// well as the image they make up), and the picture size in each HEVC
// configuration's sequence parameter set ('hvcC'), by which the decoder
// allocates whatever the extent says. 0 when the boxes cannot be found.
std::uint64_t LargestPictureArea(std::span<const std::uint8_t> file);

}  // namespace plendo::codecs
