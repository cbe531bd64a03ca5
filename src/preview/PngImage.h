#pragma once
// The PNG preview decoder. Loading does the whole decode: chunk by chunk with
// CRC checks, the image data inflated and unfiltered straight into the stored
// layout (PngRaster.h). Drawing stretches it nearest-neighbour into the
// rectangle, with colour-key or alpha transparency over what is already on
// the canvas.
//
// Every failure raises one of the PNG error classes (PngErrors.h).
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "preview/FileFormats.h"
#include "preview/Graphic.h"
#include "preview/PngChunks.h"
#include "preview/PngRaster.h"

namespace plendo::preview {

enum class PngTransparency { None, Bit, Partial };

// One chunk as the file had it (the image data itself is not kept).
struct PngChunk {
  std::string name;
  std::vector<std::uint8_t> data;
};

class TPNGObject : public TGraphic {
 public:
  void Draw(platform::Canvas& canvas, const platform::Rect& rect) override;
  bool GetEmpty() const override { return !loaded_; }
  int GetWidth() const override { return header_ ? static_cast<int>(header_->width) : 0; }
  int GetHeight() const override { return header_ ? static_cast<int>(header_->height) : 0; }
  bool GetTransparent() const override { return Transparency() != PngTransparency::None; }
  void LoadFromStream(std::istream& stream) override;
  // The same from bytes in memory.
  void LoadFromBytes(PngBytes bytes);

  // Raises EPNGHeaderNotPresent before a header has been read.
  const PngHeader& Header() const;
  PngTransparency Transparency() const;
  // The colour and alpha (0..255) Draw puts down for image pixel (x, y);
  // alpha is 255 or 0 except in partial transparency. Raises EPngError for a
  // palette index beyond PLTE when it would be blended.
  platform::Rgba DisplayedPixel(int x, int y) const;

  const PngGamma& GammaTable() const { return gamma_; }

  // Hands over the picture as 8-bit Bgr24 (opaque) or Bgra32 (straight
  // alpha), where that is exactly what the conversion's own decode of the
  // file makes: 8-bit truecolour, with or without alpha, no gamma and no
  // colour key. The graphic is empty afterwards. Empty for every other
  // file (which the conversion then decodes itself), the graphic untouched.
  std::optional<platform::Bitmap> TakePlainPixels();
  const std::vector<PngChunk>& Chunks() const { return chunks_; }
  const std::vector<PngText>& Texts() const { return texts_; }
  const std::optional<PngPhysical>& Physical() const { return physical_; }
  const std::optional<PngTime>& Time() const { return time_; }

 private:
  void Reset();
  void Parse(PngBytes file);
  void Keep(const PngChunkView& chunk);
  void LoadChunk(const PngChunkView& chunk);
  std::size_t LoadImageData(PngBytes file, const PngChunkView& first);
  void BuildGreyRamp();
  bool IsKey(int x, int y) const;
  platform::Rgba PixelIn(PngTransparency mode, int x, int y) const;

  bool loaded_ = false;
  std::optional<PngHeader> header_;
  PngRaster raster_;
  PngGamma gamma_{};
  std::vector<platform::Rgba> colour_table_;  // the grey ramp, or PLTE for palette images
  bool has_palette_ = false;
  std::optional<std::array<std::uint8_t, 256>> trns_;
  std::vector<PngChunk> chunks_;
  std::size_t kept_bytes_ = 0;
  std::size_t inflate_budget_ = std::size_t{4} << 20;  // compressed texts, on the UI thread
  std::vector<PngText> texts_;
  std::optional<PngPhysical> physical_;
  std::optional<PngTime> time_;
};

// Adds "png".
void RegisterPngFormats(TFileFormatsList& formats);

}  // namespace plendo::preview
