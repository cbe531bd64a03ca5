// Files of others with EMF+ records, drawn by the EMF+ player and compared
// with their GDI drawings. The suite runs on fonts of its own
// (tests/data/fonts), so the text in them measures the same on any machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "MetafileFiles.h"
#include "support/TestNames.h"

namespace plendo::codecs {
namespace {

// fontconfig reads its configuration once, at the first use in the process.
const bool kOwnFonts = setenv("FONTCONFIG_FILE", PLENDO_TESTDATA "/fonts/fonts.conf", 1) == 0;

struct Pair {
  const char* file;
  double tolerance;  // mean difference per channel, measured plus a margin
  friend void PrintTo(const Pair& p, std::ostream* os) { *os << p.file; }
};

class EmfPlusDual : public ::testing::TestWithParam<Pair> {};

// The same picture from the file's two kinds of records. What differs is
// antialiasing and alpha, which only the EMF+ records have, and text: the
// EMF+ records place it by its layout box, the GDI ones glyph by glyph.
TEST_P(EmfPlusDual, DrawsWhatItsGdiRecordsDraw) {
  ASSERT_TRUE(kOwnFonts);
  const Pair& p = GetParam();
  const test::Bytes bytes = test::ReadMetafile(p.file);
  const MetafileSize size = InspectMetafile(bytes);
  platform::Bitmap plus(size.width, size.height, platform::PixelFormat::Bgr24);
  platform::Bitmap gdi(size.width, size.height, platform::PixelFormat::Bgr24);
  plus.Fill(0xFF), gdi.Fill(0xFF);
  DrawMetafile(bytes, plus, size.width, size.height, MetafileRecords::EmfPlus);
  DrawMetafile(bytes, gdi, size.width, size.height, MetafileRecords::Gdi);
  const double d = test::MeanDifference(plus, gdi);
  RecordProperty("mean_difference", std::to_string(d));
  EXPECT_LT(d, p.tolerance);
  EXPECT_GT(test::NonWhitePixels(plus), 0u);
}

INSTANTIATE_TEST_SUITE_P(Folder, EmfPlusDual,
                         ::testing::Values(Pair{"libemf2svg/emf/test-000.emf", 4.1}, Pair{"libemf2svg/emf/test-120.emf", 3.7},
                                           Pair{"libemf2svg/emf/test-118.emf", 6.8}, Pair{"libemf2svg/emf/test-160.emf", 0.6},
                                           Pair{"libemf2svg/emf/test-161.emf", 1.2},
                                           // 32 x 9 pixels: the edges are most of the picture.
                                           Pair{"libemf2svg/emf/test-182.emf", 30},
                                           Pair{"libemf2svg/emf-ea/EA-test-file-020.emf", 2.9},
                                           Pair{"libemf2svg/emf-ea/EA-test-file-101.emf", 4.9},
                                           // A WMF inside an EMF+ image object.
                                           Pair{"poi/slideshow/nested_wmf.emf", 0.5}),
                         test::PrintedName());

// Part of a picture: columns [x0, x1), rows [y0, y1).
platform::Bitmap Crop(const platform::Bitmap& b, int x0, int y0, int x1, int y1) {
  platform::Bitmap out(x1 - x0, y1 - y0, platform::PixelFormat::Bgr24);
  for (int y = y0; y < y1; ++y) std::copy_n(b.Row(y) + 3 * x0, 3 * (x1 - x0), out.Row(y - y0));
  return out;
}

// The EMF+ sample and the GDI sample of one generator draw the same page
// background, and in the band below their titles the same rows of figures
// (filled and outlined shapes, pies, chords, arcs); the rest of the two
// pages differs in what it shows.
TEST(EmfPlusOnly, TheSampleLooksLikeItsGdiTwin) {
  const platform::Bitmap plus = test::DrawOnWhite(test::ReadMetafile("libemf2svg/libuemf/test_libuemf_p_ref.emf"), 561, 397);
  const platform::Bitmap gdi = test::DrawOnWhite(test::ReadMetafile("libemf2svg/libuemf/test_libuemf_ref.emf"), 561, 397);
  ASSERT_TRUE(kOwnFonts);
  const platform::Rgba page = plus.PixelAt(300, 390), twin = gdi.PixelAt(300, 390);
  EXPECT_NEAR(page.r, twin.r, 6);
  EXPECT_NEAR(page.g, twin.g, 6);
  EXPECT_NEAR(page.b, twin.b, 6);
  // The band measures 13.2; the background alone, without the figures, 30.8.
  const double band = test::MeanDifference(Crop(plus, 0, 48, 150, 140), Crop(gdi, 0, 48, 150, 140));
  RecordProperty("mean_difference", std::to_string(band));
  EXPECT_LT(band, 14.5);
}

}  // namespace
}  // namespace plendo::codecs
