// Text whose characters the chosen font lacks. The suite runs on fonts of its
// own (tests/data/fonts): the faces it names resolve to an ASCII-only font,
// and one other font has the characters, whatever the machine has installed.
#include <gtest/gtest.h>

#include <cstdlib>

#include "MetafileBuilder.h"
#include "MetafileFiles.h"

namespace plendo::codecs {
namespace {

// fontconfig reads its configuration once, at the first use in the process.
const bool kOwnFonts = setenv("FONTCONFIG_FILE", PLENDO_TESTDATA "/fonts/fonts.conf", 1) == 0;

platform::Bitmap Text(const std::u16string& face, const std::u16string& text) {
  test::EmfBuilder e(120, 60);
  e.Add(18, {1}).Font(face, 40).Text(10, 10, text);  // SETBKMODE transparent
  return test::DrawOnWhite(e.Finish(), 120, 60);
}

// U+10FFFD is in no font: it draws the chosen font's box.
const std::u16string kNowhere = u"\U0010FFFD";

struct Fallback {
  const char* name;
  const char16_t* face;
  const char16_t* text;  // in the other font only
};

class MetafileFallback : public ::testing::TestWithParam<Fallback> {};

TEST_P(MetafileFallback, ACharacterTheFontLacksComesFromAFontThatHasIt) {
  ASSERT_TRUE(kOwnFonts);
  const Fallback& f = GetParam();
  const platform::Bitmap box = Text(f.face, kNowhere);
  ASSERT_GT(test::NonWhitePixels(box), 0u);
  EXPECT_GT(test::MeanDifference(Text(f.face, f.text), box), 2.0);
}

// A Latin face and a Japanese one, both resolving to the ASCII-only font.
INSTANTIATE_TEST_SUITE_P(Faces, MetafileFallback,
                         ::testing::Values(Fallback{"Latin", u"Arial", u"\u2654"},
                                           Fallback{"Japanese", u"ＭＳ ゴシック", u"\u03A9"}),
                         [](const ::testing::TestParamInfo<Fallback>& info) { return info.param.name; });

}  // namespace
}  // namespace plendo::codecs
