#include "preview/ImageControl.h"

namespace plendo::preview {

platform::Rect PlaceImage(int w, int h, int cw, int ch) {
  int width = cw, height = ch;
  if (w > 0 && h > 0) {
    const double ratio = static_cast<double>(w) / h;
    if (w > h) {
      width = cw;
      height = static_cast<int>(cw / ratio);
      if (height > ch) {
        height = ch;
        width = static_cast<int>(ch * ratio);
      }
    } else {
      height = ch;
      width = static_cast<int>(ch * ratio);
      if (width > cw) {
        width = cw;
        height = static_cast<int>(cw / ratio);
      }
    }
  }
  const int left = (cw - width) / 2, top = (ch - height) / 2;
  return {left, top, left + width, top + height};
}

void PaintImage(TPicture& picture, platform::Canvas& canvas) {
  canvas.Fill(canvas.ClientRect(), kMonitorBackground);
  TGraphic* graphic = picture.Graphic();
  if (!graphic || graphic->GetEmpty()) return;
  graphic->Draw(canvas, PlaceImage(graphic->GetWidth(), graphic->GetHeight(), canvas.Width(),
                                   canvas.Height()));
}

}  // namespace plendo::preview
