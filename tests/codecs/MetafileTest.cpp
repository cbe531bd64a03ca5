// WMF and EMF files written by others: reference renderings, natural sizes,
// every real file drawing something, mapping modes, broken files.
#include <gtest/gtest.h>

#include "MetafileFiles.h"
#include "imaging/PngDecoder.h"
#include "support/TestNames.h"

namespace plendo::codecs {
namespace {

using test::ReadMetafile;

struct Reference {
  const char* file;
  const char* png;
  int width, height;
  double tolerance;  // mean difference per channel
  friend void PrintTo(const Reference& r, std::ostream* os) { *os << r.png; }
};

class MetafileReference : public ::testing::TestWithParam<Reference> {};

// Renderings of the same files by Windows GDI, at the sizes and dpi the
// folder's README gives.
TEST_P(MetafileReference, MatchesTheRenderingOfTheReferencePlatform) {
  const Reference& r = GetParam();
  const platform::Bitmap expected = imaging::DecodePng(ReadMetafile(r.png));
  ASSERT_EQ(expected.Width(), r.width);
  ASSERT_EQ(expected.Height(), r.height);
  const platform::Bitmap ours = test::DrawOnWhite(ReadMetafile(r.file), r.width, r.height);
  // What is left is antialiasing: GDI lights whole pixels along the edges
  // (and leaves gaps in a pen narrower than a pixel), we shade them; the
  // fewer the pixels, the more the edges weigh.
  EXPECT_LT(test::MeanDifference(ours, expected), r.tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Pillow, MetafileReference,
    ::testing::Values(Reference{"pillow/drawing.emf", "pillow/drawing_emf_ref.png", 1625, 1625, 0.25},
                      Reference{"pillow/drawing.emf", "pillow/drawing_emf_ref_72_144.png", 82, 164, 3.7},
                      Reference{"pillow/drawing.wmf", "pillow/drawing_wmf_ref.png", 82, 82, 3.6},
                      Reference{"pillow/drawing.wmf", "pillow/drawing_wmf_ref_144.png", 164, 164, 2.0}),
    test::PrintedName());

struct RealFile {
  const char* file;
  int width, height;  // natural size at 96 dpi
  bool blank_on_white = false;
  friend void PrintTo(const RealFile& r, std::ostream* os) { *os << r.file; }
};

class MetafileRealFile : public ::testing::TestWithParam<RealFile> {};

TEST_P(MetafileRealFile, HasItsNaturalSizeAndDrawsSomething) {
  const RealFile& r = GetParam();
  const test::Bytes bytes = ReadMetafile(r.file);
  const MetafileSize size = InspectMetafile(bytes);
  EXPECT_EQ(size.width, r.width);
  EXPECT_EQ(size.height, r.height);
  const platform::Bitmap drawn = test::DrawOnWhite(bytes, size.width, size.height);
  if (r.blank_on_white) return;
  EXPECT_GT(test::NonWhitePixels(drawn), 0u);
}

// Natural sizes as the folder's README lists them (a plain WMF's from its
// window extent). Blank on white: test-030 holds nothing, test-185's text is
// glyph indices of a font we do not have, empty-polygon-close is white
// polygons.
INSTANTIATE_TEST_SUITE_P(
    Folder, MetafileRealFile,
    ::testing::Values(
        RealFile{"dotnet-runtime-assets/gdiwmfboundariesbug.wmf", 324, 252},
        RealFile{"dotnet-runtime-assets/milkmateya01.emf", 755, 1071},
        RealFile{"dotnet-runtime-assets/telescope_01.wmf", 490, 654},
        RealFile{"libemf2svg/emf-ea/EA-test-file-001.emf", 614, 672},
        RealFile{"libemf2svg/emf-ea/EA-test-file-003.emf", 382, 529},
        RealFile{"libemf2svg/emf-ea/EA-test-file-010.emf", 804, 487},
        RealFile{"libemf2svg/emf-ea/EA-test-file-020.emf", 677, 952},
        RealFile{"libemf2svg/emf-ea/EA-test-file-101.emf", 481, 360},
        RealFile{"libemf2svg/emf/test-000.emf", 464, 239}, RealFile{"libemf2svg/emf/test-001.emf", 623, 467},
        RealFile{"libemf2svg/emf/test-013.emf", 554, 663}, RealFile{"libemf2svg/emf/test-030.emf", 635, 762, true},
        RealFile{"libemf2svg/emf/test-068.emf", 777, 553}, RealFile{"libemf2svg/emf/test-118.emf", 756, 496},
        RealFile{"libemf2svg/emf/test-120.emf", 482, 239}, RealFile{"libemf2svg/emf/test-160.emf", 305, 365},
        RealFile{"libemf2svg/emf/test-161.emf", 295, 391}, RealFile{"libemf2svg/emf/test-165.emf", 946, 657},
        RealFile{"libemf2svg/emf/test-182.emf", 32, 9}, RealFile{"libemf2svg/emf/test-183.emf", 1279, 721},
        RealFile{"libemf2svg/emf/test-184.emf", 960, 720}, RealFile{"libemf2svg/emf/test-185.emf", 1279, 721, true},
        RealFile{"libemf2svg/emf/test-186.emf", 150, 51},
        RealFile{"libemf2svg/libuemf/test_libuemf_ref.emf", 1122, 794},
        RealFile{"libemf2svg/libuemf/test_libuemf_ref.wmf", 1122, 794},
        RealFile{"libgdiplus/test.emf", 73, 71}, RealFile{"libgdiplus/test.wmf", 770, 649},
        RealFile{"pillow/drawing.emf", 110, 110}, RealFile{"pillow/drawing.wmf", 110, 110},
        RealFile{"pillow/drawing_roundDown.emf", 110, 110},
        RealFile{"poi/document/testException2.doc-2.wmf", 443, 182},
        RealFile{"poi/document/vector_image.emf", 706, 578}, RealFile{"poi/slideshow/60677.wmf", 1693, 1143},
        RealFile{"poi/slideshow/64716_image1.wmf", 61, 41}, RealFile{"poi/slideshow/64716_image2.wmf", 195, 49},
        RealFile{"poi/slideshow/64716_image3.wmf", 445, 520},
        RealFile{"poi/slideshow/empty-polygon-close.wmf", 1073, 304, true},
        RealFile{"poi/slideshow/nested_wmf.emf", 521, 377}, RealFile{"poi/slideshow/santa.wmf", 181, 194},
        RealFile{"poi/slideshow/wrench.emf", 224, 136}, RealFile{"poi/spreadsheet/63327.emf", 42, 51},
        RealFile{"poi/spreadsheet/SimpleEMF_mac.emf", 792, 1121},
        RealFile{"poi/spreadsheet/SimpleEMF_windows.emf", 82, 61},
        RealFile{"poi/xmldsign/jack-sign.emf", 272, 106}, RealFile{"twelvemonkeys/test.wmf", 133, 107}),
    test::PrintedName());

struct Spot {
  const char* file;
  double x, y;  // fraction of the natural size
  platform::Rgba colour;
  friend void PrintTo(const Spot& s, std::ostream* os) { *os << s.file; }
};

class MetafileSpot : public ::testing::TestWithParam<Spot> {};

// The colour a picture must have at one place, where an earlier player went
// wrong: nested_wmf's page is a monochrome brush without a palette, whose 0
// bits paint in the text colour (white); test_libuemf_ref.wmf has a square
// after a region written in a shorter layout, and a one-bit pattern brush
// whose rows are stored closer than its header says (its 0 bits: magenta),
// and a dark red rectangle in R2_NOTCOPYPEN; EA-test-file-001 counts y
// upwards from its frame, so its first box's border is at the top.
TEST_P(MetafileSpot, HasItsColourThere) {
  const Spot& s = GetParam();
  const test::Bytes bytes = ReadMetafile(s.file);
  const MetafileSize size = InspectMetafile(bytes);
  const platform::Bitmap drawn = test::DrawOnWhite(bytes, size.width, size.height);
  const platform::Rgba p = drawn.PixelAt(static_cast<int>(s.x * size.width), static_cast<int>(s.y * size.height));
  EXPECT_NEAR(p.r, s.colour.r, 8);
  EXPECT_NEAR(p.g, s.colour.g, 8);
  EXPECT_NEAR(p.b, s.colour.b, 8);
}

INSTANTIATE_TEST_SUITE_P(Folder, MetafileSpot,
                         ::testing::Values(Spot{"poi/slideshow/nested_wmf.emf", 0.02, 0.02, {255, 255, 255, 255}},
                                           Spot{"libemf2svg/libuemf/test_libuemf_ref.wmf", 0.652, 0.544, {139, 0, 0, 255}},
                                           Spot{"libemf2svg/libuemf/test_libuemf_ref.wmf", 0.413, 0.472, {255, 0, 255, 255}},
                                           Spot{"libemf2svg/libuemf/test_libuemf_ref.wmf", 0.2313, 0.7056, {116, 255, 255, 255}},
                                           Spot{"libemf2svg/emf-ea/EA-test-file-001.emf", 0.4886, 0.0692, {0, 0, 0, 255}}),
                         test::PrintedNameAndIndex());

TEST(MetafileMappingModes, EveryModeDrawsThePictureOfMmText) {
  const platform::Bitmap text = test::DrawOnWhite(ReadMetafile("libemf2svg/libuemf/test_mm_text_ref.emf"), 561, 397);
  for (const char* mode : {"anisotropic", "hienglish", "himetric", "isotropic", "loenglish", "lometric", "twips"}) {
    const std::string file = std::string("libemf2svg/libuemf/test_mm_") + mode + "_ref.emf";
    const platform::Bitmap drawn = test::DrawOnWhite(ReadMetafile(file), 561, 397);
    EXPECT_LT(test::MeanDifference(drawn, text), 3.0) << mode;
  }
}

struct BrokenFile {
  const char* file;
  bool draws;  // false: refused with MetafileError
  friend void PrintTo(const BrokenFile& b, std::ostream* os) { *os << b.file; }
};

class MetafileBrokenFile : public ::testing::TestWithParam<BrokenFile> {};

// Each ends in a drawing of what came before its broken record, or, when
// nothing came before it, in a clean error.
TEST_P(MetafileBrokenFile, DrawsWhatCameBeforeOrRefusesCleanly) {
  const BrokenFile& b = GetParam();
  EXPECT_EQ(test::DrawsOrRefusesCleanly(ReadMetafile(b.file), 200), b.draws);
}

INSTANTIATE_TEST_SUITE_P(
    Folder, MetafileBrokenFile,
    ::testing::Values(BrokenFile{"libemf2svg/emf-corrupted/bad_corrupted_2014-12-02-215338.emf", false},
                      BrokenFile{"libemf2svg/emf-corrupted/bad_corrupted_2014-12-02-215358.emf", true},
                      BrokenFile{"libemf2svg/emf-corrupted/bad_corrupted_2014-12-02-215400.emf", true},
                      BrokenFile{"libemf2svg/emf-corrupted/bad_corrupted_2014-12-02-215425.emf", true},
                      BrokenFile{"libemf2svg/emf-corrupted/bad_corrupted_2014-12-02-215428.emf", false},
                      BrokenFile{"libemf2svg/emf-corrupted/bad_corrupted_2014-12-07-140817.emf", true},
                      BrokenFile{"libemf2svg/emf-corrupted/bad_corrupted_2014-12-14-080539.emf", true},
                      BrokenFile{"libemf2svg/emf-corrupted/bad_corrupted_2016-02-02-210039.emf", true},
                      BrokenFile{"libemf2svg/emf-corrupted/bad_corrupted_2016-02-02-225639.emf", true},
                      BrokenFile{"libemf2svg/emf-corrupted/bad_corrupted_2017-02-12-010400.emf", true},
                      BrokenFile{"libemf2svg/emf-corrupted/bad_corrupted_2017-05-12-074000.emf", false},
                      BrokenFile{"poi/spreadsheet/61294.emf", false}, BrokenFile{"poi/slideshow/61338.wmf", true}),
    test::PrintedName());

}  // namespace
}  // namespace plendo::codecs
