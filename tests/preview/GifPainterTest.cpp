// The GIF animation painter, driven by hand: a clock the test moves and a
// hand-over queue the test serves, so every frame's wait and every paint
// happen when the test says. Nothing here sleeps or measures time.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <sstream>
#include <thread>

#include "preview/GifBuilder.h"
#include "preview/GifPainterTestClock.h"
#include "preview/GifImage.h"
#include "preview/GifPainter.h"
#include "preview/GifSuiteFrames.h"
#include "preview/ImageControl.h"
#include "preview/PngImage.h"
#include "support/TempDir.h"
#include "support/TestImages.h"
#include "support/TestFiles.h"

namespace plendo::preview {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using platform::Canvas;
using platform::Rgba;
using test::Bytes;
using test::Join;

const std::vector<Rgba> kColours = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};

Bytes LoopExtension(int count) {
  const std::string id = "NETSCAPE2.0";
  return Join({{0x21, 0xFF, 11}, Bytes(id.begin(), id.end()), {3, 1}, test::Word(count), {0}});
}

// 2x2 frames, frame i all colour i; delay -1: no graphic control extension.
Bytes Animation(const std::vector<int>& delays, std::optional<int> loop = std::nullopt, int loop_frame = 0) {
  Bytes gif = test::GifHeader(2, 2, kColours);
  for (std::size_t i = 0; i < delays.size(); ++i) {
    if (loop && static_cast<int>(i) == loop_frame) gif = Join({gif, LoopExtension(*loop)});
    if (delays[i] >= 0) gif = Join({gif, test::GraphicControl(-1, 1, delays[i])});
    gif = Join({gif, test::Image(2, 2, std::vector<std::uint8_t>(4, static_cast<std::uint8_t>(i % 4)))});
  }
  return Join({gif, test::kTrailer});
}

class GifPainterTest : public testing::Test {
 protected:
  std::unique_ptr<TGIFImage> Load(const Bytes& bytes, int speed = 100) {
    auto gif = std::make_unique<TGIFImage>();
    gif->SetAnimationServices(queue_, clock_);
    gif->SetAnimationSpeed(speed);
    gif->LoadFromBytes(bytes);
    return gif;
  }
  // The image drawn at its own size over a fresh canvas, as a repaint does.
  Canvas Screen(TGIFImage& gif) {
    Canvas canvas(gif.GetWidth(), gif.GetHeight());
    canvas.Fill(canvas.ClientRect(), kUncovered);
    gif.Draw(canvas, canvas.ClientRect());
    return canvas;
  }
  // Which of kColours the screen shows.
  int Shown(TGIFImage& gif) {
    const Rgba c = Screen(gif).PixelAt(0, 0);
    for (std::size_t i = 0; i < kColours.size(); ++i)
      if (kColours[i] == c) return static_cast<int>(i);
    return -1;
  }
  void Serve() {
    ASSERT_TRUE(queue_.WaitForPost(kPatience));
    queue_.ServePending();
  }
  // Sleeps out the painter's wait and serves the paint that follows, which
  // is `late` ms late. Returns the wait.
  int Step(int late = 0) {
    const int wait = clock_.NextSleep();
    if (wait < 0) return wait;
    clock_.Advance(wait);
    EXPECT_TRUE(queue_.WaitForPost(kPatience));
    clock_.Advance(late);
    queue_.ServePending();
    return wait;
  }

  HandOverQueue queue_;
  ManualClock clock_;
};

// ---- timing

struct TimingCase {
  const char* name;
  std::vector<int> delays;
  int speed;
  std::vector<int> waits;  // before frames 1, 0, 1, 0
};

class Timing : public GifPainterTest, public testing::WithParamInterface<TimingCase> {};

TEST_P(Timing, WaitsTheFrameDelays) {
  auto gif = Load(Animation(GetParam().delays, 0), GetParam().speed);
  EXPECT_EQ(Shown(*gif), 0);  // the first frame at once
  std::vector<int> waits;
  for (std::size_t i = 0; i < GetParam().waits.size(); ++i) {
    waits.push_back(Step());
    EXPECT_EQ(Shown(*gif), (i + 1) % 2);
  }
  EXPECT_EQ(waits, GetParam().waits);
}

