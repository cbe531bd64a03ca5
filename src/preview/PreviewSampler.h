#pragma once
// The preview's picture picked from pixels decoded for another purpose (the
// conversion): of a picture of any size only the pixels the picture control
// shows are kept, nearest-neighbour as the control stretches a bitmap, from
// rows handed over as they are decoded. A photo whose EXIF Orientation turns
// or mirrors it comes out upright.
#include <memory>
#include <vector>

#include "platform/Bitmap.h"
#include "preview/ImageControl.h"
#include "preview/ScaledPicture.h"

namespace plendo::preview {

class PreviewSampler {
 public:
  // A picture of `width` x `height` as stored, turned by `orientation`
  // (EXIF 1-8; anything else leaves it as stored), whose rows come as
  // `rows_width` x `rows_height` pixels in `format` (a reduced decode hands
  // over fewer, larger pixels), shown in `area`.
  PreviewSampler(int width, int height, int orientation, int rows_width, int rows_height,
                 platform::PixelFormat format, PreviewArea area);

  // Row `y` of the handed-over rows (Bgr24 or Bgra32 as given), each row at
  // most once, in any order.
  void TakeRow(int y, const std::uint8_t* row);
  // Every row of `bitmap`, which has the rows' size and format.
  void TakeBitmap(const platform::Bitmap& bitmap);
  // The picture, upright. Rows never handed over stay black.
  std::unique_ptr<TScaledPicture> Finish();

 private:
  int width_, height_;  // upright
  int orientation_;
  int pixel_bytes_;
  platform::Bitmap stored_;           // the kept pixels, still as stored
  std::vector<int> columns_;          // rows' column of each kept column
  std::vector<int> source_rows_;      // rows' row of each kept row
};

// Orientation 5 to 8 swap width and height.
bool SwapsSides(int orientation);

}  // namespace plendo::preview
