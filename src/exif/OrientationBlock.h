#pragma once
// A JPEG's EXIF Orientation on its own: read without loading the whole block
// (so a block too damaged to carry over still tells which way is up), and
// written as the smallest EXIF block that keeps a picture upright in viewers.
#include <cstdint>
#include <span>
#include <vector>

namespace plendo::exif {

// The Orientation (0x0112) of the first EXIF block's IFD0: 1 to 8, or 0 when
// there is no block, no such tag or a value outside 1..8.
int ReadJpegOrientation(std::span<const std::uint8_t> jpeg);

// `jpeg` with an APP1 EXIF block holding only Orientation right after its
// start marker, where the EXIF writer puts a block. `jpeg` must start with
// FF D8 and hold no EXIF block; the orientation must be 1 to 8.
// The same block as other containers keep it: the TIFF data alone.
std::vector<std::uint8_t> OrientationTiff(int orientation);

std::vector<std::uint8_t> InsertOrientationBlock(std::span<const std::uint8_t> jpeg, int orientation);

}  // namespace plendo::exif
