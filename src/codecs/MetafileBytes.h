#pragma once
// Checked little-endian access to one record's bytes. Every read checks that
// the bytes are there first and throws MetafileError otherwise, so a record
// whose sizes or counts lie can never read past its own end.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "codecs/ByteReader.h"
#include "codecs/MetafileError.h"

namespace plendo::codecs {

class RecordBytes {
 public:
  RecordBytes() = default;
  explicit RecordBytes(std::span<const std::uint8_t> bytes) : b_(bytes) {}

  std::size_t Size() const { return b_.size(); }
  // True when n bytes start at `at`; cannot overflow.
  bool Has(std::size_t at, std::size_t n) const { return at <= b_.size() && n <= b_.size() - at; }
  // How many items of `item` bytes fit from `at` on.
  std::size_t CountFits(std::size_t at, std::size_t item) const {
    return at <= b_.size() && item != 0 ? (b_.size() - at) / item : 0;
  }
  void Need(std::size_t at, std::size_t n) const {
    if (!Has(at, n)) throw MetafileError("metafile record cut off");
  }

  std::uint8_t U8(std::size_t at) const { return Need(at, 1), b_[at]; }
  std::uint16_t U16(std::size_t at) const { return Need(at, 2), ReadU16LE(b_, at); }
  std::int16_t I16(std::size_t at) const { return static_cast<std::int16_t>(U16(at)); }
  std::uint32_t U32(std::size_t at) const { return Need(at, 4), ReadU32LE(b_, at); }
  std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
  float F32(std::size_t at) const {
    const std::uint32_t bits = U32(at);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }
  std::span<const std::uint8_t> Sub(std::size_t at, std::size_t n) const {
    Need(at, n);
    return b_.subspan(at, n);
  }
  RecordBytes From(std::size_t at) const {
    Need(at, 0);
    return RecordBytes(b_.subspan(at));
  }
  std::span<const std::uint8_t> Span() const { return b_; }

 private:
  std::span<const std::uint8_t> b_;
};

}  // namespace plendo::codecs
