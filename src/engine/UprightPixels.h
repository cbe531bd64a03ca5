#pragma once
// Turns a picture the way its EXIF Orientation says a viewer shows it, for
// containers whose viewers do not all read a turn of their own (AVIF).
#include "platform/Bitmap.h"

namespace plendo::engine {

// A copy of `bitmap` (Bgr24 or Bgra32) as orientation 1..8 displays it:
// 2 mirrored, 3 turned half round, 4 flipped, 5 transposed, 6 turned a
// quarter clockwise, 7 transversed, 8 a quarter anticlockwise. 5 to 8 swap
// width and height; any other value gives a plain copy.
platform::Bitmap TurnUpright(const platform::Bitmap& bitmap, int orientation);

}  // namespace plendo::engine
