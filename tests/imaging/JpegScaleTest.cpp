// Shrink-on-load: the header size, decoding at 1/2, 1/4, 1/8 and the choice
// of the denominator.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "imaging/DecodeError.h"
#include "imaging/JpegDecoder.h"
#include "imaging/Resampler.h"
#include "support/TestImages.h"
#include "support/TestNames.h"

namespace plendo::imaging {
namespace {

using platform::Bitmap;
using platform::Rgba;
using namespace plendo::test;

struct ScaledDecode {
  int denominator;
  JpegOptions options;
  int width, height;  // expected: ceil(101 / d) x ceil(67 / d)
  friend void PrintTo(const ScaledDecode& s, std::ostream* os) {
    *os << "1/" << s.denominator << (s.options.cmyk ? " cmyk" : "") << (s.options.progressive ? " progressive" : "");
  }
};

class ScaledDecodeTest : public ::testing::TestWithParam<ScaledDecode> {};

TEST_P(ScaledDecodeTest, SizeRoundsUpAndPatchesKeepTheirColour) {
  const ScaledDecode& s = GetParam();
  const Bitmap picture = MakePatches(101, 67);
  const Bytes jpeg = WriteJpeg(picture, s.options);
  const JpegSize size = ReadJpegSize(jpeg);
  EXPECT_EQ(size.width, 101);
  EXPECT_EQ(size.height, 67);
  const Bitmap decoded = DecodeJpeg(jpeg, s.denominator);
  ASSERT_EQ(decoded.Width(), s.width);
  ASSERT_EQ(decoded.Height(), s.height);
  // The centre of each of the 3 x 2 patches.
  for (int py = 0; py < 2; ++py)
    for (int px = 0; px < 3; ++px) {
      const Rgba want = picture.PixelAt(101 * (2 * px + 1) / 6, 67 * (2 * py + 1) / 4);
      const Rgba got = decoded.PixelAt(s.width * (2 * px + 1) / 6, s.height * (2 * py + 1) / 4);
      EXPECT_NEAR(got.r, want.r, 12) << px << "," << py;
      EXPECT_NEAR(got.g, want.g, 12) << px << "," << py;
      EXPECT_NEAR(got.b, want.b, 12) << px << "," << py;
    }
}

// Drawing while decoding must give what decoding whole and then drawing
// gives, shrinking and enlarging, with the file cut short too.
TEST_P(ScaledDecodeTest, StreamDrawsWhatTheDecodedPictureDraws) {
  const ScaledDecode& s = GetParam();
  Bytes jpeg = WriteJpeg(MakePatches(101, 67), s.options);
  for (const bool cut : {false, true}) {
    if (cut) jpeg.resize(jpeg.size() * 2 / 3);
    for (const DestRect dest : {DestRect{0, 0, 37.4, 24.6}, DestRect{1.5, 0, 150, 120}}) {
      Bitmap whole(160, 130, platform::PixelFormat::Bgr24), streamed(160, 130, platform::PixelFormat::Bgr24);
      const Bitmap decoded = DecodeJpeg(jpeg, s.denominator);
      ASSERT_TRUE(DrawResampled(decoded, {0, 0, decoded.Width(), decoded.Height()}, whole, dest, MakeGammaTable(1.2f)));
      JpegRowStream stream(jpeg, s.denominator);
      ASSERT_TRUE(DrawResampled(stream, streamed, dest, MakeGammaTable(1.2f)));
      stream.Finish();
      for (int y = 0; y < whole.Height(); ++y)
        ASSERT_EQ(0, std::memcmp(whole.Row(y), streamed.Row(y), whole.Stride())) << "row " << y << (cut ? " cut" : "");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Denominators, ScaledDecodeTest,
                         ::testing::Values(ScaledDecode{1, {}, 101, 67}, ScaledDecode{2, {}, 51, 34},
                                           ScaledDecode{4, {.cmyk = true}, 26, 17},
                                           ScaledDecode{8, {.progressive = true}, 13, 9},
                                           ScaledDecode{8, {.cmyk = true, .inverted = false}, 13, 9}),
                         test::PrintedNameAndIndex());

TEST(JpegScaleTest, BadHeaderAndBadDenominatorAreRefused) {
  const Bytes text = {'h', 'e', 'l', 'l', 'o'};
  EXPECT_THROW(ReadJpegSize(text), DecodeError);
  EXPECT_THROW(ReadJpegSize(Bytes{}), DecodeError);
  EXPECT_THROW(DecodeJpeg(WriteJpeg(MakePatches(8, 8)), 3), std::invalid_argument);
  EXPECT_THROW(JpegRowStream(text, 2), DecodeError);
}

struct ScaleChoice {
  int source_width, source_height;
  double target_width, target_height, headroom;
  int denominator;
  friend void PrintTo(const ScaleChoice& c, std::ostream* os) {
    *os << c.source_width << "x" << c.source_height << " to " << c.target_width << "x" << c.target_height
        << " headroom " << c.headroom;
  }
};

class ChooseJpegScaleTest : public ::testing::TestWithParam<ScaleChoice> {};

TEST_P(ChooseJpegScaleTest, LargestDenominatorThatKeepsTheHeadroom) {
  const ScaleChoice& c = GetParam();
  EXPECT_EQ(ChooseJpegScale(c.source_width, c.source_height, c.target_width, c.target_height, c.headroom),
            c.denominator);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, ChooseJpegScaleTest,
    ::testing::Values(ScaleChoice{6000, 4000, 640, 426.67, 1.0, 8},    // 750 x 500 still covers it
                      ScaleChoice{6000, 4000, 640, 426.67, 2.0, 4},    // 1500 x 1000 >= 1280 x 853
                      ScaleChoice{6000, 4000, 1920, 1280, 1.0, 2},     // 1/4 gives 1500 < 1920
                      ScaleChoice{6000, 4000, 1920, 1280, 1.6, 1},     // 3000 < 3072
                      ScaleChoice{6000, 4000, 750, 500, 1.0, 8},       // equal is enough
                      ScaleChoice{6000, 4000, 750.01, 500, 1.0, 4},    // just over is not
                      ScaleChoice{4000, 6000, 500, 751, 1.0, 4},       // the other axis decides
                      ScaleChoice{100, 100, 200, 200, 1.0, 1},         // enlarging
                      ScaleChoice{6000, 4000, 0, 1280, 1.0, 1}),       // no target
    test::PrintedName());

}  // namespace
}  // namespace plendo::imaging
