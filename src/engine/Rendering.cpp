// WriteResizedJPEG, first half: the white working bitmap, the one scaled draw
// that also applies the gamma, and the sharpening when it is due.
#include "engine/ResizeEngine.h"
#include "engine/ScopeExit.h"
#include "engine/SharpenFilter.h"
#include "imaging/Graphics.h"

namespace plendo::engine {
namespace {

// 65500.5 still rounds (to even) to 65500; NaN is refused as well.
bool SideFitsJpeg(double side) { return side <= kMaxJpegSide + 0.5; }

// A side that rounds to no pixel at all becomes one pixel, so an empty JPEG
// is never written.
int PixelSide(double side) {
  const long long rounded = RoundHalfToEven(side);
  return rounded < 1 ? 1 : static_cast<int>(rounded);
}

}  // namespace

void ResizeEngine::WriteResizedJPEG(ResizeJob& job) {
  host_.LightOn(Lamp::Write);
  host_.SetLampStatus(Lamp::Exif, settings_.ExifCopy && exif_found_);
  ScopeExit lamps_off([this] {
    host_.LightOff(Lamp::Exif);
    host_.LightOff(Lamp::Write);
  });

  // Refused before any pixel memory is taken.
  if (!SideFitsJpeg(job.TargetWidth) || !SideFitsJpeg(job.TargetHeight)) {
    host_.ShowMonitorMessage(kRed, kMsgTooLarge);
    return;
  }
  DrawScaled(job, PixelSide(job.TargetWidth), PixelSide(job.TargetHeight));

  const TGlobalWorkValue& work = global_work_value_;
  const bool sharpen = settings_.SharpNess >= 1 && settings_.SharpNess <= 3 &&
                       !EffectsOff(settings_, host_.IsActualSize()) && (work.SharpDivisor & 0xFF) != 0;
  if (sharpen)
    job.Work = Convolve3x3(std::move(job.Work), work.SharpKernel,
                           static_cast<std::uint8_t>(work.SharpDivisor & 0xFF), work.SharpBias);

  EncodeAndWrite(job);
}

void ResizeEngine::DrawScaled(ResizeJob& job, int width, int height) {
  // Sized white: what the draw does not cover, and every transparent part of
  // the source, stays white.
  job.Work = platform::Bitmap(width, height, platform::PixelFormat::Bgr24);
  job.Work.Fill(0xFF);

  imaging::TGPGraphics graphics(job.Work);
  imaging::TGPImageAttributes attributes;
  attributes.SetGamma(static_cast<float>(global_work_value_.GammaValue), imaging::ColorAdjustType::Default);
  // Beyond the source's edges the resampler sees it mirrored, so border
  // pixels never mix with an outside colour.
  attributes.SetWrapMode(imaging::WrapMode::TileFlipXY, 0xFF000000, false);
  graphics.SetSmoothingMode(imaging::SmoothingMode::AntiAlias);
  graphics.SetPixelOffsetMode(imaging::PixelOffsetMode::HighQuality);
  graphics.SetInterpolationMode(imaging::InterpolationMode::HighQualityBicubic);

  // The destination is the unrounded target (853.33 rows into 853), except a
  // side mended up to one pixel, which the draw covers whole.
  const imaging::RectF dest{0, 0, static_cast<float>(RoundHalfToEven(job.TargetWidth) < 1 ? 1.0 : job.TargetWidth),
                            static_cast<float>(RoundHalfToEven(job.TargetHeight) < 1 ? 1.0 : job.TargetHeight)};
  const imaging::RectF source{0, 0, static_cast<float>(job.SourceWidth), static_cast<float>(job.SourceHeight)};
  graphics.DrawImage(*job.Source, dest, source, imaging::Unit::Pixel, &attributes);
}

}  // namespace plendo::engine
