// Measures which quality of each lossy encoder looks like JPEG at a given
// quality: for each picture (already at its output size), the SSIM of the
// JPEG round trip at Q, then the encoder quality whose round trip reaches the
// same SSIM, found by halving. Prints the mean per format and Q; the
// engine's quality curves (engine/OutputFormat.cpp) come from it.
//
// Usage: quality_map Q[,Q...] PICTURE...   (e.g. quality_map 50,70,90 out/*.png)
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "codecs/AvifEncoder.h"
#include "codecs/JpegEncoder.h"
#include "codecs/JxlEncoder.h"
#include "codecs/WebpEncoder.h"
#include "imaging/ImageDecoder.h"
#include "platform/Bitmap.h"
#include "platform/FileBytes.h"

namespace {

using plendo::platform::Bitmap;
using Bytes = std::vector<std::uint8_t>;

std::vector<float> Luma(const Bitmap& b) {
  std::vector<float> y(static_cast<std::size_t>(b.Width()) * b.Height());
  for (int r = 0; r < b.Height(); ++r)
    for (int x = 0; x < b.Width(); ++x) {
      const auto p = b.PixelAt(x, r);
      y[static_cast<std::size_t>(r) * b.Width() + x] = 0.299f * p.r + 0.587f * p.g + 0.114f * p.b;
    }
  return y;
}

// Mean SSIM of the luma over 8 x 8 windows with a stride of 4.
double Ssim(const Bitmap& a, const Bitmap& b) {
  const std::vector<float> x = Luma(a), y = Luma(b);
  const int w = a.Width(), h = a.Height();
  const double c1 = 6.5025, c2 = 58.5225;
  double sum = 0;
  int windows = 0;
  for (int top = 0; top + 8 <= h; top += 4)
    for (int left = 0; left + 8 <= w; left += 4) {
      double mx = 0, my = 0, xx = 0, yy = 0, xy = 0;
      for (int r = top; r < top + 8; ++r)
        for (int c = left; c < left + 8; ++c) {
          const double u = x[static_cast<std::size_t>(r) * w + c], v = y[static_cast<std::size_t>(r) * w + c];
          mx += u, my += v, xx += u * u, yy += v * v, xy += u * v;
        }
      mx /= 64, my /= 64;
      const double vx = xx / 64 - mx * mx, vy = yy / 64 - my * my, cov = xy / 64 - mx * my;
      sum += ((2 * mx * my + c1) * (2 * cov + c2)) / ((mx * mx + my * my + c1) * (vx + vy + c2));
      ++windows;
    }
  return sum / windows;
}

using Encoder = std::function<Bytes(const Bitmap&, int)>;

double RoundTrip(const Bitmap& picture, const Encoder& encode, int quality) {
  return Ssim(picture, plendo::platform::ConvertToBgr24(plendo::imaging::DecodeImage(encode(picture, quality))));
}

// The lowest encoder quality whose SSIM reaches `target`.
int Match(const Bitmap& picture, const Encoder& encode, double target) {
  int lo = 0, hi = 100;
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (RoundTrip(picture, encode, mid) >= target) hi = mid; else lo = mid + 1;
  }
  return lo;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: quality_map Q[,Q...] PICTURE...\n");
    return 2;
  }
  std::vector<int> qualities;
  std::stringstream list(argv[1]);
  for (std::string q; std::getline(list, q, ',');) qualities.push_back(std::atoi(q.c_str()));
  const std::pair<const char*, Encoder> formats[] = {
      {"WebP", [](const Bitmap& b, int q) { return plendo::codecs::EncodeWebp(b, {q}); }},
      {"AVIF", [](const Bitmap& b, int q) { return plendo::codecs::EncodeAvif(b, {q}); }},
      {"JPEG XL", [](const Bitmap& b, int q) { return plendo::codecs::EncodeJxl(b, {q}); }},
  };
  const Encoder jpeg = [](const Bitmap& b, int q) { return plendo::codecs::EncodeJpeg(b, {q, false}); };
  std::vector<std::vector<double>> sums(std::size(formats), std::vector<double>(qualities.size()));
  std::vector<double> jpeg_ssim(qualities.size());
  int pictures = 0;
  for (int i = 2; i < argc; ++i, ++pictures) {
    const Bitmap picture = plendo::platform::ConvertToBgr24(
        plendo::imaging::DecodeImage(plendo::platform::ReadFileBytes(argv[i], std::size_t{1} << 30)));
    for (std::size_t q = 0; q < qualities.size(); ++q) {
      const double target = RoundTrip(picture, jpeg, qualities[q]);
      jpeg_ssim[q] += target;
      for (std::size_t f = 0; f < std::size(formats); ++f) sums[f][q] += Match(picture, formats[f].second, target);
    }
    std::fprintf(stderr, "%s done\n", argv[i]);
  }
  std::printf("%-8s", "JPEG Q");
  for (int q : qualities) std::printf(" %6d", q);
  std::printf("\n%-8s", "SSIM");
  for (double s : jpeg_ssim) std::printf(" %6.4f", s / pictures);
  std::printf("\n");
  for (std::size_t f = 0; f < std::size(formats); ++f) {
    std::printf("%-8s", formats[f].first);
    for (double s : sums[f]) std::printf(" %6.1f", s / pictures);
    std::printf("\n");
  }
  return 0;
}
