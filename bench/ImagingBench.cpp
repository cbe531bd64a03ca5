// Kernels of one conversion: decoding a 24-megapixel JPEG whole and shrunk on
// load, the scaled draw to the common sizes, the sharpening of the result
// (after the draw and row by row during it) and the JPEG encode.
#include <benchmark/benchmark.h>

#include <cmath>

#include "engine/SharpenFilter.h"
#include "imaging/Graphics.h"
#include "imaging/JpegDecoder.h"
#include "codecs/JpegEncoder.h"

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

const Bitmap& Photo3000() {
  static const Bitmap photo = MakePhoto(3000, 2000);
  return photo;
}

engine::Kernel3x3 SharpenKernel() {
  engine::Kernel3x3 kernel;
  kernel.fill(-1);
  kernel[4] = 24;
  return kernel;
}

// Argument: the scale denominator, 1 (whole), 2, 4 or 8.
void BM_DecodeJpeg6000x4000(benchmark::State& state) {
  const std::vector<std::uint8_t> jpeg = codecs::EncodeJpeg(Photo(), {.quality = 90});
  const int scale = static_cast<int>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(imaging::DecodeJpeg(jpeg, scale));
  state.counters["file_MB"] = jpeg.size() / 1e6;
}
BENCHMARK(BM_DecodeJpeg6000x4000)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);

// The engine's draw: a white target, the unrounded height, gamma 1.0; with
// `sharpen_rows`, each row is sharpened as the draw finishes it.
void Draw(const imaging::TGPBitmap& source, int width, double height, bool sharpen_rows) {
  Bitmap target(width, static_cast<int>(std::lround(height)), PixelFormat::Bgr24);
  target.Fill(0xFF);
  imaging::TGPGraphics graphics(target);
  imaging::TGPImageAttributes attributes;
  const auto w = static_cast<float>(source.GetWidth()), h = static_cast<float>(source.GetHeight());
  if (sharpen_rows) {
    engine::RowSharpener sharpener(target, SharpenKernel(), 16, 0);
    graphics.SetRowCallback([&](int y) { sharpener.RowReady(y); });
    graphics.DrawImage(source, {0, 0, static_cast<float>(width), static_cast<float>(height)}, {0, 0, w, h},
                       imaging::Unit::Pixel, &attributes);
    sharpener.Finish();
  } else {
    graphics.DrawImage(source, {0, 0, static_cast<float>(width), static_cast<float>(height)}, {0, 0, w, h},
                       imaging::Unit::Pixel, &attributes);
  }
  benchmark::DoNotOptimize(target.Row(0));
}

// Argument: the target width.
void BM_Resample6000x4000(benchmark::State& state) {
  const imaging::TGPBitmap source(Photo().Clone());
  const int width = static_cast<int>(state.range(0));
  for (auto _ : state) Draw(source, width, 4000.0 * width / 6000.0, false);
}
BENCHMARK(BM_Resample6000x4000)->Arg(640)->Arg(1920)->Unit(benchmark::kMillisecond);

// Argument: 1 to sharpen every row as the draw finishes it.
void BM_Resample3000x2000To1920(benchmark::State& state) {
  const imaging::TGPBitmap source(Photo3000().Clone());
  for (auto _ : state) Draw(source, 1920, 1280, state.range(0) != 0);
}
BENCHMARK(BM_Resample3000x2000To1920)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Argument: 0 sharpens the finished picture, 1 feeds it to RowSharpener row by row.
void BM_Sharpen1920x1280(benchmark::State& state) {
  const Bitmap picture = MakePhoto(1920, 1280);
  const bool streaming = state.range(0) != 0;
  for (auto _ : state) {
    state.PauseTiming();
    Bitmap copy = picture.Clone();
    state.ResumeTiming();
    if (streaming) {
      engine::RowSharpener sharpener(copy, SharpenKernel(), 16, 0);
      for (int y = 0; y < copy.Height(); ++y) sharpener.RowReady(y);
      sharpener.Finish();
      benchmark::DoNotOptimize(copy.Row(0));
    } else {
      benchmark::DoNotOptimize(engine::Convolve3x3(std::move(copy), SharpenKernel(), 16, 0));
    }
  }
}
BENCHMARK(BM_Sharpen1920x1280)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Encode1920x1280(benchmark::State& state) {
  const Bitmap picture = MakePhoto(1920, 1280);
  for (auto _ : state) benchmark::DoNotOptimize(codecs::EncodeJpeg(picture, {.quality = 70}));
}
BENCHMARK(BM_Encode1920x1280)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plendo
