// The BMP reader on raw bytes, as the conversion and the preview feed it.
#include "FuzzTarget.h"
#include "codecs/BmpReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    plendo::codecs::DecodeBmp(plendo::fuzz::Bytes(data, size));
  } catch (const plendo::Exception&) {
  }
  return 0;
}
