#pragma once
// BMP files in the preview, decoded by the platform BMP reader at load; the
// base of the other formats decoded whole at load.
#include "platform/Bitmap.h"
#include "preview/Graphic.h"

namespace plendo::preview {

class TBitmap : public TGraphic {
 public:
  void Draw(platform::Canvas& canvas, const platform::Rect& rect) override;
  bool GetEmpty() const override { return bitmap_.Empty(); }
  int GetWidth() const override { return bitmap_.Width(); }
  int GetHeight() const override { return bitmap_.Height(); }
  // A file with an alpha channel (or RLE gaps) lets the background through.
  bool GetTransparent() const override { return bitmap_.Format() == platform::PixelFormat::Bgra32; }
  // Raises platform::BmpError for damaged or unsupported files.
  void LoadFromStream(std::istream& stream) override;

  const platform::Bitmap& Pixels() const { return bitmap_; }

 protected:
  platform::Bitmap bitmap_;
};

}  // namespace plendo::preview
