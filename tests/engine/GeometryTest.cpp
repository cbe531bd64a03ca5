#include <gtest/gtest.h>

#include "engine/ResizeEngine.h"
#include "support/HeadlessPanelHost.h"

namespace plendo::engine {
namespace {

struct GeometryCase {
  const char* name;
  const char* source;
  std::uint32_t width, height;
  const char* size_text;
  SizeSide side;
  bool add_mark;
  const char* out_name;
  double target_width, target_height;
  bool no_enlarge = false;
};

void PrintTo(const GeometryCase& c, std::ostream* os) { *os << c.name; }

class Geometry : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(Geometry, TargetSizeAndName) {
  const GeometryCase& c = GetParam();
  settings::AppSettings s;
  s.AddGSMark = c.add_mark;
  s.NoEnlarge = c.no_enlarge;
  test::HeadlessPanelHost host;
  host.size_text = c.size_text;
  host.side = c.side;
  ResizeEngine engine(s, host);
  engine.SetGlobalWorkValue();

  ResizeJob job;
  job.SourcePath = c.source;
  job.SourceWidth = c.width;
  job.SourceHeight = c.height;
  const long long n = host.IsActualSize() ? 0 : std::stoll(c.size_text);
  switch (c.side) {
    case SizeSide::LongSide: engine.CalcSizeByLongSide(job, n); break;
    case SizeSide::Width: engine.CalcSizeByWidth(job, n); break;
    case SizeSide::Height: engine.CalcSizeByHeight(job, n); break;
  }
  EXPECT_EQ(job.OutName, c.out_name);
  EXPECT_DOUBLE_EQ(job.TargetWidth, c.target_width);
  EXPECT_DOUBLE_EQ(job.TargetHeight, c.target_height);
}

const GeometryCase kGeometryCases[] = {
    {"LandscapeLongSide", "/p/IMG_0012.JPG", 4000, 3000, "640", SizeSide::LongSide, false, "IMG_0012_w640.jpg", 640, 480},
    {"PortraitLongSide", "/p/IMG_0013.JPG", 3000, 4000, "640", SizeSide::LongSide, false, "IMG_0013_v640.jpg", 480, 640},
    {"PortraitWidth", "/p/IMG_0013.JPG", 3000, 4000, "640", SizeSide::Width, false, "IMG_0013_w640.jpg", 640,
     640.0 / 3000 * 4000},
    {"LandscapeHeight", "/p/IMG_0012.JPG", 4000, 3000, "480", SizeSide::Height, false, "IMG_0012_v480.jpg", 640, 480},
    {"ActualSizeMarked", "/p/IMG_0012.JPG", 4000, 3000, "原寸", SizeSide::LongSide, true, "IMG_0012_原寸_g0s0.jpg",
     4000, 3000},
    {"ActualSizeByHeight", "/p/a.png", 30, 20, "原寸", SizeSide::Height, false, "a_原寸.jpg", 30, 20},
    {"SquareTakesWidth", "/p/sq.gif", 500, 500, "100", SizeSide::LongSide, false, "sq_w100.jpg", 100, 100},
    {"SeveralDots", "/p/my.holiday.photo.tiff", 200, 100, "50", SizeSide::LongSide, false, "my.holiday.photo_w50.jpg",
     50, 25},
    {"SizeTextAsShown", "/p/x.bmp", 100, 100, "0640", SizeSide::Width, false, "x_w0640.jpg", 640, 640},
    {"MarkWithLevels", "/p/x.bmp", 100, 50, "24", SizeSide::LongSide, true, "x_w24_g1s1.jpg", 24, 12},
    // Never enlarge: the chosen side decides, the name keeps the job's size.
    {"NoEnlargeLongSide", "/p/s.jpg", 800, 600, "2000", SizeSide::LongSide, false, "s_w2000.jpg", 800, 600, true},
    {"NoEnlargePortrait", "/p/s.jpg", 600, 800, "2000", SizeSide::LongSide, false, "s_v2000.jpg", 600, 800, true},
    {"NoEnlargeWidthOfATallSource", "/p/s.jpg", 300, 4000, "640", SizeSide::Width, false, "s_w640.jpg", 300, 4000,
     true},
    {"NoEnlargeHeightAtTheSize", "/p/s.jpg", 800, 600, "600", SizeSide::Height, false, "s_v600.jpg", 800, 600, true},
    {"NoEnlargeStillShrinks", "/p/s.jpg", 800, 600, "599", SizeSide::Height, false, "s_v599.jpg", 798.6666666666666,
     599, true},
    {"NoEnlargeAtActualSize", "/p/s.jpg", 800, 600, "原寸", SizeSide::Width, false, "s_原寸.jpg", 800, 600, true},
};

INSTANTIATE_TEST_SUITE_P(Examples, Geometry, ::testing::ValuesIn(kGeometryCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RoundHalfToEven, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfToEven(852.5), 852);
  EXPECT_EQ(RoundHalfToEven(853.5), 854);
  EXPECT_EQ(RoundHalfToEven(853.333), 853);
  EXPECT_EQ(RoundHalfToEven(0.5), 0);
  EXPECT_EQ(RoundHalfToEven(1.5), 2);
  EXPECT_EQ(RoundHalfToEven(0.0024), 0);
}

}  // namespace
}  // namespace plendo::engine