INSTANTIATE_TEST_SUITE_P(
    Delays, Timing,
    testing::Values(TimingCase{"Alternating", {50, 100}, 100, {600, 1200, 600, 1200}},
                    TimingCase{"ZeroIsTheDefaultOneTheLeast", {0, 1}, 100, {120, 36, 120, 36}},
                    TimingCase{"NoControlIsTenUnits", {-1, -1}, 100, {120, 120, 120, 120}},
                    TimingCase{"MinuteLongDelayKept", {5000, 5}, 100, {60000, 60, 60000, 60}},
                    TimingCase{"DoubleSpeed", {50, 100}, 200, {300, 600, 300, 600}},
                    TimingCase{"HalfSpeed", {50, 100}, 50, {1200, 2400, 1200, 2400}}),
    [](const auto& info) { return std::string(info.param.name); });

// The animation's memory follows the preview, not the screen a file
// declares: two 1 x 1 frames on an 8000 x 8000 screen (a 91-byte file of
// this kind took the panel from 45 MB to 1 GB), and a 2 x 2 frame placed at
// 9000, 9000 on a 10 x 10 screen, which grows the screen to 9002 x 9002.
TEST_F(GifPainterTest, TheAnimationKeepsToThePreviewsSize) {
  const auto frame = [](int size, int at, std::uint8_t index) {
    const std::vector<std::uint8_t> pixels(static_cast<std::size_t>(size * size), index);
    return Join({test::GraphicControl(-1, 2, 10), test::Image(size, size, pixels, {.left = at, .top = at})});
  };
  const Bytes large_screen =
      Join({test::GifHeader(8000, 8000, kColours), LoopExtension(0), frame(1, 0, 0), frame(1, 0, 1), test::kTrailer});
  const Bytes far_frame =
      Join({test::GifHeader(10, 10, kColours), LoopExtension(0), frame(1, 0, 0), frame(2, 9000, 2), test::kTrailer});
  for (const Bytes& file : {large_screen, far_frame}) {
    const auto gif = Load(file);
    Canvas canvas(120, 90);
    gif->Draw(canvas, canvas.ClientRect());
    EXPECT_TRUE(gif->Animating());
    EXPECT_LE(gif->AnimationBytes(), std::size_t{5} * 120 * 90 * 4);  // the screen copy, three buffers, two frames
    gif->PaintStop();
  }
}

// 70 frames of 2000 x 2000 whose data colours their top 20 rows, each frame
// another colour: every frame keeps its data, never 4 MB of indices, so all
// of them load and play, and what plays is the preview's size.
TEST_F(GifPainterTest, ALargeAnimationPlaysWhole) {
  Bytes file = Join({test::GifHeader(2000, 2000, kColours), LoopExtension(0)});
  for (int i = 0; i < 70; ++i) {
    const Bytes data = test::ImageData(test::RunCodes(2000 * 20, i % 4, 2), 2);
    file = Join({file, test::GraphicControl(-1, 1, 10), test::ImageBlock(2000, 2000, data)});
  }
  file = Join({file, test::kTrailer});
  const auto gif = Load(file);
  ASSERT_EQ(gif->Images().Count(), 70);
  EXPECT_LT(gif->LoadedBytes(), file.size() + 70 * 1024);
  Canvas canvas(120, 120);
  for (int i = 0; i < 70; ++i) {
    if (i > 0) Step();
    gif->Draw(canvas, canvas.ClientRect());
    EXPECT_EQ(canvas.PixelAt(60, 0), kColours[static_cast<std::size_t>(i % 4)]) << i;
  }
  EXPECT_LT(gif->AnimationBytes(), std::size_t{2000} * 2000);  // all of it less than one frame's indices
  gif->PaintStop();
}

TEST_F(GifPainterTest, HalfOfALatePaintComesOffTheNextWait) {
  auto gif = Load(Animation({10, 10}, 0));
  Screen(*gif);
  EXPECT_EQ(Step(40), 120);
  EXPECT_EQ(Step(), 100);
  EXPECT_EQ(Step(), 120);
}

TEST_F(GifPainterTest, SpeedZeroHoldsTheFrameUntilStopped) {
  auto gif = Load(Animation({10, 10}, 0), 0);
  Screen(*gif);
  EXPECT_EQ(clock_.NextSleep(), -1);
  gif.reset();
  EXPECT_FALSE(clock_.Sleeping());
}

// ---- loops

struct LoopCase {
  const char* name;
  std::optional<int> loop;
  int loop_frame;
  std::vector<int> frames;  // shown after the first, in order
  bool ends;
};

class Loops : public GifPainterTest, public testing::WithParamInterface<LoopCase> {};

