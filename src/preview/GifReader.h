#pragma once
// A read cursor over the GIF file's bytes. The parser looks ahead one byte
// (or a few, to tell application extensions apart) instead of reading and
// stepping back; Read raises "Premature end of data" when the file ends
// inside a structure and never moves on a short read.
#include <cstddef>
#include <cstdint>
#include <span>

#include "preview/GifErrors.h"

namespace plendo::preview {

using GifBytes = std::span<const std::uint8_t>;

class GifReader {
 public:
  explicit GifReader(GifBytes bytes, std::size_t position = 0) : bytes_(bytes), pos_(position) {}

  bool AtEnd() const { return pos_ >= bytes_.size(); }
  std::size_t Left() const { return AtEnd() ? 0 : bytes_.size() - pos_; }
  std::size_t Position() const { return pos_; }
  void Seek(std::size_t position) { pos_ = position; }

  // The next byte, or -1 at the end; Peek leaves it unread.
  int Peek(std::size_t ahead = 0) const {
    return ahead < Left() ? bytes_[pos_ + ahead] : -1;
  }
  int ReadByte() { return AtEnd() ? -1 : bytes_[pos_++]; }

  // Exactly `n` bytes.
  GifBytes Read(std::size_t n) {
    if (n > Left()) throw GIFException(gif_text::kPrematureEnd);
    const GifBytes got = bytes_.subspan(pos_, n);
    pos_ += n;
    return got;
  }
  // Up to `n` bytes: fewer only where the file ends.
  GifBytes ReadUpTo(std::size_t n) {
    const std::size_t got = n < Left() ? n : Left();
    return Read(got);
  }
  // What was read since `start`.
  GifBytes Since(std::size_t start) const { return bytes_.subspan(start, pos_ - start); }
  // `n` bytes ahead, not read.
  GifBytes PeekBytes(std::size_t n) const { return n <= Left() ? bytes_.subspan(pos_, n) : GifBytes(); }

  void SkipZeros() {
    while (Peek() == 0) ++pos_;
  }

 private:
  GifBytes bytes_;
  std::size_t pos_;
};

inline std::uint16_t GifWord(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

}  // namespace plendo::preview
