#include "codecs/HdrToSdr.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace plendo::codecs {
namespace {

using Matrix = std::array<std::array<double, 3>, 3>;

constexpr double kSdrPeakNits = 203;
constexpr double kHlgDisplayPeakNits = 1000;
constexpr double kHlgSystemGamma = 1.2;

// PQ (SMPTE ST 2084): signal 0..1 against luminance 0..10000 nits.
constexpr double kM1 = 2610.0 / 16384, kM2 = 2523.0 / 4096 * 128;
constexpr double kC1 = 3424.0 / 4096, kC2 = 2413.0 / 4096 * 32, kC3 = 2392.0 / 4096 * 32;

double PqToNits(double e) {
  const double p = std::pow(std::clamp(e, 0.0, 1.0), 1 / kM2);
  return 10000 * std::pow(std::max(p - kC1, 0.0) / (kC2 - kC3 * p), 1 / kM1);
}

double NitsToPq(double nits) {
  const double y = std::pow(std::clamp(nits / 10000, 0.0, 1.0), kM1);
  return std::pow((kC1 + kC2 * y) / (1 + kC3 * y), kM2);
}

// HLG's inverse OETF: signal 0..1 to scene light 0..1.
double HlgToScene(double e) {
  constexpr double a = 0.17883277, b = 1 - 4 * a, c = 0.55991073;  // c = 0.5 - a ln(4a)
  e = std::clamp(e, 0.0, 1.0);
  return e <= 0.5 ? e * e / 3 : (std::exp((e - c) / a) + b) / 12;
}

// The BT.2390 roll-off in PQ signal space: below the knee unchanged, above it
// a Hermite spline that reaches `target` (normalised to the source peak) at 1.
double Eetf(double e, double target) {
  const double knee = 1.5 * target - 0.5;
  if (e <= knee || knee >= 1) return e;
  const double t = (e - knee) / (1 - knee), t2 = t * t, t3 = t2 * t;
  return (2 * t3 - 3 * t2 + 1) * knee + (t3 - 2 * t2 + t) * (1 - knee) + (-2 * t3 + 3 * t2) * target;
}

Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix m{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) m[i][j] += a[i][k] * b[k][j];
  return m;
}

Matrix Inverse(const Matrix& m) {
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  Matrix r{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      const int i1 = (j + 1) % 3, i2 = (j + 2) % 3, j1 = (i + 1) % 3, j2 = (i + 2) % 3;
      r[i][j] = (m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1]) / det;
    }
  return r;
}

// Linear RGB in the given primaries to CIE XYZ, white at Y = 1.
Matrix RgbToXyz(double rx, double ry, double gx, double gy, double bx, double by, double wx, double wy) {
  const Matrix primaries{{{rx / ry, gx / gy, bx / by}, {1, 1, 1}, {(1 - rx - ry) / ry, (1 - gx - gy) / gy, (1 - bx - by) / by}}};
  const std::array<double, 3> white{wx / wy, 1, (1 - wx - wy) / wy};
  const Matrix inverse = Inverse(primaries);
  Matrix m = primaries;
  for (int j = 0; j < 3; ++j) {
    const double s = inverse[j][0] * white[0] + inverse[j][1] * white[1] + inverse[j][2] * white[2];
    for (int i = 0; i < 3; ++i) m[i][j] *= s;
  }
  return m;
}

// The coded primaries to sRGB's; primaries that make no matrix are taken as
// BT.2020, the usual ones of HDR pictures.
Matrix ToSrgbPrimaries(const CodedColour& c) {
  const Matrix srgb = RgbToXyz(0.64, 0.33, 0.30, 0.60, 0.15, 0.06, 0.3127, 0.3290);
  const double coded[] = {c.red_x, c.red_y, c.green_x, c.green_y, c.blue_x, c.blue_y, c.white_x, c.white_y};
  const bool usable = std::all_of(std::begin(coded), std::end(coded), [](double v) { return v > 0 && v < 1; });
  const Matrix source = usable ? RgbToXyz(c.red_x, c.red_y, c.green_x, c.green_y, c.blue_x, c.blue_y, c.white_x, c.white_y)
                               : RgbToXyz(0.708, 0.292, 0.170, 0.797, 0.131, 0.046, 0.3127, 0.3290);
  return Multiply(Inverse(srgb), source);
}

