#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "codecs/JpegReader.h"
#include "imaging/RowSource.h"
#include "platform/Bitmap.h"

namespace plendo::imaging {

struct JpegSize {
  int width = 0;
  int height = 0;
};

// The frame's size from the header alone, without decoding. Throws
// DecodeError when the header cannot be read.
JpegSize ReadJpegSize(std::span<const std::uint8_t> bytes);

// Greyscale, YCbCr, RGB, CMYK and YCCK JPEG into Bgr24. Throws DecodeError
// (or BitmapTooLarge); data cut off early decodes with the rest grey.
// `scale_denominator` 2, 4 or 8 decodes straight at that fraction of the size
// by DCT scaling, ceil(width / d) x ceil(height / d), which is far cheaper
// than decoding whole and shrinking; the pixel limit applies to that scaled
// size. Any other denominator than 1, 2, 4, 8 throws std::invalid_argument.
platform::Bitmap DecodeJpeg(std::span<const std::uint8_t> bytes, int scale_denominator = 1);

// The largest denominator d in {8, 4, 2, 1} that still leaves the decoded
// picture `headroom` times the target size on both axes
// (source / d >= headroom * target), so the resampler shrinks from enough
// detail; 1 when none does or a target size is not positive.
int ChooseJpegScale(int source_width, int source_height, double target_width, double target_height,
                    double headroom);

// A JPEG decoded row by row while it is drawn: only the rows the resampler's
// window spans are kept, in a ring, instead of the whole decoded picture.
// What it hands out is what DecodeJpeg stores, row for row.
class JpegRowStream : public RowSource {
 public:
  // Reads the header and starts decoding at 1 / scale_denominator (1, 2, 4
  // or 8). Throws DecodeError, also above the pixel limit (as DecodeJpeg
  // does), or std::invalid_argument for another denominator. The bytes must
  // outlive the stream.
  JpegRowStream(std::span<const std::uint8_t> bytes, int scale_denominator);
  ~JpegRowStream() override;

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void Window(int first, int count, const std::uint8_t** rows) override;

  // Decodes whatever rows are left and ends the decoder, so every error of
  // the file shows here as it would in a whole decode. Throws DecodeError.
  void Finish();

  // Shown every row once, in order, as it is decoded (the panel's preview
  // takes its pixels from here instead of decoding the file again).
  using RowObserver = std::function<void(int y, const std::uint8_t* bgr)>;
  void SetRowObserver(RowObserver observer) { observer_ = std::move(observer); }

 private:
  std::uint8_t* Slot(int row) { return ring_.data() + static_cast<std::size_t>(row % ring_rows_) * stride_; }
  void DecodeThrough(int last_row);

  codecs::JpegReader reader_;
  int width_ = 0;
  int height_ = 0;
  std::size_t stride_ = 0;
  int ring_rows_ = 0;
  int decoded_ = 0;  // rows decoded so far
  bool ended_ = false;
  std::vector<std::uint8_t> ring_;
  RowObserver observer_;
};

}  // namespace plendo::imaging
