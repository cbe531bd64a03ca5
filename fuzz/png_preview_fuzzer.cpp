// The preview's own PNG decoder: load from a stream, then draw once so the
// transparency paths run too.
#include <sstream>
#include <string>

#include "FuzzTarget.h"
#include "platform/Canvas.h"
#include "preview/PngImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
  plendo::preview::TPNGObject png;
  try {
    png.LoadFromStream(stream);
    plendo::platform::Canvas canvas(32, 24);
    png.Draw(canvas, canvas.ClientRect());
  } catch (const plendo::Exception&) {
  }
  return 0;
}
