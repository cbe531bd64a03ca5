#pragma once
// A preview picture made ahead of time, off the panel's thread: the pixels
// already picked for the rectangle the picture control will place it in, so
// drawing it is a copy. It keeps the size of the picture it shows, which is
// what the control places by.
#include "platform/Bitmap.h"
#include "preview/Graphic.h"

namespace plendo::preview {

class TScaledPicture : public TGraphic {
 public:
  // `pixels` (Bgr24, or Bgra32 with straight alpha) show a picture of
  // `width` x `height`.
  TScaledPicture(platform::Bitmap pixels, int width, int height);

  void Draw(platform::Canvas& canvas, const platform::Rect& rect) override;
  bool GetEmpty() const override { return pixels_.Empty(); }
  int GetWidth() const override { return width_; }
  int GetHeight() const override { return height_; }
  bool GetTransparent() const override { return pixels_.Format() == platform::PixelFormat::Bgra32; }
  // Made from pixels, never read: raises std::logic_error.
  void LoadFromStream(std::istream& stream) override;

  const platform::Bitmap& Pixels() const { return pixels_; }

 private:
  platform::Bitmap pixels_;
  int width_;
  int height_;
};

}  // namespace plendo::preview
