// Which entry of an icon is shown, and where its transparency comes from,
// alike in the conversion (PNG entries through libpng) and in the preview
// (PNG entries through the preview's own decoder).
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "imaging/ImageDecoder.h"
#include "preview/IconImage.h"
#include "support/TestImages.h"

namespace plendo::preview {
namespace {

using platform::Bitmap;
using platform::PixelFormat;
using platform::Rgba;
using test::Bytes;

constexpr Rgba kRed{220, 0, 0, 255}, kBlue{0, 0, 250, 255}, kGreen{0, 180, 0, 255};

// A flat picture whose pixel (1, 1) is transparent.
Bitmap Holed(int side, Rgba colour) {
  Bitmap b = test::MakeFlat(side, side, colour, PixelFormat::Bgra32);
  b.Row(1)[4 + 3] = 0;
  return b;
}

Bitmap InPreview(const Bytes& ico) {
  TIcon icon;
  std::istringstream stream(std::string(ico.begin(), ico.end()));
  icon.LoadFromStream(stream);
  return icon.Pixels().Clone();
}

struct IconCase {
  const char* name;
  std::function<Bytes()> make;
  int width;      // of the entry shown
  Rgba colour;    // at (0, 0)
  bool hole;      // (1, 1) transparent
  friend void PrintTo(const IconCase& c, std::ostream* os) { *os << c.name; }
};

class IconEntry : public ::testing::TestWithParam<IconCase> {};

TEST_P(IconEntry, ConversionAndPreviewShowTheSameEntry) {
  const Bytes ico = GetParam().make();
  const std::pair<const char*, Bitmap> decodes[] = {{"conversion", imaging::DecodeImage(ico)},
                                                    {"preview", InPreview(ico)}};
  for (const auto& [by, bitmap] : decodes) {
    SCOPED_TRACE(by);
    EXPECT_EQ(bitmap.Width(), GetParam().width);
    EXPECT_EQ(bitmap.PixelAt(0, 0), GetParam().colour);
    EXPECT_EQ(bitmap.PixelAt(1, 1).a, GetParam().hole ? 0 : 255);
  }
}

const Bitmap kRed48 = Holed(48, kRed), kRed16 = Holed(16, kRed), kBlue64 = Holed(64, kBlue),
             kGreen96 = Holed(96, kGreen), kRed8 = Holed(8, kRed);
const Bytes kProfile(300, 0xFF);  // read as a mask, it would hide every pixel

INSTANTIATE_TEST_SUITE_P(
    Icons, IconEntry,
    ::testing::Values(
        IconCase{"PngOf32BitsOverA4BitDib", [] { return test::WriteIco({{&kRed48, 4}, {&kBlue64, 32, true}}); }, 64,
                 kBlue, true},
        IconCase{"DibOf32BitsOverAPalettePng",
                 [] { return test::WriteIco({{&kGreen96, 8, true, {.palette = true}}, {&kRed16, 32}}); }, 16, kRed,
                 true},
        IconCase{"LargerOfEqualDepth", [] { return test::WriteIco({{&kRed16, 32}, {&kBlue64, 32, true}}); }, 64,
                 kBlue, true},
        IconCase{"MaskAfterAV5Profile",
                 [] { return test::WriteIco({{.bitmap = &kRed8, .bits = 24, .icc_profile = kProfile}}); }, 8, kRed,
                 true},
        IconCase{"V5ProfileWithoutMask",
                 [] {
                   return test::WriteIco({{.bitmap = &kRed8, .bits = 24, .icc_profile = kProfile, .and_mask = false}});
                 },
                 8, kRed, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plendo::preview
