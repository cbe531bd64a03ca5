#pragma once
// HEIF, AVIF, WebP and JPEG XL files in the preview, decoded whole at load by
// the same library readers the conversion uses, recognised by content (a
// WebP named .heic still shows). A picture with alpha lets the background
// through.
#include "platform/Bitmap.h"
#include "preview/FileFormats.h"
#include "preview/Graphic.h"

namespace plendo::preview {

class TPhotoImage : public TGraphic {
 public:
  void Draw(platform::Canvas& canvas, const platform::Rect& rect) override;
  bool GetEmpty() const override { return bitmap_.Empty(); }
  int GetWidth() const override { return bitmap_.Width(); }
  int GetHeight() const override { return bitmap_.Height(); }
  bool GetTransparent() const override { return bitmap_.Format() == platform::PixelFormat::Bgra32; }
  // Raises the reader's error (codecs::HeifError, WebpError, JxlError) for a
  // damaged file, EInvalidGraphic for content of none of these formats.
  void LoadFromStream(std::istream& stream) override;

  const platform::Bitmap& Pixels() const { return bitmap_; }

 private:
  platform::Bitmap bitmap_;
};

// Adds "heic", "heif", "avif", "webp" and "jxl".
void RegisterPhotoFormats(TFileFormatsList& formats);

}  // namespace plendo::preview
