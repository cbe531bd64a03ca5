#pragma once
// Bitmaps inside EMF+ objects: raw pixel rows in one of the pixel formats,
// or a whole compressed file (PNG, JPEG, BMP), decoded into cairo surfaces.
#include "codecs/MetafileBytes.h"
#include "codecs/MetafileState.h"

namespace plendo::codecs::metafile::plus {

// i32 width, height, stride, u32 pixel format, u32 type (0 rows, 1 a file),
// then the data. Null for a format or file we cannot read, or one larger than
// the metafile bitmap limit.
SurfacePtr BitmapSurface(const RecordBytes& r);

}  // namespace plendo::codecs::metafile::plus
