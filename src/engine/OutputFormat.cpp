#include "engine/OutputFormat.h"

#include <algorithm>
#include <array>

#include "engine/JobParameters.h"

namespace plendo::engine {
namespace {

using settings::OutputFormat;

// Compress -> encoder quality at these Compress points, linear between them.
struct QualityPoint {
  int compress;
  int encoder;
};
using QualityCurve = std::array<QualityPoint, 4>;

// Measured at JPEG 70 and 90 (mean over 24 and 12 MP photos at 1920: the
// encoder quality whose round trip has the SSIM of JPEG's); straight lines
// to 0 and 100 between.
constexpr QualityCurve kWebpCurve{{{0, 0}, {70, 73}, {90, 86}, {100, 100}}};
constexpr QualityCurve kAvifCurve{{{0, 0}, {70, 54}, {90, 73}, {100, 100}}};
constexpr QualityCurve kJxlCurve{{{0, 0}, {70, 77}, {90, 91}, {100, 100}}};

int Interpolate(const QualityCurve& curve, int compress) {
  for (std::size_t i = 1; i < curve.size(); ++i) {
    const QualityPoint a = curve[i - 1], b = curve[i];
    if (compress <= b.compress)
      return a.encoder + ((compress - a.compress) * (b.encoder - a.encoder) + (b.compress - a.compress) / 2) /
                             (b.compress - a.compress);
  }
  return curve.back().encoder;
}

}  // namespace

OutputFormat FormatOf(std::int32_t out_format) {
  return out_format >= settings::kFormatJpeg && out_format <= settings::kFormatJxl
             ? static_cast<OutputFormat>(out_format)
             : settings::kFormatJpeg;
}

std::string FormatExtension(OutputFormat format, std::int32_t jpeg_ext) {
  switch (format) {
    case settings::kFormatPng: return ".png";
    case settings::kFormatWebp: return ".webp";
    case settings::kFormatAvif: return ".avif";
    case settings::kFormatJxl: return ".jxl";
    default: return OutputExtension(jpeg_ext);
  }
}

bool KeepsAlpha(OutputFormat format) { return format != settings::kFormatJpeg; }
bool HasQuality(OutputFormat format) { return format != settings::kFormatPng; }

int EncoderQuality(OutputFormat format, int compress) {
  const int c = std::clamp(compress & 0xFF, 0, 100);
  switch (format) {
    case settings::kFormatWebp: return Interpolate(kWebpCurve, c);
    case settings::kFormatAvif: return Interpolate(kAvifCurve, c);
    case settings::kFormatJxl: return Interpolate(kJxlCurve, c);
    default: return compress & 0xFF;
  }
}

bool IsLossless(OutputFormat format, int compress) {
  return (format == settings::kFormatWebp || format == settings::kFormatJxl) && (compress & 0xFF) == 100;
}

}  // namespace plendo::engine
