// The size limit: the highest quality that fits, found in a few tries, and
// a limit no quality meets written at the lowest and said so.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "engine/EngineFixture.h"
#include "engine/SizeLimit.h"
#include "support/TestImages.h"

namespace plendo::test {
namespace {

// A model encoder whose size grows with the quality, steeply near 100 as
// real ones do.
std::size_t ModelSize(int q) { return 2000 + static_cast<std::size_t>(40000.0 * std::pow(q / 100.0, 2.5)) + 300 * q; }

class FitToSize : public ::testing::TestWithParam<std::size_t> {};

TEST_P(FitToSize, FindsTheHighestQualityThatFits) {
  const std::size_t limit = GetParam();
  const engine::FittedOutput fitted =
      engine::FitToSize([](int q) { return std::vector<std::uint8_t>(ModelSize(q)); }, 90, limit);
  if (ModelSize(0) > limit) {
    EXPECT_FALSE(fitted.fits);
    EXPECT_EQ(fitted.quality, 0);
    EXPECT_EQ(fitted.bytes.size(), ModelSize(0));  // written at the lowest, never said to fit
    return;
  }
  ASSERT_TRUE(fitted.fits);
  EXPECT_LE(fitted.bytes.size(), limit);
  EXPECT_EQ(fitted.bytes.size(), ModelSize(fitted.quality));
  if (fitted.quality < 90) EXPECT_GT(ModelSize(fitted.quality + 1), limit);
  EXPECT_LE(fitted.tries, 6);
}

INSTANTIATE_TEST_SUITE_P(Limits, FitToSize,
                         ::testing::Values(1000, 2000, 2300, 5000, 12000, 20000, 33000, 60000, 100000),
                         [](const auto& info) { return std::to_string(info.param); });

// Real encoders on a grainy photo-like picture, over a range of limits.
struct LimitCase {
  settings::OutputFormat format;
  int kib;
  bool fits;
};

std::string LimitCaseName(const ::testing::TestParamInfo<LimitCase>& info) {
  static const char* const kNames[] = {"Jpeg", "Png", "Webp", "Avif", "Jxl"};
  return std::string(kNames[info.param.format]) + std::to_string(info.param.kib) + "k";
}

class SizeLimitBatch : public EngineTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(SizeLimitBatch, OutputsStayWithinTheLimitOrSaySo) {
  const LimitCase& c = GetParam();
  platform::Bitmap picture = MakeGradient(800, 600);
  std::mt19937 noise(7);
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width() * 3; ++x)
      picture.Row(y)[x] = static_cast<std::uint8_t>(std::clamp(picture.Row(y)[x] + static_cast<int>(noise() % 41) - 20, 0, 255));
  const auto source = in / "grain.jpg";
  WriteBytes(source, WriteJpeg(picture));
  host.size_text = "640";
  settings.OutFormat = c.format;
  settings.MaxFileKB = c.kib;
  Convert(source);
  const std::vector<std::string> files = Listing(out);
  ASSERT_EQ(files.size(), 1u);
  const auto size = std::filesystem::file_size(out / files.front());
  const bool noted = !host.messages.empty() && host.messages.back().second.find("サイズ上限") != std::string::npos;
  EXPECT_EQ(size <= static_cast<std::uintmax_t>(c.kib) * 1024, c.fits) << size;
  EXPECT_EQ(noted, !c.fits);
  if (noted) EXPECT_NE(host.messages.back().second.find(std::to_string((size + 1023) / 1024) + " KB"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Formats, SizeLimitBatch,
                         ::testing::Values(LimitCase{settings::kFormatJpeg, 40, true},
                                           LimitCase{settings::kFormatJpeg, 90, true},
                                           LimitCase{settings::kFormatJpeg, 2, false},
                                           LimitCase{settings::kFormatWebp, 25, true},
                                           LimitCase{settings::kFormatWebp, 1, false},
                                           LimitCase{settings::kFormatAvif, 20, true},
                                           LimitCase{settings::kFormatJxl, 30, true}),
                         LimitCaseName);

}  // namespace
}  // namespace plendo::test