std::uint8_t SrgbByte(double linear) {
  linear = std::clamp(linear, 0.0, 1.0);
  const double v = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
  return static_cast<std::uint8_t>(std::lround(v * 255));
}

// Display light in nits, per channel, of every pixel; the picture's HLG
// rendering uses the luminance of the BT.2020 primaries.
std::vector<float> DisplayLight(const std::uint16_t* samples, int width, int height, int channels, std::size_t stride,
                                int transfer) {
  // Code value to light, by table: 65536 entries are cheaper than a pow a sample.
  std::vector<float> curve(65536);
  for (std::size_t v = 0; v < curve.size(); ++v) {
    const double e = static_cast<double>(v) / 65535;
    curve[v] = static_cast<float>(transfer == kTransferPq ? PqToNits(e) : HlgToScene(e));
  }
  std::vector<float> light(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  float* out = light.data();
  for (int y = 0; y < height; ++y) {
    const std::uint16_t* row = samples + static_cast<std::size_t>(y) * stride;
    for (int x = 0; x < width; ++x, row += channels, out += 3) {
      const float r = curve[row[0]], g = curve[row[1]], b = curve[row[2]];
      if (transfer == kTransferPq) {
        out[0] = r, out[1] = g, out[2] = b;
        continue;
      }
      const double ys = 0.2627 * r + 0.6780 * g + 0.0593 * b;
      const double gain = kHlgDisplayPeakNits * (ys > 0 ? std::pow(ys, kHlgSystemGamma - 1) : 0);
      out[0] = static_cast<float>(r * gain), out[1] = static_cast<float>(g * gain), out[2] = static_cast<float>(b * gain);
    }
  }
  return light;
}

// The level all but one pixel in a thousand stay under: lossy coding rings
// above a picture's true highlights, and one such pixel would set the peak
// and dim all the rest. The few brighter ones become the SDR peak, their hue
// kept.
float Peak(const std::vector<float>& light) {
  std::vector<float> brightest(light.size() / 3);
  for (std::size_t i = 0; i < brightest.size(); ++i)
    brightest[i] = std::max({light[3 * i], light[3 * i + 1], light[3 * i + 2]});
  if (brightest.empty()) return 0;
  const auto at = brightest.begin() + static_cast<std::ptrdiff_t>(static_cast<double>(brightest.size() - 1) * 0.999);
  std::nth_element(brightest.begin(), at, brightest.end());
  return *at;
}

}  // namespace

platform::Bitmap HdrToSdr(const std::uint16_t* samples, int width, int height, int channels, std::size_t stride,
                          const CodedColour& coding) {
  const std::vector<float> light = DisplayLight(samples, width, height, channels, stride, coding.transfer);
  // The roll-off runs from the picture's own peak; a picture no brighter
  // than the SDR peak is only rescaled.
  const double source_peak = std::max<double>(Peak(light), kSdrPeakNits);
  const double peak_pq = NitsToPq(source_peak);
  const double target = NitsToPq(kSdrPeakNits) / peak_pq;
  const Matrix to_srgb = ToSrgbPrimaries(coding);

  platform::Bitmap out(width, height, channels == 4 ? platform::PixelFormat::Bgra32 : platform::PixelFormat::Bgr24);
  const float* in = light.data();
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = out.Row(y);
    const std::uint16_t* alpha = samples + static_cast<std::size_t>(y) * stride + 3;
    for (int x = 0; x < width; ++x, in += 3, row += channels) {
      // The roll-off on the brightest channel, the others scaled alike, so
      // hues stay.
      const double brightest = std::max({in[0], in[1], in[2]});
      double scale = 0;
      if (brightest > 0) {
        const double mapped = Eetf(std::min(NitsToPq(brightest) / peak_pq, 1.0), target) * peak_pq;
        scale = PqToNits(mapped) / brightest / kSdrPeakNits;
      }
      double rgb[3];
      for (int i = 0; i < 3; ++i)
        rgb[i] = (to_srgb[i][0] * in[0] + to_srgb[i][1] * in[1] + to_srgb[i][2] * in[2]) * scale;
      row[0] = SrgbByte(rgb[2]), row[1] = SrgbByte(rgb[1]), row[2] = SrgbByte(rgb[0]);
      if (channels == 4) row[3] = static_cast<std::uint8_t>((alpha[static_cast<std::size_t>(x) * 4] + 128) / 257);
    }
  }
  return out;
}

}  // namespace plendo::codecs
