#pragma once
// Integers and floats in the byte order of a TIFF header: 0x4949 ("II") is
// little-endian, 0x4D4D ("MM") big-endian. The readers test for "II" and fall
// back to big-endian for any other word; WriteDWord tests for "MM" and falls
// back to little-endian. For the two real marks all of them agree. A short
// read raises EReadError.
#include <cstdint>

#include "exif/Stream.h"

namespace plendo::exif {

inline constexpr std::uint16_t kLittleEndian = 0x4949;  // "II"
inline constexpr std::uint16_t kBigEndian = 0x4D4D;     // "MM"

std::uint16_t ReadWord(TStream& stream, std::uint16_t order);
std::uint32_t ReadDWord(TStream& stream, std::uint16_t order);
std::int16_t ReadSignedWord(TStream& stream, std::uint16_t order);
std::int32_t ReadSignedDWord(TStream& stream, std::uint16_t order);
float ReadSingle(TStream& stream, std::uint16_t order);
double ReadDouble(TStream& stream, std::uint16_t order);

void WriteWord(TStream& stream, std::uint16_t value, std::uint16_t order);
void WriteDWord(TStream& stream, std::uint32_t value, std::uint16_t order);
// The eight bytes of `value` in the readers' order ("II": least significant first).
void WriteDouble(TStream& stream, double value, std::uint16_t order);

}  // namespace plendo::exif
