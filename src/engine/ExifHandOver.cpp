// The EXIF hand-over of one file: before the draw, probe and load the
// source's EXIF data and mark the artist; after the write, put it into the
// new JPEG. Every error of the preparation is dropped: the file is then
// converted without EXIF. An error of the transfer is a write failure.
#include "engine/ResizeEngine.h"

namespace plendo::engine {

void ResizeEngine::PrepareExif(const std::filesystem::path& /*source*/) {
  // EXIF reader not wired yet: no source carries EXIF for now.
  exif_found_ = false;
  exif_with_thumbnail_ = false;
}

void ResizeEngine::TransferExif(const std::filesystem::path& /*output*/) {}

}  // namespace plendo::engine
