#pragma once
// The preview of one file, made on the worker from the conversion's own
// decode: the rows a JPEG decodes as it is drawn, or the decoded bitmap,
// hand the pixels the panel's picture shows to a sampler, so the file is
// read and decoded once. A metafile is drawn at the picture's size. PNG and
// GIF files show what their own decoders make of the bytes already read (the
// GIF animates, transparency follows their rules). Whatever the pixels come
// from, the preview shows, and fails for, what it would have if the
// extension's decoder had loaded the file itself.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "engine/FileConversion.h"
#include "imaging/JpegDecoder.h"
#include "platform/Bitmap.h"
#include "preview/FileFormats.h"
#include "preview/PngImage.h"
#include "preview/PreviewSampler.h"

namespace plendo::engine {

class FilePreview {
 public:
  // `bytes` (the whole file) must outlive the preview.
  FilePreview(const std::filesystem::path& source, std::span<const std::uint8_t> bytes, preview::PreviewArea area);

  // The picture as the conversion would decode it, taken from the preview's
  // own decode where the two agree (a plain 8-bit PNG); empty otherwise.
  std::optional<platform::Bitmap> PixelsForConversion();

  // The conversion's JPEG rows, decoded at 1/scale of `width` x `height`.
  void Watch(imaging::JpegRowStream& rows, int width, int height);
  // A decoded picture of `width` x `height` (`pixels` may be a reduced decode of it).
  void See(const platform::Bitmap& pixels, int width, int height);

  // Puts the preview (or its failure) into `result`, whose decode fields the
  // conversion has set. Pixels the conversion did not decode (a file the
  // overwrite rule skips, a size too large to write) are decoded here, no
  // larger than the picture shows them. Never throws.
  void Finish(FileConversion& result);

 private:
  bool FromConversion(const FileConversion& result) const;
  void DecodeForPreviewOnly(int width, int height);
  void DrawMetafile(int width, int height);
  void LoadWithOwnDecoder(FileConversion& result) const;

  std::span<const std::uint8_t> bytes_;
  preview::PreviewArea area_;
  preview::PreviewDecoder decoder_;
  int orientation_ = 1;  // EXIF Orientation of a JPEG or WebP source
  std::optional<preview::PreviewSampler> sampler_;
  std::unique_ptr<preview::TGraphic> made_;
  // A PNG decoded ahead by the preview's own decoder, its preview already
  // made, until the conversion has taken its pixels.
  std::unique_ptr<preview::TPNGObject> png_;
};

}  // namespace plendo::engine
