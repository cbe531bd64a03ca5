// Every conversion decoder behind the one entry point, recognised by content,
// and the readers of what travels with the pixels: EXIF kept outside APP1
// and the colour profile.
#include <new>

#include "FuzzTarget.h"
#include "codecs/Metafile.h"
#include "imaging/ColourProfile.h"
#include "imaging/ContainerMetadata.h"
#include "imaging/ImageDecoder.h"
#include "imaging/ImageFormat.h"

namespace {

// A metafile is drawn at the size its header names: the work goes by that
// area, not by the file's bytes (a header of 60 bytes may ask for a
// gigabyte). The engine never draws one at its natural size but at the
// target size, and the metafile target plays them so; here only those of a
// modest natural size go through.
bool DrawnByArea(std::span<const std::uint8_t> bytes) {
  using plendo::imaging::ImageFormat;
  const ImageFormat format = plendo::imaging::DetectFormat(bytes);
  if (format != ImageFormat::Wmf && format != ImageFormat::Emf) return false;
  try {
    const plendo::codecs::MetafileSize size = plendo::codecs::ReadMetafileSize(bytes);
    return static_cast<long long>(size.width) * size.height > (1 << 20);
  } catch (const plendo::Exception&) {
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto bytes = plendo::fuzz::Bytes(data, size);
  plendo::imaging::ContainerExifAsJpeg(bytes);
  plendo::imaging::ReadIccProfile(bytes);
  if (DrawnByArea(bytes)) return 0;
  try {
    plendo::imaging::DecodeImage(bytes);
  } catch (const plendo::Exception&) {
  } catch (const std::bad_alloc&) {
  }
  return 0;
}
