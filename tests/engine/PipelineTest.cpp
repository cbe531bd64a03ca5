#include <gtest/gtest.h>

#include <sys/stat.h>

#include "engine/EngineFixture.h"
#include "engine/JpegProbe.h"

namespace plendo::engine {
namespace {

namespace fs = std::filesystem;
using test::EngineTest;
using test::ProbeJpeg;

// --- Names and sizes ------------------------------------------------------

struct NamingCase {
  const char* label;
  const char* source;
  int width, height;
  const char* size_text;
  SizeSide side;
  bool mark;
  const char* out_name;
  int out_width, out_height;
};

void PrintTo(const NamingCase& c, std::ostream* os) { *os << c.label; }

class Naming : public EngineTest, public ::testing::WithParamInterface<NamingCase> {};

TEST_P(Naming, WritesTheNamedFileAtTheTargetSize) {
  const NamingCase& c = GetParam();
  settings.AddGSMark = c.mark;
  host.size_text = c.size_text;
  host.side = c.side;
  Convert(JpegSource(c.source, c.width, c.height));

  EXPECT_EQ(host.LastError(), "");
  EXPECT_EQ(engine.OutputCount(), 1);
  EXPECT_EQ(host.size_caption, std::to_string(c.width) + " X " + std::to_string(c.height));
  const auto probe = ProbeJpeg(out / c.out_name);
  ASSERT_TRUE(probe.ok) << c.out_name;
  EXPECT_EQ(probe.width, c.out_width);
  EXPECT_EQ(probe.height, c.out_height);
}

// Small sources with the aspect ratios of the worked examples (4000 x 3000 and
// 3000 x 4000): the arithmetic is the same.
const NamingCase kNamingCases[] = {
    {"LandscapeLongSide", "IMG_0012.JPG", 40, 30, "640", SizeSide::LongSide, false, "IMG_0012_w640.jpg", 640, 480},
    {"PortraitLongSide", "IMG_0013.JPG", 30, 40, "640", SizeSide::LongSide, false, "IMG_0013_v640.jpg", 480, 640},
    {"PortraitByWidth", "IMG_0013.JPG", 30, 40, "640", SizeSide::Width, false, "IMG_0013_w640.jpg", 640, 853},
    {"ActualSizeMarked", "IMG_0012.JPG", 40, 30, "原寸", SizeSide::LongSide, true, "IMG_0012_原寸_g0s0.jpg", 40, 30},
    {"SquareTakesW", "square.jpg", 20, 20, "64", SizeSide::LongSide, false, "square_w64.jpg", 64, 64},
    {"SeveralDots", "trip.2020.day1.jpg", 20, 10, "64", SizeSide::LongSide, false, "trip.2020.day1_w64.jpg", 64, 32},
    {"HalfRoundsDownToEven", "half.jpg", 2, 1705, "1", SizeSide::Width, false, "half_w1.jpg", 1, 852},
    {"HalfRoundsUpToEven", "half.jpg", 2, 1707, "1", SizeSide::Width, false, "half_w1.jpg", 1, 854},
    {"ThinSideBecomesOnePixel", "thin.jpg", 1000, 2, "24", SizeSide::Width, false, "thin_w24.jpg", 24, 1},
    {"NonAsciiName", "夏 休み.jpg", 20, 10, "64", SizeSide::Height, false, "夏 休み_v64.jpg", 128, 64},
};

INSTANTIATE_TEST_SUITE_P(Examples, Naming, ::testing::ValuesIn(kNamingCases),
                         [](const auto& info) { return std::string(info.param.label); });

// --- The overwrite rule ---------------------------------------------------

struct OverwriteCase {
  const char* label;
  bool beside;
  bool overwrite;
  bool replaced;
};

void PrintTo(const OverwriteCase& c, std::ostream* os) { *os << c.label; }

class OverwriteRule : public EngineTest, public ::testing::WithParamInterface<OverwriteCase> {};

TEST_P(OverwriteRule, ReplacesOnlyInAChosenFolderWithOverwriteOn) {
  const OverwriteCase& c = GetParam();
  settings.OutOrigDir = c.beside;
  settings.OverWrite = c.overwrite;
  const fs::path source = JpegSource("a.jpg", 20, 10);
  const fs::path output = (c.beside ? in : out) / "a_w64.jpg";
  test::WriteText(output, "earlier output");

  Convert(source);

  EXPECT_EQ(engine.OutputCount(), c.replaced ? 1 : 0);
  if (c.replaced)
    EXPECT_TRUE(ProbeJpeg(output).ok);
  else
    EXPECT_EQ(test::ReadText(output), "earlier output");
  EXPECT_EQ(host.LastError(), "");
  EXPECT_EQ(host.EventsStartingWith("lamp on W").size(), c.replaced ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(FourWays, OverwriteRule,
                         ::testing::Values(OverwriteCase{"FolderOverwrite", false, true, true},
                                           OverwriteCase{"FolderSkip", false, false, false},
                                           OverwriteCase{"BesideOverwrite", true, true, false},
                                           OverwriteCase{"BesideSkip", true, false, false}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(EngineTest, BesideTheSourceWritesIntoTheSourceFolder) {
  settings.OutOrigDir = true;
  host.wo_path.clear();
  Convert(JpegSource("b.jpg", 20, 10));
  EXPECT_TRUE(ProbeJpeg(in / "b_w64.jpg").ok);
  EXPECT_EQ(test::Listing(out), std::vector<std::string>{});
}

// --- Failures of one file -------------------------------------------------

TEST_F(EngineTest, UndecodableFileIsReportedAndLeavesTheBatchAsItWas) {
  Convert(JpegSource("good.jpg", 20, 10));
  ASSERT_EQ(engine.OutputCount(), 1);
  const fs::path bad = in / "bad.jpg";
  test::WriteText(bad, "this is no picture");
  const int beeps = host.beeps;

  engine.ResizeGRP(bad);

  EXPECT_EQ(host.monitor_text, kMsgUnprocessable);
  EXPECT_EQ(host.monitor_colour, kRed);
  EXPECT_EQ(host.beeps, beeps + 1);
  EXPECT_TRUE(host.Lit(Lamp::Read));  // stays lit: the file never got past reading
  EXPECT_EQ(engine.OutputCount(), 1);
  EXPECT_FALSE(fs::exists(out / "bad_w64.jpg"));
}

TEST_F(EngineTest, PreviewFailureDoesNotStopTheConversion) {
  host.preview_loader = [](const fs::path&) { throw std::runtime_error("no preview for this format"); };
  Convert(JpegSource("c.jpg", 20, 10));
  ASSERT_FALSE(host.messages.empty());
  EXPECT_EQ(host.messages.front().second, kMsgNoPreview);
  EXPECT_EQ(host.messages.front().first, kRed);
  EXPECT_EQ(engine.OutputCount(), 1);
  EXPECT_TRUE(ProbeJpeg(out / "c_w64.jpg").ok);
}

TEST_F(EngineTest, WriteFailureShowsTheMessageAndLeavesNothingBehind) {
  for (const bool overwrite : {true, false}) {
    SCOPED_TRACE(overwrite ? "overwrite" : "skip");
    settings.OverWrite = overwrite;
    fs::create_directory(out / "d_w64.jpg");  // a folder stands where the output goes
    Convert(JpegSource("d.jpg", 20, 10));
    EXPECT_EQ(host.LastError(), kMsgWriteError);
    EXPECT_EQ(engine.OutputCount(), 0);
    EXPECT_EQ(test::Listing(out), std::vector<std::string>{"d_w64.jpg"});
    EXPECT_TRUE(fs::is_directory(out / "d_w64.jpg"));
    EXPECT_FALSE(host.Lit(Lamp::Write));
  }
}

TEST_F(EngineTest, MissingOutputFolderIsAWriteError) {
  host.wo_path = (dir / "gone").string();
  Convert(JpegSource("e.jpg", 20, 10));
  EXPECT_EQ(host.LastError(), kMsgWriteError);
  EXPECT_FALSE(fs::exists(dir / "gone"));
}

TEST_F(EngineTest, SideBeyondJpegIsRefusedBeforeAnyPixelIsAllocated) {
  host.size_text = "70000";
  Convert(JpegSource("f.jpg", 20, 10));
  EXPECT_EQ(host.LastError(), kMsgTooLarge);
  EXPECT_EQ(engine.OutputCount(), 0);
  EXPECT_EQ(test::Listing(out), std::vector<std::string>{});
  EXPECT_FALSE(host.Lit(Lamp::Write));
}

TEST_F(EngineTest, BitmapTooLargeForMemoryIsThatFilesFailureOnly) {
  host.size_text = "60000";  // 60000 x 60000 fits JPEG but not the bitmap limit
  Convert(JpegSource("g.jpg", 10, 10));
  EXPECT_EQ(host.LastError(), kMsgTooLarge);
  EXPECT_EQ(engine.OutputCount(), 0);
  EXPECT_FALSE(host.Lit(Lamp::Write));
  EXPECT_FALSE(host.Lit(Lamp::Exif));
}

// A named pipe is read by nothing: opening it would wait for a writer.
TEST_F(EngineTest, APipeWithExifCopyOnIsRefusedWithoutWaiting) {
  settings.ExifCopy = true;
  const auto fifo = in / "pipe.jpg";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  Convert(fifo);
  EXPECT_EQ(host.LastError(), kMsgUnprocessable);
  EXPECT_EQ(engine.OutputCount(), 0);
}

// Refused files say why and leave no lamp lit.
TEST_F(EngineTest, NegativeSizeOrNoFolderIsRefused) {
  host.size_text = "-640";
  Convert(JpegSource("h.jpg", 20, 10));
  EXPECT_EQ(host.LastError(), kMsgNoSize);
  EXPECT_FALSE(host.Lit(Lamp::Read));

  host.size_text = "64";
  host.wo_path.clear();
  Convert(JpegSource("h.jpg", 20, 10));
  EXPECT_EQ(host.LastError(), kMsgNoFolder);
  EXPECT_FALSE(host.Lit(Lamp::Read));
  EXPECT_EQ(test::Listing(out), std::vector<std::string>{});
}

TEST_F(EngineTest, OutputNameTooLongForTheFileSystemIsAWriteError) {
  const std::string base(250, 'n');  // fits as a source name, not with "_w64.jpg" added
  Convert(JpegSource(base + ".jpg", 20, 10));
  EXPECT_EQ(host.LastError(), kMsgWriteError);
  EXPECT_EQ(engine.OutputCount(), 0);
  EXPECT_EQ(test::Listing(out), std::vector<std::string>{});
}

// --- Lamps ------------------------------------------------------------------

TEST_F(EngineTest, LampSequenceOfOneFile) {
  Convert(JpegSource("i.jpg", 20, 10));
  EXPECT_EQ(host.EventsStartingWith("lamp"),
            (std::vector<std::string>{"lamp on R", "lamp off R", "lamp on W", "lamp status E 0", "lamp off E",
                                      "lamp off W"}));
}

// --- Corrections only when due ---------------------------------------------

struct EffectsCase {
  const char* label;
  const char* size_text;
  bool auto_eff_off;
  bool corrected;
};

void PrintTo(const EffectsCase& c, std::ostream* os) { *os << c.label; }

class Effects : public EngineTest, public ::testing::WithParamInterface<EffectsCase> {
 protected:
  // The decoded output of one conversion with the given levels.
  std::vector<std::uint8_t> Output(int gamma, int sharpness, const std::string& folder) {
    settings.Gamma = gamma;
    settings.SharpNess = sharpness;
    fs::create_directories(dir / folder);
    host.wo_path = (dir / folder).string();
    Convert(source);
    const auto probe = test::ProbeJpeg(dir / folder / ("edges_" + std::string(host.IsActualSize() ? "" : "w") +
                                                        host.size_text + ".jpg"));
    EXPECT_TRUE(probe.ok);
    return probe.rgb;
  }
  // Dark left half, light right half: one sharp edge down the middle.
  fs::path EdgeSource() {
    platform::Bitmap b = test::SolidBitmap(32, 16, {40, 90, 160, 255});
    for (int y = 0; y < 16; ++y)
      for (int x = 16; x < 32; ++x) std::fill_n(b.Row(y) + x * 3, 3, std::uint8_t{220});
    test::WriteBytes(in / "edges.jpg", codecs::EncodeJpeg(b, {100, false}));
    return in / "edges.jpg";
  }
  fs::path source = EdgeSource();
};

TEST_P(Effects, GammaAndSharpeningApplyUnlessSwitchedOff) {
  const EffectsCase& c = GetParam();
  settings.AutoEffOFF = c.auto_eff_off;
  settings.Compress = 100;
  host.size_text = c.size_text;
  const auto plain = Output(0, 0, "plain");
  const auto gamma = Output(3, 0, "gamma");
  const auto sharp = Output(0, 3, "sharp");
  EXPECT_EQ(gamma != plain, c.corrected);
  EXPECT_EQ(sharp != plain, c.corrected);
}

INSTANTIATE_TEST_SUITE_P(Cases, Effects,
                         ::testing::Values(EffectsCase{"SizedCorrects", "48", true, true},
                                           EffectsCase{"ActualSizeAutoOff", "原寸", true, false},
                                           EffectsCase{"ActualSizeKept", "原寸", false, true}),
                         [](const auto& info) { return std::string(info.param.label); });

// --- The JPEG written -------------------------------------------------------

std::array<int, 64> LuminanceTableOfQuality(int quality) {
  static const int kBase[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
  const int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
  std::array<int, 64> table{};
  for (int i = 0; i < 64; ++i) table[i] = std::clamp((kBase[i] * scale + 50) / 100, 1, 255);
  return table;
}

struct EncodingCase {
  const char* label;
  std::int32_t compress;
  bool progressive;
  int quality;
};

void PrintTo(const EncodingCase& c, std::ostream* os) { *os << c.label; }

class Encoding : public EngineTest, public ::testing::WithParamInterface<EncodingCase> {};

TEST_P(Encoding, QualityProgressionSamplingAndHeader) {
  const EncodingCase& c = GetParam();
  settings.Compress = c.compress;
  settings.Progress = c.progressive;
  Convert(JpegSource("q.jpg", 48, 32));
  const auto probe = ProbeJpeg(out / "q_w64.jpg");
  ASSERT_TRUE(probe.ok);
  EXPECT_EQ(probe.width, 64);
  EXPECT_EQ(probe.height, 43);  // 42.67
  EXPECT_EQ(probe.progressive, c.progressive);
  EXPECT_EQ(probe.luma_table, LuminanceTableOfQuality(c.quality));
  EXPECT_EQ(probe.components, 3);
  EXPECT_EQ(probe.h_samp[0], 2);
  EXPECT_EQ(probe.v_samp[0], 2);
  EXPECT_EQ(probe.h_samp[1], 1);
  EXPECT_EQ(probe.v_samp[1], 1);
  EXPECT_TRUE(probe.jfif);
}

INSTANTIATE_TEST_SUITE_P(Settings, Encoding,
                         ::testing::Values(EncodingCase{"Default", 70, false, 70},
                                           EncodingCase{"Progressive", 70, true, 70},
                                           EncodingCase{"Hundred", 100, false, 100},
                                           EncodingCase{"ZeroIsOne", 0, false, 1},
                                           EncodingCase{"LowByteOf300", 300, false, 44}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(EngineTest, RedStaysRed) {
  settings.Gamma = 0;
  settings.SharpNess = 0;
  settings.Compress = 100;
  Convert(JpegSource("red.jpg", 32, 32, {255, 0, 0, 255}));
  const auto probe = ProbeJpeg(out / "red_w64.jpg");
  ASSERT_TRUE(probe.ok);
  const auto p = probe.Pixel(32, 32);
  EXPECT_GT(p[0], 230);
  EXPECT_LT(p[1], 25);
  EXPECT_LT(p[2], 25);
}

TEST_F(EngineTest, NoTemporaryFileIsLeftAfterAWrite) {
  Convert(JpegSource("t.jpg", 20, 10));
  EXPECT_EQ(test::Listing(out), std::vector<std::string>{"t_w64.jpg"});
}

}  // namespace
}  // namespace plendo::engine
