#pragma once
// The one libjpeg decompressor of the program, over a JPEG file in memory:
// the error jump, the header, output at a DCT scale, and rows in blue, green,
// red order whatever the file's colour space: CMYK and YCCK go through their
// inks (Adobe's files store them inverted). A caller that asks libjpeg for
// colour quantisation gets its palette indices instead.
//
//   JpegReader reader(bytes);                  // reads the header
//   reader.Info().scale_denom = 2;             // any setting, before Prepare
//   reader.Prepare();                          // output size in Info()
//   reader.Start();
//   while (int n = reader.ReadRows(rows, k)) …
//   reader.Finish();                           // or leave early: the destructor cleans up
//
// A libjpeg error raises EJPEG. Each call sets its own jump point, so no C++
// object ever lives across a jump; everything libjpeg touches is on the heap.
// Start raises EJPEG (JERR_INPUT_EOF) for a file too short to hold a bit for
// each block of its picture, instead of decoding it from made-up data.
#include <cstdint>
#include <memory>
#include <span>

#include <jpeglib.h>

namespace plendo::codecs {

class JpegReader {
 public:
  // The bytes must outlive the reader.
  explicit JpegReader(std::span<const std::uint8_t> bytes);
  ~JpegReader();
  JpegReader(const JpegReader&) = delete;
  JpegReader& operator=(const JpegReader&) = delete;

  jpeg_decompress_struct& Info();
  bool IsCmyk() const;

  // Chooses the output colour space (unless quantising) and works out the
  // output size, so the caller can refuse or allocate before decoding.
  void Prepare();
  void Start();
  // Reads up to `count` rows into `rows` (3 bytes a pixel, or 1 when
  // quantised); returns how many, 0 when the data ends.
  int ReadRows(std::uint8_t* const* rows, int count);
  void Finish();

 private:
  struct State;
  std::unique_ptr<State> s_;
};

// Ink values (CMYK, inverted as Adobe writes them or not) to blue, green, red.
void CmykRowToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, int width, bool inverted);

}  // namespace plendo::codecs
