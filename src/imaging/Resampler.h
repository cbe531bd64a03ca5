#pragma once
// The separable bicubic resampler behind TGPGraphics::DrawImage: for each
// output row a vertical pass over the source rows it needs, then a horizontal
// pass, composed over the target and put through the gamma table.
#include <functional>

#include "imaging/GammaTable.h"
#include "imaging/RowSource.h"
#include "platform/Bitmap.h"

namespace plendo::imaging {

struct SourceRect {
  int x = 0, y = 0, width = 0, height = 0;
};

// In target pixels, not rounded.
struct DestRect {
  double x = 0, y = 0, width = 0, height = 0;
};

// Draws the source rectangle of `source` (Bgr24, or Bgra32 with straight
// alpha) scaled into `dest` on `target` (Bgr24 or Bgra32). The source
// repeats mirrored beyond the rectangle's edges. Transparent parts and
// target pixels only partly inside `dest` keep that share of the target's
// colour (alpha is resampled premultiplied, so it equals compositing over
// the target first). Gamma applies to every pixel drawn. False when the
// formats or rectangles are unusable; then the target is unchanged.
//
// Target rows are finished top to bottom. `row_done`, when given, hears of
// every target row once, in increasing order, as soon as it is final, rows
// the destination does not touch included, so later work on a row can run
// while it is still in the cache. A draw that returns false reports none.
using RowCallback = std::function<void(int y)>;
bool DrawResampled(const platform::Bitmap& source, const SourceRect& from, platform::Bitmap& target,
                   const DestRect& dest, const GammaTable& gamma, const RowCallback& row_done = {});

// The same for the whole of a picture whose rows arrive as the draw needs
// them; the result equals drawing its decoded bitmap. Errors of the source
// pass through.
bool DrawResampled(RowSource& source, platform::Bitmap& target, const DestRect& dest, const GammaTable& gamma,
                   const RowCallback& row_done = {});

}  // namespace plendo::imaging
