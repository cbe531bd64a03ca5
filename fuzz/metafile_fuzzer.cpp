// The WMF/EMF and EMF+ players: inspect as the preview does, then draw at a
// small size, as chosen and from the EMF+ records alone.
#include "FuzzTarget.h"
#include "codecs/Metafile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace plendo;
  const auto bytes = fuzz::Bytes(data, size);
  if (!codecs::LooksLikeMetafile(bytes)) return 0;
  platform::Bitmap pixels(40, 30, platform::PixelFormat::Bgr24);
  pixels.Fill(0xFF);
  try {
    codecs::InspectMetafile(bytes);
    codecs::DrawMetafile(bytes, pixels, 40, 30);
  } catch (const codecs::MetafileError&) {
  }
  try {
    codecs::DrawMetafile(bytes, pixels, 40, 30, codecs::MetafileRecords::EmfPlus);
  } catch (const codecs::MetafileError&) {
  }
  return 0;
}
