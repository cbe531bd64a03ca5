#pragma once
// Numbers in a byte buffer: little-endian as BMP, ICO and GIF store them,
// big-endian as PNG does.
// The caller has checked that the bytes are there.
#include <cstddef>
#include <cstdint>
#include <span>

namespace plendo::codecs {

inline std::uint16_t ReadU16LE(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

inline std::uint32_t ReadU32LE(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

inline std::uint32_t ReadU32BE(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) << 24 | static_cast<std::uint32_t>(b[at + 1]) << 16 |
         static_cast<std::uint32_t>(b[at + 2]) << 8 | static_cast<std::uint32_t>(b[at + 3]);
}

}  // namespace plendo::codecs
