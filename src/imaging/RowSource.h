#pragma once
// A Bgr24 picture handed to the resampler a window of rows at a time, in
// order, so a decoder can produce rows as the draw consumes them instead of
// holding the whole picture in memory.
#include <cstdint>

namespace plendo::imaging {

class RowSource {
 public:
  virtual ~RowSource() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Fills rows[0 .. count) with rows first .. first + count - 1. Over one
  // draw `count` stays the same and `first` never decreases; the pointers
  // hold until the next call. Errors of the source are thrown from here.
  virtual void Window(int first, int count, const std::uint8_t** rows) = 0;
};

}  // namespace plendo::imaging
