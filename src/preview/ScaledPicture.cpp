#include "preview/ScaledPicture.h"

#include <stdexcept>

namespace plendo::preview {

TScaledPicture::TScaledPicture(platform::Bitmap pixels, int width, int height)
    : pixels_(std::move(pixels)), width_(width), height_(height) {}

// The rectangle is the one the pixels were picked for, so the stretch is a
// copy; any other size is stretched like every bitmap of the preview.
void TScaledPicture::Draw(platform::Canvas& canvas, const platform::Rect& rect) {
  if (GetTransparent())
    canvas.StretchBlend(rect, pixels_);
  else
    canvas.StretchDraw(rect, pixels_);
}

void TScaledPicture::LoadFromStream(std::istream&) {
  throw std::logic_error("a scaled preview picture is made from pixels, never read");
}

}  // namespace plendo::preview
