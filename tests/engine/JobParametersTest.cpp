#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ResizeEngine.h"
#include "support/HeadlessPanelHost.h"

namespace plendo::engine {
namespace {

struct JobCase {
  const char* name;
  const char* size_text;
  bool auto_eff_off;
  bool add_mark;
  int gamma;
  int sharpness;
  double gamma_step;
  int jpeg_ext;
  int xqt_mode;
  int xqt_ext;
  // expected
  const char* out_ext;
  const char* mark;
  double gamma_value;
  int centre;   // -1 when no sharpening
  int divisor;
  std::vector<std::string> ext_list;
};

void PrintTo(const JobCase& c, std::ostream* os) { *os << c.name; }

class JobParameters : public ::testing::TestWithParam<JobCase> {};

TEST_P(JobParameters, SetGlobalWorkValueFollowsEveryRule) {
  const JobCase& c = GetParam();
  settings::AppSettings s;
  s.AutoEffOFF = c.auto_eff_off;
  s.AddGSMark = c.add_mark;
  s.Gamma = c.gamma;
  s.SharpNess = c.sharpness;
  s.GammaStep = c.gamma_step;
  s.JPEGExt = c.jpeg_ext;
  s.XQTMode = c.xqt_mode;
  s.XQTExt = c.xqt_ext;
  test::HeadlessPanelHost host;
  host.size_text = c.size_text;
  ResizeEngine engine(s, host);
  engine.SetGlobalWorkValue();

  const TGlobalWorkValue& v = engine.GlobalWorkValue();
  EXPECT_EQ(v.OutExt, c.out_ext);
  EXPECT_EQ(v.GSMark, c.mark);
  EXPECT_DOUBLE_EQ(v.GammaValue, c.gamma_value);
  EXPECT_EQ(v.SharpDivisor, c.divisor);
  EXPECT_EQ(v.SharpBias, 0);
  for (int i = 0; i < 9; ++i)
    EXPECT_EQ(v.SharpKernel[i], i == 4 && c.centre >= 0 ? c.centre : -1) << "weight " << i;
  EXPECT_EQ(v.ExtList, c.ext_list);
  EXPECT_FALSE(engine.Running());
  EXPECT_EQ(engine.OutputCount(), 0);
}

const JobCase kJobCases[] = {
    {"ActualSizeEffectsOff", "原寸", true, true, 2, 3, 0.06, 0, 0, 1, ".jpg", "_g0s0", 1.0, -1, 0, {}},
    {"ActualSizeEffectsKept", "原寸", false, true, 2, 3, 0.06, 0, 0, 1, ".jpg", "_g2s3", 1.12, 12, 4, {}},
    {"SizedWithAutoOffStillCorrects", "640", true, true, 1, 2, 0.06, 0, 0, 1, ".jpg", "_g1s2", 1.06, 16, 8, {}},
    {"MarkOffGivesNoMark", "640", true, false, 3, 1, 0.06, 0, 0, 1, ".jpg", "", 1.18, 24, 16, {}},
    {"LevelsZeroMarkedZero", "640", true, true, 0, 0, 0.06, 0, 0, 1, ".jpg", "_g0s0", 1.0, -1, 0, {}},
    {"StepTenthLevel1", "640", true, false, 1, 1, 0.1, 0, 0, 1, ".jpg", "", 1.1, 24, 16, {}},
    {"StepTenthLevel2", "640", true, false, 2, 1, 0.1, 0, 0, 1, ".jpg", "", 1.2, 24, 16, {}},
    {"StepTenthLevel3", "640", true, false, 3, 1, 0.1, 0, 0, 1, ".jpg", "", 1.3, 24, 16, {}},
    {"UnknownSharpnessNoKernel", "640", true, true, 1, 7, 0.06, 0, 0, 1, ".jpg", "_g1s7", 1.06, -1, 0, {}},
    {"JpegExt1", "640", true, false, 1, 1, 0.06, 1, 0, 1, ".jpeg", "", 1.06, 24, 16, {}},
    {"JpegExt2", "640", true, false, 1, 1, 0.06, 2, 0, 1, ".JPG", "", 1.06, 24, 16, {}},
    {"JpegExt3", "640", true, false, 1, 1, 0.06, 3, 0, 1, ".JPEG", "", 1.06, 24, 16, {}},
    {"JpegExtUnknown", "640", true, false, 1, 1, 0.06, 9, 0, 1, "", "", 1.06, 24, 16, {}},
    {"AllModeNoList", "640", true, false, 1, 1, 0.06, 0, 0, 4, ".jpg", "", 1.06, 24, 16, {}},
    {"ExtBmp", "640", true, false, 1, 1, 0.06, 0, 1, 0, ".jpg", "", 1.06, 24, 16, {".bmp"}},
    {"ExtJpeg", "640", true, false, 1, 1, 0.06, 0, 1, 1, ".jpg", "", 1.06, 24, 16, {".jpg", ".jpeg"}},
    {"ExtGif", "640", true, false, 1, 1, 0.06, 0, 1, 2, ".jpg", "", 1.06, 24, 16, {".gif"}},
    {"ExtPng", "640", true, false, 1, 1, 0.06, 0, 1, 3, ".jpg", "", 1.06, 24, 16, {".png"}},
    {"ExtTiff", "640", true, false, 1, 1, 0.06, 0, 1, 4, ".jpg", "", 1.06, 24, 16, {".tif", ".tiff"}},
    {"ExtWmf", "640", true, false, 1, 1, 0.06, 0, 1, 5, ".jpg", "", 1.06, 24, 16, {".wmf"}},
    {"ExtEmf", "640", true, false, 1, 1, 0.06, 0, 1, 6, ".jpg", "", 1.06, 24, 16, {".emf"}},
    {"ExtIcon", "640", true, false, 1, 1, 0.06, 0, 1, 7, ".jpg", "", 1.06, 24, 16, {".ico"}},
    {"ExtHeif", "640", true, false, 1, 1, 0.06, 0, 1, 8, ".jpg", "", 1.06, 24, 16, {".heic", ".heif"}},
    {"ExtOutOfRange", "640", true, false, 1, 1, 0.06, 0, 1, 12, ".jpg", "", 1.06, 24, 16, {}},
    {"ExtNegative", "640", true, false, 1, 1, 0.06, 0, 1, -1, ".jpg", "", 1.06, 24, 16, {}},
};

INSTANTIATE_TEST_SUITE_P(Rules, JobParameters, ::testing::ValuesIn(kJobCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JobParameters, GammaIsComputedInDoublePrecision) {
  // 3 x 0.06 + 1 in double is 1.18 to the last bit; in single precision it is not.
  settings::AppSettings s;
  s.Gamma = 3;
  test::HeadlessPanelHost host;
  ResizeEngine engine(s, host);
  engine.SetGlobalWorkValue();
  EXPECT_EQ(engine.GlobalWorkValue().GammaValue, 3 * 0.06 + 1.0);
}

TEST(JobParameters, EveryKernelKeepsAFlatAreaFlat) {
  for (int level = 1; level <= 3; ++level) {
    settings::AppSettings s;
    s.SharpNess = level;
    const TGlobalWorkValue v = MakeGlobalWorkValue(s, false);
    int sum = 0;
    for (auto w : v.SharpKernel) sum += w;
    EXPECT_EQ(sum, v.SharpDivisor) << "level " << level;
  }
}

}  // namespace
}  // namespace plendo::engine
