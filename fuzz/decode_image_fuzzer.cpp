// Every conversion decoder behind the one entry point, recognised by content.
#include <new>

#include "FuzzTarget.h"
#include "imaging/ImageDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    plendo::imaging::DecodeImage(plendo::fuzz::Bytes(data, size));
  } catch (const plendo::Exception&) {
  } catch (const std::bad_alloc&) {
  }
  return 0;
}
