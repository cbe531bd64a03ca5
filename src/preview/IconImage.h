#pragma once
// ICO files in the preview, decoded by the codecs' ICO reader at load, PNG
// entries by the preview's own PNG decoder. The icon's transparent pixels
// (AND mask, alpha or the PNG's transparency) let the background through.
#include "platform/Bitmap.h"
#include "preview/Graphic.h"

namespace plendo::preview {

class TIcon : public TGraphic {
 public:
  void Draw(platform::Canvas& canvas, const platform::Rect& rect) override;
  bool GetEmpty() const override { return bitmap_.Empty(); }
  int GetWidth() const override { return bitmap_.Width(); }
  int GetHeight() const override { return bitmap_.Height(); }
  bool GetTransparent() const override { return true; }
  // Raises the platform reader's error for damaged or unsupported files.
  void LoadFromStream(std::istream& stream) override;

  const platform::Bitmap& Pixels() const { return bitmap_; }

 private:
  platform::Bitmap bitmap_;  // Bgra32
};

}  // namespace plendo::preview
