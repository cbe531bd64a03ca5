#pragma once
// The working bitmap of one file: sized white, the source drawn into it at
// the target size with gamma, sharpened when the batch asks for it. For an
// output format that keeps transparency, a source with some is drawn into a
// transparent 32-bit bitmap instead, gamma and sharpening on its colour.
#include "engine/BatchParameters.h"
#include "engine/ResizeJob.h"

namespace plendo::engine {

// Fills job.Work from job.Source, or from job.Metafile drawn at the target
// size. Throws BitmapTooLarge or std::bad_alloc when memory cannot hold it,
// codecs::MetafileError when a metafile cannot be drawn.
void RenderWorkingBitmap(ResizeJob& job, const BatchParameters& parameters);

}  // namespace plendo::engine
