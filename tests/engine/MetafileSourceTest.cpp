// WMF and EMF sources through the whole engine: drawn at the target size,
// named and sized as any other source.
#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "JpegProbe.h"
#include "support/TestNames.h"

namespace plendo::engine {
namespace {

std::filesystem::path Metafile(const std::string& name) {
  return std::filesystem::path(PLENDO_TESTDATA) / "metafiles" / name;
}

struct Case {
  const char* source;
  const char* copied_as;
  const char* size_text;
  const char* output;
  int width, height;
  friend void PrintTo(const Case& c, std::ostream* os) { *os << c.copied_as; }
};

class MetafileSource : public test::EngineTest, public ::testing::WithParamInterface<Case> {};

TEST_P(MetafileSource, BecomesAJpegOfTheTargetSize) {
  const Case& c = GetParam();
  ASSERT_TRUE(std::filesystem::is_regular_file(Metafile(c.source)));
  std::filesystem::copy_file(Metafile(c.source), in / c.copied_as);
  host.size_text = c.size_text;
  Convert(in / c.copied_as);

  const auto probe = test::ProbeJpeg(out / c.output);
  ASSERT_TRUE(probe.ok) << c.output;
  EXPECT_EQ(probe.width, c.width);
  EXPECT_EQ(probe.height, c.height);
  // Drawn, not left white.
  bool dark = false;
  for (int y = 0; y < probe.height && !dark; ++y)
    for (int x = 0; x < probe.width && !dark; ++x) dark = probe.Pixel(x, y)[0] < 128;
  EXPECT_TRUE(dark);
}

// wrench.emf is 224x136, santa.wmf 181x194 and the EMF+ sample (its drawing
// in EMF+ records only) 1122x794 at 96 dpi; the long side gets the chosen
// size.
INSTANTIATE_TEST_SUITE_P(Files, MetafileSource,
                         ::testing::Values(Case{"poi/slideshow/wrench.emf", "wrench.emf", "448", "wrench_w448.jpg", 448, 272},
                                           Case{"poi/slideshow/santa.wmf", "santa.wmf", "388", "santa_v388.jpg", 362, 388},
                                           Case{"libemf2svg/libuemf/test_libuemf_p_ref.emf", "plus.emf", "561", "plus_w561.jpg", 561, 397}),
                         test::PrintedNameAndIndex());

}  // namespace
}  // namespace plendo::engine
