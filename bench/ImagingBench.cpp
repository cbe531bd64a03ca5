// Kernels of one conversion on a 24-megapixel photo: decode, the scaled draw
// to the two common sizes, and the sharpening of the result.
#include <benchmark/benchmark.h>

#include <cmath>

#include "engine/SharpenFilter.h"
#include "imaging/Graphics.h"
#include "imaging/JpegDecoder.h"
#include "platform/JpegEncoder.h"

namespace plendo {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

// Smooth colour fields with some fine texture, so the JPEG is photo-like in
// size rather than trivially compressible.
Bitmap MakePhoto(int width, int height) {
  Bitmap b(width, height, PixelFormat::Bgr24);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = b.Row(y);
    for (int x = 0; x < width; ++x) {
      const int noise = static_cast<int>((x * 7919u + y * 104729u) % 23u);
      row[3 * x] = static_cast<std::uint8_t>(128 + 100 * std::sin(x * 0.0021) + noise);
      row[3 * x + 1] = static_cast<std::uint8_t>(128 + 90 * std::cos(y * 0.0017) + noise);
      row[3 * x + 2] = static_cast<std::uint8_t>((x + y) / 40 % 200 + noise);
    }
  }
  return b;
}

const Bitmap& Photo() {
  static const Bitmap photo = MakePhoto(6000, 4000);
  return photo;
}

void BM_DecodeJpeg6000x4000(benchmark::State& state) {
  const std::vector<std::uint8_t> jpeg = platform::EncodeJpeg(Photo(), {.quality = 90});
  for (auto _ : state) benchmark::DoNotOptimize(imaging::DecodeJpeg(jpeg));
  state.counters["file_MB"] = jpeg.size() / 1e6;
}
BENCHMARK(BM_DecodeJpeg6000x4000)->Unit(benchmark::kMillisecond);

// The engine's draw: a white target, the unrounded height, gamma 1.0.
void BM_Resample6000x4000(benchmark::State& state) {
  const imaging::TGPBitmap source(Photo().Clone());
  const int width = static_cast<int>(state.range(0));
  const double height = 4000.0 * width / 6000.0;
  for (auto _ : state) {
    Bitmap target(width, static_cast<int>(std::lround(height)), PixelFormat::Bgr24);
    target.Fill(0xFF);
    imaging::TGPGraphics graphics(target);
    imaging::TGPImageAttributes attributes;
    graphics.DrawImage(source, {0, 0, static_cast<float>(width), static_cast<float>(height)}, {0, 0, 6000, 4000},
                       imaging::Unit::Pixel, &attributes);
    benchmark::DoNotOptimize(target.Row(0));
  }
}
BENCHMARK(BM_Resample6000x4000)->Arg(640)->Arg(1920)->Unit(benchmark::kMillisecond);

void BM_Convolve3x3_1920x1280(benchmark::State& state) {
  const Bitmap picture = MakePhoto(1920, 1280);
  engine::Kernel3x3 kernel;
  kernel.fill(-1);
  kernel[4] = 24;
  for (auto _ : state) benchmark::DoNotOptimize(engine::Convolve3x3(picture.Clone(), kernel, 16, 0));
}
BENCHMARK(BM_Convolve3x3_1920x1280)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plendo
