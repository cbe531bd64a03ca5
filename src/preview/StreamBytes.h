#pragma once
// Decoders that parse from memory take the rest of their stream in one piece.
#include <cstdint>
#include <istream>
#include <vector>

namespace plendo::preview {

// The most a preview decoder reads into memory; a longer stream raises
// EInvalidGraphic before it is taken in.
inline constexpr std::size_t kMaxStreamBytes = std::size_t{1} << 30;

// Everything from the stream's position to its end.
std::vector<std::uint8_t> ReadRemaining(std::istream& stream);

}  // namespace plendo::preview
