#pragma once
// HEIF, AVIF, WebP and JPEG XL files in the preview, decoded whole at load by
// the same library readers the conversion uses, recognised by content (a
// WebP named .heic still shows). A picture with alpha lets the background
// through.
#include "preview/BitmapImage.h"
#include "preview/FileFormats.h"

namespace plendo::preview {

class TPhotoImage : public TBitmap {
 public:
  // Raises the reader's error (codecs::HeifError, WebpError, JxlError) for a
  // damaged file, EInvalidGraphic for content of none of these formats.
  void LoadFromStream(std::istream& stream) override;
};

// Adds "heic", "heif", "avif", "webp" and "jxl".
void RegisterPhotoFormats(TFileFormatsList& formats);

}  // namespace plendo::preview
