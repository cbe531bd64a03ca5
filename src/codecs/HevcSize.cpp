#include "codecs/HevcSize.h"

#include <vector>

namespace plendo::codecs {
namespace {

constexpr int kSpsNalType = 33;

// Bits of an RBSP, most significant first; reading past the end sets `cut`.
class BitReader {
 public:
  explicit BitReader(const std::vector<std::uint8_t>& rbsp) : b_(rbsp) {}
  std::uint64_t Bits(int n) {
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i, ++at_) {
      if (at_ / 8 >= b_.size()) {
        cut = true;
        return 0;
      }
      v = v << 1 | ((b_[at_ / 8] >> (7 - at_ % 8)) & 1);
    }
    return v;
  }
  // Exp-Golomb: n zeros, a one, n more bits; 32 zeros at most.
  std::uint64_t Unsigned() {
    int zeros = 0;
    while (!cut && Bits(1) == 0)
      if (++zeros > 32) cut = true;
    return cut ? 0 : (std::uint64_t{1} << zeros) - 1 + Bits(zeros);
  }
  bool cut = false;

 private:
  const std::vector<std::uint8_t>& b_;
  std::size_t at_ = 0;
};

// A NAL unit's payload without its 2-byte header, emulation prevention
// bytes (00 00 03) dropped.
std::vector<std::uint8_t> Rbsp(std::span<const std::uint8_t> nal) {
  std::vector<std::uint8_t> out;
  int zeros = 0;
  for (std::size_t i = 2; i < nal.size(); ++i) {
    if (zeros >= 2 && nal[i] == 3) {
      zeros = 0;
      continue;
    }
    zeros = nal[i] == 0 ? zeros + 1 : 0;
    out.push_back(nal[i]);
  }
  return out;
}

// video parameter set id (4), max sub-layers - 1 (3), temporal id nesting
// (1), profile, tier and level (96 bits, then per sub-layer), SPS id (ue),
// chroma format (ue; 3: a separate colour plane flag follows), width (ue),
// height (ue).
bool ParseSps(std::span<const std::uint8_t> nal, HevcSize& size) {
  const std::vector<std::uint8_t> rbsp = Rbsp(nal);
  BitReader r(rbsp);
  r.Bits(4);
  const int sub_layers = static_cast<int>(r.Bits(3));
  r.Bits(1);
  r.Bits(96);
  int profiles = 0, levels = 0;
  for (int i = 0; i < sub_layers; ++i) {
    profiles += static_cast<int>(r.Bits(1));
    levels += static_cast<int>(r.Bits(1));
  }
  if (sub_layers > 0) r.Bits(2 * (8 - sub_layers));
  r.Bits(88 * profiles + 8 * levels);
  r.Unsigned();
  if (r.Unsigned() == 3) r.Bits(1);
  size.width = r.Unsigned();
  size.height = r.Unsigned();
  return !r.cut;
}

}  // namespace

bool ReadHevcSize(std::span<const std::uint8_t> hvcc, HevcSize& size) {
  // 22 bytes of configuration, the number of arrays (1), then per array:
  // completeness and NAL type (1), count (2), per unit: length (2), unit.
  if (hvcc.size() < 23) return false;
  std::size_t at = 23;
  for (int arrays = hvcc[22]; arrays > 0; --arrays) {
    if (hvcc.size() - at < 3) return false;
    const int type = hvcc[at] & 0x3F;
    int count = hvcc[at + 1] << 8 | hvcc[at + 2];
    for (at += 3; count > 0; --count) {
      if (hvcc.size() - at < 2) return false;
      const std::size_t length = static_cast<std::size_t>(hvcc[at] << 8 | hvcc[at + 1]);
      if (hvcc.size() - at - 2 < length) return false;
      if (type == kSpsNalType) return ParseSps(hvcc.subspan(at + 2, length), size);
      at += 2 + length;
    }
  }
  return false;
}

}  // namespace plendo::codecs
