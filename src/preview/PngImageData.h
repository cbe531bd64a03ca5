#pragma once
// The image data of a PNG: the run of IDAT chunks starting at `first`,
// inflated one filtered row at a time, unfiltered and stored straight into
// the raster (plain rows, or the seven Adam7 passes). Only two row buffers
// exist; the compressed bytes are read in place from the file.
#include <cstddef>

#include "preview/PngChunks.h"
#include "preview/PngRaster.h"

namespace plendo::preview {

// Returns the offset just past the last IDAT chunk the image used. Raises
// EPngInvalidCRC for a damaged IDAT chunk, EPNGMissingMultipleIDAT when the
// data runs on into another chunk, EPngUnexpectedEnd when the file ends
// inside it, EPNGZLIBError for broken compressed data. When the compressed
// data ends early, the rows not reached stay zero.
std::size_t DecodeImageData(PngBytes file, const PngChunkView& first, PngRaster& raster,
                            const PngGamma& gamma);

}  // namespace plendo::preview
