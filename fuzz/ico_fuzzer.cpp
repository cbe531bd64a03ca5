// The icon reader with libpng for PNG entries, as the conversion calls it.
#include "FuzzTarget.h"
#include "codecs/IcoReader.h"
#include "imaging/PngDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    plendo::codecs::DecodeIco(plendo::fuzz::Bytes(data, size), plendo::imaging::DecodePng);
  } catch (const plendo::Exception&) {
  }
  return 0;
}
