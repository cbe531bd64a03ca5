// The EXIF hand-over of one file: before the draw, probe and load the
// source's EXIF data and mark the artist; after the write, put it into the
// new JPEG. Every error of the preparation is dropped and the file is then
// converted without EXIF; an error of the transfer is a write failure.
#include "engine/OutputFile.h"
#include "engine/ResizeEngine.h"

namespace plendo::engine {
namespace {

constexpr std::uint16_t kJpegCompression = 6;  // thumbnail stored as JPEG

std::string MarkedArtist(const std::string& artist) {
  return artist.empty() ? std::string("Plendo") : artist + " (Plendo)";
}

}  // namespace

void ResizeEngine::PrepareExif(const std::filesystem::path& source) {
  exif_with_thumbnail_ = false;
  try {
    exif_found_ = exif_info_.HasExif(source);
  } catch (...) {
    exif_found_ = false;
  }
  if (!exif_found_) return;

  // A block that cannot be loaded is not carried over: the component would
  // still hold the previous file's data.
  try {
    exif_info_.SetImageFileName(source);
  } catch (...) {
    exif_found_ = false;
    return;
  }
  try {
    exif_info_.SetArtist(MarkedArtist(exif_info_.GetArtist()));
  } catch (...) {
    // The block goes over with its artist as it was.
  }
  try {
    exif_with_thumbnail_ = exif_info_.GetThumbnailCompression() == kJpegCompression;
  } catch (...) {
    exif_with_thumbnail_ = false;
  }
}

void ResizeEngine::TransferExif(const std::filesystem::path& output) {
  // The writer replaces the file in one step and leaves it as it was on error.
  if (!exif_info_.WriteExifTo(output, exif_with_thumbnail_))
    throw OutputFileError("the output vanished before its EXIF data could be written: " + output.string());
}

}  // namespace plendo::engine
