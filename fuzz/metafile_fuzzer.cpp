// The WMF/EMF player: inspect as the preview does, then draw at a small size.
#include "FuzzTarget.h"
#include "codecs/Metafile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace plendo;
  const auto bytes = fuzz::Bytes(data, size);
  if (!codecs::LooksLikeMetafile(bytes)) return 0;
  try {
    codecs::InspectMetafile(bytes);
    platform::Bitmap pixels(40, 30, platform::PixelFormat::Bgr24);
    pixels.Fill(0xFF);
    codecs::DrawMetafile(bytes, pixels, 40, 30);
  } catch (const codecs::MetafileError&) {
  }
  return 0;
}
