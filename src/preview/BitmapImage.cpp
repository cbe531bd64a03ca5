#include "preview/BitmapImage.h"

#include "codecs/BmpReader.h"
#include "preview/StreamBytes.h"

namespace plendo::preview {

void TBitmap::LoadFromStream(std::istream& stream) {
  bitmap_ = codecs::DecodeBmp(ReadRemaining(stream));
  Changed();
}

void TBitmap::Draw(platform::Canvas& canvas, const platform::Rect& rect) {
  if (GetTransparent())
    canvas.StretchBlend(rect, bitmap_);
  else
    canvas.StretchDraw(rect, bitmap_);
}

}  // namespace plendo::preview
