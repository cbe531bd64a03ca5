#include "exif/ByteOrder.h"

#include <bit>

namespace plendo::exif {
namespace {

// `size` bytes as one number; the first byte is the least significant one
// when `little`.
std::uint64_t ReadNumber(TStream& stream, int size, bool little) {
  std::uint8_t bytes[8];
  stream.ReadBuffer(bytes, static_cast<std::size_t>(size));
  std::uint64_t value = 0;
  for (int i = 0; i < size; ++i) {
    const int index = little ? size - 1 - i : i;
    value = (value << 8) | bytes[index];
  }
  return value;
}

void WriteNumber(TStream& stream, std::uint64_t value, int size, bool little) {
  std::uint8_t bytes[8];
  for (int i = 0; i < size; ++i) {
    const int shift = 8 * (little ? i : size - 1 - i);
    bytes[i] = static_cast<std::uint8_t>(value >> shift);
  }
  stream.WriteBuffer(bytes, static_cast<std::size_t>(size));
}

}  // namespace

std::uint16_t ReadWord(TStream& stream, std::uint16_t order) {
  return static_cast<std::uint16_t>(ReadNumber(stream, 2, order == kLittleEndian));
}

std::uint32_t ReadDWord(TStream& stream, std::uint16_t order) {
  return static_cast<std::uint32_t>(ReadNumber(stream, 4, order == kLittleEndian));
}

std::int16_t ReadSignedWord(TStream& stream, std::uint16_t order) {
  return static_cast<std::int16_t>(ReadWord(stream, order));
}

std::int32_t ReadSignedDWord(TStream& stream, std::uint16_t order) {
  return static_cast<std::int32_t>(ReadDWord(stream, order));
}

float ReadSingle(TStream& stream, std::uint16_t order) { return std::bit_cast<float>(ReadDWord(stream, order)); }

double ReadDouble(TStream& stream, std::uint16_t order) {
  return std::bit_cast<double>(ReadNumber(stream, 8, order == kLittleEndian));
}

void WriteWord(TStream& stream, std::uint16_t value, std::uint16_t order) {
  WriteNumber(stream, value, 2, order == kLittleEndian);
}

void WriteDWord(TStream& stream, std::uint32_t value, std::uint16_t order) {
  WriteNumber(stream, value, 4, order != kBigEndian);
}

void WriteDouble(TStream& stream, double value, std::uint16_t order) {
  WriteNumber(stream, std::bit_cast<std::uint64_t>(value), 8, order == kLittleEndian);
}

}  // namespace plendo::exif
