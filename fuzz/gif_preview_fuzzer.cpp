// The preview's GIF decoder: load, then draw a few frames as still pictures,
// so that each frame's bitmap and mask are made. No painter thread: the
// animation's threading has its own tests.
#include <algorithm>
#include <sstream>
#include <string>

#include "FuzzTarget.h"
#include "platform/Canvas.h"
#include "preview/GifImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace plendo::preview;
  std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
  TGIFImage gif;
  gif.SetDrawOptions(gif_draw::kDefault & ~(gif_draw::AnimateOnThread | gif_draw::AnimateFrames));
  try {
    gif.LoadFromStream(stream);
    plendo::platform::Canvas canvas(32, 24);
    const int frames = std::min(gif.Images().Count(), 4);
    for (int i = 0; i < std::max(frames, 1); ++i) {
      gif.SetForceFrame(i);
      gif.Draw(canvas, canvas.ClientRect());
    }
  } catch (const plendo::Exception&) {
  }
  return 0;
}
