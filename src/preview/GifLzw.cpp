#include "preview/GifLzw.h"

#include <algorithm>

namespace plendo::preview {
namespace {

constexpr int kMaxCodes = 4096;

}  // namespace

int GifCodeReader::Read(int bits) {
  while (count_ < bits) {
    if (block_left_ == 0) {
      if (finished_) {
        if (count_ == 0) context_.Warn(sender_, gif_text::kBitBufferUnderrun);
        return -1;
      }
      const int size = in_.ReadByte();
      if (size < 0) return -1;
      if (size == 0) {
        finished_ = true;
        continue;
      }
      block_left_ = static_cast<std::size_t>(size);
      if (block_left_ > in_.Left()) {
        context_.Warn(sender_, gif_text::kPrematureEnd);
        block_left_ = in_.Left();
      }
      continue;
    }
    window_ |= static_cast<std::uint32_t>(in_.ReadByte()) << count_;
    count_ += 8;
    --block_left_;
  }
  const int code = static_cast<int>(window_ & ((1u << bits) - 1));
  window_ >>= bits;
  count_ -= bits;
  return code;
}

void GifCodeReader::SkipRest() {
  if (finished_) return;
  in_.ReadUpTo(block_left_);
  block_left_ = 0;
  SkipSubBlocks(in_);
  finished_ = true;
}

GifLzwDecoder::GifLzwDecoder(GifReader& in, const GifLoadContext& context, const void* sender, int min_code_size)
    : codes_(in, context, sender), min_code_size_(min_code_size), clear_(1 << min_code_size), end_(clear_ + 1) {
  for (int i = 0; i < clear_; ++i) suffix_[i] = static_cast<std::uint8_t>(i);
}

int GifLzwDecoder::Next() {
  if (depth_ > 0) return stack_[--depth_];
  if (cleared_) return Restart();
  const int code = codes_.Read(code_size_);
  if (code < 0) return kNoData;
  if (code == clear_) return Restart();
  if (code == end_) return End();
  return Expand(code);
}

// After a clear code: the table holds the single values only, and the next
// code that is not another clear code stands for itself.
int GifLzwDecoder::Restart() {
  cleared_ = false;
  code_size_ = min_code_size_ + 1;
  limit_ = 2 * clear_;
  next_free_ = clear_ + 2;
  int code;
  do {
    code = codes_.Read(code_size_);
    if (code < 0) return kNoData;
  } while (code == clear_);
  if (code == end_) return End();
  // The first code after a clear is its own value, whatever it is: one above
  // the end code names no entry yet and shows as its low byte, and the
  // entries built on it read the table as it stands.
  previous_ = first_ = code;
  return static_cast<std::uint8_t>(code);
}

int GifLzwDecoder::End() {
  codes_.SkipRest();
  return kEnd;
}

int GifLzwDecoder::Expand(int code) {
  int current = code;
  // A code not in the table yet is the previous string followed by its own
  // first value. Codes further ahead are read the same way; taking them as
  // the next free code keeps the previous code a real entry.
  if (code >= next_free_) {
    stack_[depth_++] = static_cast<std::uint8_t>(first_);
    code = previous_;
    current = std::min(next_free_, kMaxCodes - 1);
  }
  while (code > end_) {
    // An entry may name a later one as its prefix (the first code after a
    // clear can be any code); one that is its own prefix, or a chain longer
    // than the table, is a broken table.
    if (prefix_[code] == code || depth_ >= kMaxCodes) throw GIFException(gif_text::kCircularEntry);
    stack_[depth_++] = suffix_[code];
    code = prefix_[code];
  }
  first_ = code;
  stack_[depth_++] = static_cast<std::uint8_t>(first_);
  if (next_free_ < kMaxCodes) {
    prefix_[next_free_] = static_cast<std::uint16_t>(previous_);
    suffix_[next_free_] = static_cast<std::uint8_t>(first_);
    ++next_free_;
    if (next_free_ >= limit_ && limit_ < kMaxCodes) {
      limit_ *= 2;
      ++code_size_;
    }
  }
  previous_ = current;
  return stack_[--depth_];
}

void GifLzwDecoder::ReadTrailingCode() {
  if (codes_.Read(code_size_) == end_) codes_.SkipRest();
}

void DecodeGifImageData(GifReader& in, const GifLoadContext& context, const void* sender, int width, int height,
                        bool interlaced, std::uint8_t fill, const GifRowSink& sink) {
  int min_code_size = in.ReadByte();
  if (min_code_size < 0) return;
  min_code_size = std::min(min_code_size, 8);
  GifLzwDecoder lzw(in, context, sender, min_code_size);

  static constexpr int kPassStart[] = {0, 4, 2, 1};
  static constexpr int kPassStep[] = {8, 8, 4, 2};
  const int passes = interlaced ? 4 : 1;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width));
  bool complete = true;
  for (int pass = 0; pass < passes && complete; ++pass) {
    const int step = interlaced ? kPassStep[pass] : 1;
    for (int y = interlaced ? kPassStart[pass] : 0; y < height && complete; y += step) {
      for (std::size_t x = 0; x < row.size(); ++x) {
        const int value = lzw.Next();
        if (value < 0) {
          complete = false;
          if (x > 0) {
            std::fill(row.begin() + static_cast<std::ptrdiff_t>(x), row.end(), fill);
            sink(y, row);
          }
          break;
        }
        row[x] = static_cast<std::uint8_t>(value);
      }
      if (complete) sink(y, row);
    }
  }
  if (complete) lzw.ReadTrailingCode();
  // Whatever the data holds past the last pixel is never shown; the next
  // block starts behind the size-0 sub-block.
  lzw.SkipRest();
}

}  // namespace plendo::preview
