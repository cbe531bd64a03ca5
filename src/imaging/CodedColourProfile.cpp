#include "imaging/CodedColourProfile.h"

#include <cmath>
#include <memory>
#include <optional>

#include <lcms2.h>

#include "platform/CallFree.h"

namespace plendo::imaging {
namespace {

struct Primaries {
  const char* name;
  double red_x, red_y, green_x, green_y, blue_x, blue_y, white_x, white_y;
};

// The sets a viewer names; anything else is described as plain RGB.
constexpr Primaries kSrgb{"sRGB", 0.64, 0.33, 0.30, 0.60, 0.15, 0.06, 0.3127, 0.3290};
constexpr Primaries kNamed[] = {
    {"Display P3", 0.680, 0.320, 0.265, 0.690, 0.150, 0.060, 0.3127, 0.3290},
    {"DCI-P3", 0.680, 0.320, 0.265, 0.690, 0.150, 0.060, 0.314, 0.351},
    {"Rec. 2020", 0.708, 0.292, 0.170, 0.797, 0.131, 0.046, 0.3127, 0.3290},
};

bool Matches(const codecs::CodedColour& c, const Primaries& p) {
  constexpr double kTolerance = 0.002;
  const double coded[] = {c.red_x, c.red_y, c.green_x, c.green_y, c.blue_x, c.blue_y, c.white_x, c.white_y};
  const double named[] = {p.red_x, p.red_y, p.green_x, p.green_y, p.blue_x, p.blue_y, p.white_x, p.white_y};
  for (int i = 0; i < 8; ++i)
    if (std::fabs(coded[i] - named[i]) > kTolerance) return false;
  return true;
}

bool Usable(const codecs::CodedColour& c) {
  const double coded[] = {c.red_x, c.red_y, c.green_x, c.green_y, c.blue_x, c.blue_y, c.white_x, c.white_y};
  for (const double v : coded)
    if (!(v > 0 && v < 1)) return false;
  return true;
}

using Curve = std::unique_ptr<cmsToneCurve, platform::CallFree<cmsFreeToneCurve>>;

// The curve for an H.273 transfer number; nullopt for the HDR and log
// curves. The video curves (BT.709, BT.601, BT.2020 and their kin) are
// shown on displays as sRGB is, so they take its curve.
std::optional<double> PlainGamma(int transfer) {
  switch (transfer) {
    case 4: return 2.2;
    case 5: return 2.8;
    case 8: return 1.0;
    default: return std::nullopt;
  }
}

bool SrgbLike(int transfer) {
  switch (transfer) {
    case 1: case 2: case 6: case 7: case 11: case 12: case 13: case 14: case 15: return true;
    default: return false;
  }
}

Curve CurveFor(int transfer) {
  if (const std::optional<double> gamma = PlainGamma(transfer)) return Curve(cmsBuildGamma(nullptr, *gamma));
  if (!SrgbLike(transfer)) return nullptr;
  const double srgb[] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
  return Curve(cmsBuildParametricToneCurve(nullptr, 4, srgb));
}

const char* NameFor(const codecs::CodedColour& c) {
  for (const Primaries& p : kNamed)
    if (Matches(c, p)) return p.name;
  return "RGB";
}

}  // namespace

std::vector<std::uint8_t> ProfileForCodedColour(const codecs::CodedColour& colour) {
  if (!Usable(colour) || (Matches(colour, kSrgb) && SrgbLike(colour.transfer))) return {};
  const Curve curve = CurveFor(colour.transfer);
  if (!curve) return {};
  const cmsCIExyY white{colour.white_x, colour.white_y, 1.0};
  const cmsCIExyYTRIPLE primaries{{colour.red_x, colour.red_y, 1.0},
                                  {colour.green_x, colour.green_y, 1.0},
                                  {colour.blue_x, colour.blue_y, 1.0}};
  cmsToneCurve* curves[3] = {curve.get(), curve.get(), curve.get()};
  const std::unique_ptr<void, platform::CallFree<cmsCloseProfile>> profile(
      cmsCreateRGBProfile(&white, &primaries, curves));
  if (!profile) return {};
  cmsSetProfileVersion(profile.get(), 2.1);
  const std::unique_ptr<cmsMLU, platform::CallFree<cmsMLUfree>> description(cmsMLUalloc(nullptr, 1));
  if (!description || !cmsMLUsetASCII(description.get(), "en", "US", NameFor(colour)) ||
      !cmsWriteTag(profile.get(), cmsSigProfileDescriptionTag, description.get()))
    return {};
  cmsUInt32Number size = 0;
  if (!cmsSaveProfileToMem(profile.get(), nullptr, &size) || size == 0) return {};
  std::vector<std::uint8_t> bytes(size);
  if (!cmsSaveProfileToMem(profile.get(), bytes.data(), &size)) return {};
  bytes.resize(size);
  return bytes;
}

}  // namespace plendo::imaging
