#include "engine/Rendering.h"

#include <algorithm>
#include <optional>

#include "engine/ResizeEngine.h"
#include "codecs/Metafile.h"
#include "engine/OutputFormat.h"
#include "engine/SharpenFilter.h"
#include "codecs/EncoderPixels.h"
#include "imaging/GammaTable.h"
#include "imaging/Graphics.h"

namespace plendo::engine {
namespace {

// A side that rounds to no pixel at all becomes one pixel, so an empty JPEG
// is never written.
int PixelSide(double side) {
  const long long rounded = RoundHalfToEven(side);
  return rounded < 1 ? 1 : static_cast<int>(rounded);
}

// The destination is the unrounded target (853.33 rows into 853), except a
// side mended up to one pixel, which the draw covers whole.
float DrawnSide(double side) { return static_cast<float>(RoundHalfToEven(side) < 1 ? 1.0 : side); }

bool SharpeningDue(const BatchParameters& p) {
  return p.settings.SharpNess >= 1 && p.settings.SharpNess <= 3 && !p.EffectsAreOff() &&
         (p.work.SharpDivisor & 0xFF) != 0;
}

// A metafile source: its vectors drawn straight at the target size into the
// white working bitmap, then the gamma table over every byte and the
// sharpening, in the order a bitmap source's draw takes them.
void RenderMetafile(ResizeJob& job, const BatchParameters& p) {
  codecs::DrawMetafile(job.Metafile, job.Work, DrawnSide(job.TargetWidth), DrawnSide(job.TargetHeight));
  const imaging::GammaTable gamma = imaging::MakeGammaTable(static_cast<float>(p.work.GammaValue));
  const std::size_t row_bytes = static_cast<std::size_t>(job.Work.Width()) * 3;
  for (int y = 0; y < job.Work.Height(); ++y) {
    std::uint8_t* row = job.Work.Row(y);
    for (std::size_t i = 0; i < row_bytes; ++i) row[i] = gamma[row[i]];
  }
  if (SharpeningDue(p)) {
    RowSharpener sharpener(job.Work, p.work.SharpKernel, static_cast<std::uint8_t>(p.work.SharpDivisor & 0xFF),
                           p.work.SharpBias);
    sharpener.Finish();
  }
}

// Transparency travels only into a format that keeps it, from a decoded
// source that has some.
bool KeepTransparency(const ResizeJob& job, const BatchParameters& p) {
  return KeepsAlpha(FormatOf(p.settings.OutFormat)) && job.Source &&
         codecs::HasTransparency(job.Source->Pixels());
}

// A source with transparency for a format that keeps it: drawn over nothing
// (the resampler leaves colours premultiplied there), its colours taken back
// to straight alpha, then the gamma and the sharpening on the colour alone.
void RenderWithAlpha(ResizeJob& job, const BatchParameters& p) {
  job.Work = platform::Bitmap(PixelSide(job.TargetWidth), PixelSide(job.TargetHeight), platform::PixelFormat::Bgra32);
  {
    imaging::TGPGraphics graphics(job.Work);
    imaging::TGPImageAttributes attributes;
    attributes.SetWrapMode(imaging::WrapMode::TileFlipXY, 0xFF000000, false);
    graphics.SetInterpolationMode(imaging::InterpolationMode::HighQualityBicubic);
    const imaging::RectF dest{0, 0, DrawnSide(job.TargetWidth), DrawnSide(job.TargetHeight)};
    const imaging::RectF source{0, 0, static_cast<float>(job.Source->GetWidth()),
                                static_cast<float>(job.Source->GetHeight())};
    graphics.DrawImage(*job.Source, dest, source, imaging::Unit::Pixel, &attributes);
  }
  const imaging::GammaTable gamma = imaging::MakeGammaTable(static_cast<float>(p.work.GammaValue));
  platform::Bitmap colour(job.Work.Width(), job.Work.Height(), platform::PixelFormat::Bgr24);
  for (int y = 0; y < job.Work.Height(); ++y) {
    const std::uint8_t* in = job.Work.Row(y);
    std::uint8_t* out = colour.Row(y);
    for (int x = 0; x < job.Work.Width(); ++x, in += 4, out += 3) {
      const int a = in[3];
      for (int c = 0; c < 3; ++c) out[c] = a == 0 ? 0 : gamma[std::min(255, (in[c] * 255 + a / 2) / a)];
    }
  }
  if (SharpeningDue(p)) {
    RowSharpener sharpener(colour, p.work.SharpKernel, static_cast<std::uint8_t>(p.work.SharpDivisor & 0xFF),
                           p.work.SharpBias);
    sharpener.Finish();
  }
  for (int y = 0; y < job.Work.Height(); ++y) {
    std::uint8_t* out = job.Work.Row(y);
    const std::uint8_t* in = colour.Row(y);
    for (int x = 0; x < job.Work.Width(); ++x, in += 3, out += 4) out[0] = in[0], out[1] = in[1], out[2] = in[2];
  }
}

}  // namespace

void RenderWorkingBitmap(ResizeJob& job, const BatchParameters& p) {
  if (KeepTransparency(job, p)) return RenderWithAlpha(job, p);
  // Sized white: what the draw does not cover, and every transparent part of
  // the source, stays white.
  job.Work = platform::Bitmap(PixelSide(job.TargetWidth), PixelSide(job.TargetHeight), platform::PixelFormat::Bgr24);
  job.Work.Fill(0xFF);
  if (!job.Metafile.empty()) return RenderMetafile(job, p);

  imaging::TGPGraphics graphics(job.Work);
  imaging::TGPImageAttributes attributes;
  attributes.SetGamma(static_cast<float>(p.work.GammaValue), imaging::ColorAdjustType::Default);
  // Beyond the source's edges the resampler sees it mirrored, so border
  // pixels never mix with an outside colour.
  attributes.SetWrapMode(imaging::WrapMode::TileFlipXY, 0xFF000000, false);
  graphics.SetSmoothingMode(imaging::SmoothingMode::AntiAlias);
  graphics.SetPixelOffsetMode(imaging::PixelOffsetMode::HighQuality);
  graphics.SetInterpolationMode(imaging::InterpolationMode::HighQualityBicubic);

  const imaging::RectF dest{0, 0, DrawnSide(job.TargetWidth), DrawnSide(job.TargetHeight)};
  // Sharpened as the draw finishes each row, while it is still in cache.
  std::optional<RowSharpener> sharpener;
  if (SharpeningDue(p)) {
    sharpener.emplace(job.Work, p.work.SharpKernel, static_cast<std::uint8_t>(p.work.SharpDivisor & 0xFF),
                      p.work.SharpBias);
    graphics.SetRowCallback([&sharpener](int y) { sharpener->RowReady(y); });
  }
  if (job.JpegRows) {
    // Decoded as drawn, perhaps at a reduced scale: all of it is drawn, and
    // the decoder then ends as a whole decode would.
    graphics.DrawImage(*job.JpegRows, dest, &attributes);
    job.JpegRows->Finish();
  } else {
    const imaging::RectF source{0, 0, static_cast<float>(job.Source->GetWidth()),
                                static_cast<float>(job.Source->GetHeight())};
    graphics.DrawImage(*job.Source, dest, source, imaging::Unit::Pixel, &attributes);
  }
  if (sharpener) sharpener->Finish();
}

}  // namespace plendo::engine