TEST_P(Loops, PlayAsTheLoopExtensionSays) {
  auto gif = Load(Animation({10, 20, 30}, GetParam().loop, GetParam().loop_frame));
  EXPECT_EQ(Shown(*gif), 0);
  std::vector<int> frames;
  for (std::size_t i = 0; i < GetParam().frames.size(); ++i) {
    Step();
    frames.push_back(Shown(*gif));
  }
  EXPECT_EQ(frames, GetParam().frames);
  if (GetParam().ends) {
    Serve();  // the painter's end
    EXPECT_FALSE(gif->Animating());
    EXPECT_FALSE(clock_.Sleeping());
    EXPECT_EQ(Shown(*gif), frames.back());  // stays on the last frame
  } else {
    EXPECT_GT(clock_.NextSleep(), 0);
    EXPECT_TRUE(gif->Animating());
  }
}

INSTANTIATE_TEST_SUITE_P(Rules, Loops,
                         testing::Values(LoopCase{"NoExtensionPlaysOnce", std::nullopt, 0, {1, 2}, true},
                                         LoopCase{"ZeroRepeatsForever", 0, 0, {1, 2, 0, 1, 2, 0, 1, 2}, false},
                                         LoopCase{"TwoPassesFromTheLoopFrame", 2, 1, {1, 2, 1, 2}, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- disposal against the suites' composited frames


const fs::path kSuites = PLENDO_TESTDATA;


// A case: the GIF and the screen expected after each of its frames.
struct SuiteCase {
  fs::path gif;
  std::vector<Picture> frames;
};

SuiteCase Peterdn(const std::string& name) {
  const fs::path dir = kSuites / "gif-peterdn-suite" / "gifs";
  SuiteCase c{dir / (name + ".gif"), {}};
  for (int k = 0; fs::exists(dir / "frames" / (name + "-" + std::to_string(k) + ".png")); ++k)
    c.frames.push_back(FromPngFile(dir / "frames" / (name + "-" + std::to_string(k) + ".png")));
  return c;
}

// The suite lists a frame for each image with a delay, and for the last.
SuiteCase Ancell(const std::string& name) {
  const fs::path dir = kSuites / "gif-ancell-suite";
  SuiteCase c{dir / (name + ".gif"), {}};
  std::istringstream conf(test::ReadText(dir / (name + ".conf")));
  int width = 0, height = 0;
  for (std::string line; std::getline(conf, line);) {
    if (line.rfind("width = ", 0) == 0) width = std::stoi(line.substr(8));
    if (line.rfind("height = ", 0) == 0) height = std::stoi(line.substr(9));
    if (line.rfind("pixels = ", 0) == 0) c.frames.push_back(FromRgbaFile(dir / line.substr(9), width, height));
  }
  return c;
}

class Disposal : public GifPainterTest, public testing::WithParamInterface<std::string> {};

TEST_P(Disposal, PaintsTheSuiteFrames) {
  const std::string& param = GetParam();
  const SuiteCase c = param.rfind("ancell/", 0) == 0 ? Ancell(param.substr(7)) : Peterdn(param.substr(8));
  auto gif = Load(test::ReadBytes(c.gif));
  const int count = gif->Images().Count();
  const bool every = count == static_cast<int>(c.frames.size());
  std::size_t compared = 0;
  Screen(*gif);  // the painter starts with the first frame
  for (int i = 0; i < count; ++i) {
    if (i > 0) ASSERT_GE(Step(), 0) << "before frame " << i;
    const auto* control = gif->Images()[i].GraphicControlExtension();
    if (!every && i + 1 < count && (!control || control->Delay() == 0)) continue;
    ASSERT_LT(compared, c.frames.size());
    EXPECT_EQ(Differences(Screen(*gif), c.frames[compared]), 0) << "frame " << i;
    ++compared;
  }
  EXPECT_EQ(compared, c.frames.size());
}

INSTANTIATE_TEST_SUITE_P(
    Suites, Disposal,
    testing::Values("peterdn/animated_loop", "peterdn/animated_noloop", "peterdn/animated_loop_variable_delay",
                    "peterdn/animated_transparent_loop", "peterdn/animated_transparent_frame_norestore_loop",
                    "peterdn/animated_transparent_frame_restorebackground_loop",
                    "peterdn/animated_transparent_frame_restoreprev_loop",
                    "peterdn/animated_transparent_restoreprev_loop",
                    "peterdn/animated_transparent_firstframerestoreprev_loop",
                    "peterdn/animated_transparent_loop_frames_out_of_bounds", "ancell/animation",
                    "ancell/dispose-none", "ancell/dispose-keep", "ancell/dispose-restore-background",
                    "ancell/dispose-restore-previous"),
    [](const auto& info) {
      std::string name = info.param;
      for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

// ---- the target, stopping, errors

TEST_F(GifPainterTest, RestartsForAnotherTargetButNotForARepaint) {
  auto gif = Load(Animation({10, 10}, 0));
  int changes = 0;
  gif->SetOnChange([&] { ++changes; });
  EXPECT_EQ(Shown(*gif), 0);
  EXPECT_EQ(changes, 0);  // the first frame is painted inside the draw
  Step();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(Shown(*gif), 1);  // a fresh canvas of the same size: the same target
  EXPECT_FALSE(queue_.WaitForPost(0ms));

  Canvas larger(4, 4);
  gif->Draw(larger, larger.ClientRect());
  EXPECT_EQ(larger.PixelAt(3, 3), kColours[0]);
  EXPECT_TRUE(gif->Animating());
  EXPECT_EQ(clock_.NextSleep(), 120);
}

enum class Stage { Sleeping, PaintPending };
enum class Ending { StopDraw, Clear, Destroy };
struct StopCase {
  const char* name;
  Stage stage;
  Ending ending;
};

class Stopping : public GifPainterTest, public testing::WithParamInterface<StopCase> {};

TEST_P(Stopping, EndsThePainterWithoutDeadlock) {
  auto gif = Load(Animation({10, 10}, 0));
  Screen(*gif);
  const int wait = clock_.NextSleep();
  if (GetParam().stage == Stage::PaintPending) {
    clock_.Advance(wait);
    ASSERT_TRUE(queue_.WaitForPost(kPatience));  // and left unserved
  }
  switch (GetParam().ending) {
    case Ending::StopDraw: gif->StopDraw(); break;
    case Ending::Clear: gif->Clear(); break;
    case Ending::Destroy: gif.reset(); break;
  }
  EXPECT_FALSE(clock_.Sleeping());
  EXPECT_FALSE(queue_.WaitForPost(0ms));
  if (gif) EXPECT_FALSE(gif->Animating());
  if (GetParam().ending == Ending::StopDraw) EXPECT_EQ(Shown(*gif), 0);  // from the start again
}

INSTANTIATE_TEST_SUITE_P(Ways, Stopping,
                         testing::Values(StopCase{"StopWhileSleeping", Stage::Sleeping, Ending::StopDraw},
                                         StopCase{"StopWithPaintPending", Stage::PaintPending, Ending::StopDraw},
                                         StopCase{"ClearWithPaintPending", Stage::PaintPending, Ending::Clear},
                                         StopCase{"DestroyWhileSleeping", Stage::Sleeping, Ending::Destroy},
                                         StopCase{"DestroyWithPaintPending", Stage::PaintPending, Ending::Destroy}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GifPainterTest, AFrameThatFailsIsReportedByOneDrawAndEndsThePainter) {
  // No colour table anywhere: the first frame cannot be rendered.
  Bytes bytes = test::GifHeader(2, 2, {});
  for (int i = 0; i < 2; ++i) bytes = Join({bytes, test::Image(2, 2, {0, 0, 0, 0})});
  auto gif = Load(Join({bytes, test::kTrailer}));
  Canvas canvas(2, 2);
  EXPECT_THROW(gif->Draw(canvas, canvas.ClientRect()), GIFException);
  EXPECT_FALSE(gif->Animating());
  EXPECT_NO_THROW(gif->Draw(canvas, canvas.ClientRect()));
}

TEST_F(GifPainterTest, AGifLoadedOnAWorkerAnimatesWhenShownAndStopsForTheNextFile) {
  test::TempDir dir;
  test::WriteFile(dir / "next.gif", Animation({10}));
  std::unique_ptr<TGIFImage> loaded;
  std::thread worker([&] { loaded = Load(Animation({10, 10}, 0)); });
  worker.join();

  TPicture picture;
  picture.SetGraphic(std::move(loaded));
  Canvas canvas(173, 164);
  PaintImage(picture, canvas);
  EXPECT_GT(clock_.NextSleep(), 0);

  picture.LoadFromFile(dir / "next.gif");
  EXPECT_FALSE(clock_.Sleeping());  // the painter ended with its image
  EXPECT_FALSE(queue_.WaitForPost(0ms));
  EXPECT_EQ(picture.Width(), 2);
}

}  // namespace
}  // namespace plendo::preview
