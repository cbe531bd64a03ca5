#pragma once
// A read cursor over the caller's bytes, for the libraries that pull their
// input through a callback (giflib, libpng, libtiff). The bytes stay the
// caller's and are never written. `pos` may stand past the end (libtiff
// seeks there); reads then give nothing.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace plendo::imaging {

struct MemoryInput {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos = 0;

  std::size_t Remaining() const { return pos < size ? size - pos : 0; }
  // Copies up to `wanted` bytes, fewer at the end; returns how many.
  std::size_t Read(void* out, std::size_t wanted) {
    const std::size_t n = wanted < Remaining() ? wanted : Remaining();
    if (n > 0) std::memcpy(out, data + pos, n);
    pos += n;
    return n;
  }
};

}  // namespace plendo::imaging
