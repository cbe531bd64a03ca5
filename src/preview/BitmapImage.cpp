#include "preview/BitmapImage.h"

#include "platform/BmpReader.h"
#include "preview/StreamBytes.h"

namespace plendo::preview {

void TBitmap::LoadFromStream(std::istream& stream) {
  bitmap_ = platform::DecodeBmp(ReadRemaining(stream));
  Changed();
}

void TBitmap::Draw(platform::Canvas& canvas, const platform::Rect& rect) {
  if (GetTransparent())
    canvas.StretchBlend(rect, bitmap_);
  else
    canvas.StretchDraw(rect, bitmap_);
}

}  // namespace plendo::preview
