// The GIF preview decoder against the two GIF suites in tests/data,
// which give the frames a viewer shows, composited on a clear screen. We
// replay our frames the same way (each frame's indices drawn with its
// palette and mask, the disposal methods applied between frames) and
// compare; the still image, drawn as the panel draws it, is the first frame.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <sstream>

#include "preview/GifImage.h"
#include "preview/GifSuiteFrames.h"
#include "preview/PngImage.h"
#include "support/TestFiles.h"

namespace plendo::preview {
namespace {

namespace fs = std::filesystem;
using platform::Canvas;
using platform::Rgba;

const fs::path kAncell = fs::path(PLENDO_TESTDATA) / "gif-ancell-suite";
const fs::path kPeterdn = fs::path(PLENDO_TESTDATA) / "gif-peterdn-suite";


// The screen frame after frame: each frame over what the previous one left
// after its disposal (2: its area cleared, 3: the screen from before it).
class Replay {
 public:
  explicit Replay(TGIFImage& gif) : gif_(gif), screen_(gif.GetWidth(), gif.GetHeight()) {
    screen_.Fill(screen_.ClientRect(), kUncovered);
  }
  const Canvas& Show(int index) {
    TGIFSubImage& frame = gif_.Images()[index];
    if (disposal_ == 2) screen_.Fill(last_area_, kUncovered);
    if (disposal_ == 3) screen_.Pixels() = before_.Clone();
    before_ = screen_.Pixels().Clone();
    frame.Draw(screen_, screen_.ClientRect(), false, true);
    disposal_ = frame.GraphicControlExtension() ? frame.GraphicControlExtension()->Disposal() : 0;
    last_area_ = frame.ScaleRect(screen_.ClientRect());
    return screen_;
  }

 private:
  TGIFImage& gif_;
  Canvas screen_;
  platform::Bitmap before_;
  int disposal_ = 0;
  platform::Rect last_area_;
};

// The still image drawn at the screen's own size; the first frame of the replay.
bool StillIsFirstFrame(TGIFImage& gif, const Canvas& replayed) {
  Canvas still(gif.GetWidth(), gif.GetHeight());
  still.Fill(still.ClientRect(), kUncovered);
  gif.Draw(still, still.ClientRect());
  for (int y = 0; y < still.Height(); ++y)
    for (int x = 0; x < still.Width(); ++x)
      if (still.PixelAt(x, y) != replayed.PixelAt(x, y)) return false;
  return true;
}

std::string Named(const testing::TestParamInfo<std::string>& info) {
  std::string name = info.param;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

// ---- one .conf per case: size, frames with their delays, loop count, comment

using Conf = std::map<std::string, std::map<std::string, std::string>>;

Conf ReadConf(const fs::path& path) {
  Conf conf;
  std::istringstream lines(test::ReadText(path));
  std::string section;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line[0] == '[') section = line.substr(1, line.find(']') - 1);
    if (const auto eq = line.find(" = "); eq != std::string::npos && line[0] != '#')
      conf[section][line.substr(0, eq)] = line.substr(eq + 3);
  }
  return conf;
}

// Quoted, with \x00 escapes.
std::string Unquoted(const std::string& text) {
  std::string bytes;
  for (std::size_t i = 1; i + 1 < text.size(); ++i)
    if (text.compare(i, 2, "\\x") == 0) {
      bytes.push_back(static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16)));
      i += 3;
    } else {
      bytes.push_back(text[i]);
    }
  return bytes;
}

std::vector<std::string> AncellCases() {
  std::vector<std::string> names;
  std::istringstream in(fs::exists(kAncell / "TESTS") ? test::ReadText(kAncell / "TESTS") : "suite-missing");
  for (std::string name; std::getline(in, name);)
    if (!name.empty()) names.push_back(name);
  return names;
}

// Where we deliberately part from the suite's viewer, and why.
struct Difference {
  const char* why;
  const char* error = nullptr;  // we refuse the file with this message
  int width = 0, height = 0;    // our screen, grown to hold a frame placed beyond it
  bool own_pixels = false;      // we show a frame where the suite shows none, or an empty one
  std::optional<std::string> comment;
};

constexpr const char* kPremature = "Premature end of data";
const std::map<std::string, Difference> kAncellDifferences = {
    {"image-zero-width", {.why = "a frame of width 0 takes the screen's size and shows its fill", .own_pixels = true}},
    {"image-zero-height", {.why = "its descriptor announces a local table the file lacks", .error = kPremature}},
    {"image-zero-size", {.why = "its descriptor announces a local table the file lacks", .error = kPremature}},
    {"image-overlap-bg", {.why = "the screen grows to hold every frame", .width = 3, .height = 3}},
    {"image-outside-bg", {.why = "the screen grows to hold every frame", .width = 4, .height = 4}},
    {"invalid-code", {.why = "a first code above the end code is shown as its own value", .own_pixels = true}},
    {"overflow-codes", {.why = "a code size above 8 is read as 8: its codes are other values", .own_pixels = true}},
    {"max-codes", {.why = "a code size above 8 is read as 8: its codes are other values", .own_pixels = true}},
    {"invalid-colors", {.why = "indices past the colour table are shown black", .own_pixels = true}},
    {"overflow-codes-max", {.why = "what decodes before the table overflows is shown", .own_pixels = true}},
    {"plain-text", {.why = "the image after a plain-text extension is shown", .own_pixels = true}},
    {"nul-comment", {.why = "a comment line ends at its first zero byte", .comment = ""}},
    {"unknown-extension", {.why = "an unknown extension label refuses the file", .error = "Unknown extension type"}},
};

class AncellSuite : public testing::TestWithParam<std::string> {};

TEST_P(AncellSuite, ShowsTheSuiteFrames) {
  ASSERT_TRUE(fs::is_directory(kAncell)) << "no GIF suite at " << kAncell;
  const Conf conf = ReadConf(kAncell / (GetParam() + ".conf"));
  const auto& config = conf.at("config");
  const auto found = kAncellDifferences.find(GetParam());
  const Difference difference = found != kAncellDifferences.end() ? found->second : Difference{""};
  TGIFImage gif;
  try {
    gif.LoadFromBytes(test::ReadBytes(kAncell / config.at("input")));
    ASSERT_EQ(difference.error, nullptr) << "loaded";
  } catch (const GIFException& e) {
    ASSERT_STREQ(e.what(), difference.error);
    return;
  }
  const int width = std::stoi(config.at("width")), height = std::stoi(config.at("height"));
  EXPECT_EQ(gif.GetWidth(), difference.width ? difference.width : width);
  EXPECT_EQ(gif.GetHeight(), difference.height ? difference.height : height);

  // "infinite" is a stored 0; without the extension a file plays once,
  // unless the suite takes it for animated anyway.
  const TGIFAppExtNSLoop* loop = nullptr;
  std::string comment;
  for (int i = 0; i < gif.Images().Count(); ++i)
    for (const auto& extension : gif.Images()[i].Extensions()) {
      if (auto* l = dynamic_cast<const TGIFAppExtNSLoop*>(extension.get()); l && !loop) loop = l;
      if (auto* c = dynamic_cast<const TGIFCommentExtension*>(extension.get()))
        for (const std::string& line : c->Lines()) comment += line;
    }
  const bool forced = config.at("force-animation") == "yes";
  EXPECT_EQ(config.at("loop-count"), loop && loop->HasLoopCount()
                                         ? (loop->LoopCount() == 0 ? "infinite" : std::to_string(loop->LoopCount()))
                                         : (forced ? "infinite" : "0"));
  if (config.count("buffer-size")) EXPECT_EQ(loop ? std::to_string(loop->BufferSize()) : "none", config.at("buffer-size"));
  if (config.count("comment")) EXPECT_EQ(comment, difference.comment.value_or(Unquoted(config.at("comment"))));

  std::vector<std::string> frames;
  std::istringstream list(config.at("frames"));
  for (std::string frame; std::getline(list, frame, ',');) frames.push_back(frame);
  int images = 0;
  for (int i = 0; i < gif.Images().Count(); ++i) images += !gif.Images()[i].Empty();
  // The suite lists an empty screen as a frame where the file has no image.
  const bool nothing_shown =
      frames.empty() || (frames.size() == 1 && conf.at(frames[0]).at("pixels") == "transparent-dot.rgba");
  if (nothing_shown || difference.own_pixels) {
    EXPECT_EQ(images > 0, difference.own_pixels);
    return;
  }
  // A viewer shows a frame when an image carries a delay, or after every
  // image when the suite takes the file for animated.
  Replay replay(gif);
  std::size_t shown = 0;
  for (int i = 0; i < gif.Images().Count() && shown < frames.size(); ++i) {
    const Canvas& screen = replay.Show(i);
    if (i == 0) EXPECT_TRUE(StillIsFirstFrame(gif, screen));
    const auto* control = gif.Images()[i].GraphicControlExtension();
    const int delay = control ? control->Delay() : 0;
    if (!forced && delay == 0 && i + 1 < gif.Images().Count()) continue;
    const auto& section = conf.at(frames[shown++]);
    EXPECT_EQ(std::to_string(delay), section.count("delay") ? section.at("delay") : "0") << frames[shown - 1];
    EXPECT_EQ(Differences(screen, FromRgbaFile(kAncell / section.at("pixels"), width, height)), 0) << frames[shown - 1];
  }
  EXPECT_EQ(shown, frames.size());
}

INSTANTIATE_TEST_SUITE_P(Every, AncellSuite, testing::ValuesIn(AncellCases()), Named);

// ---- each frame composited as a PNG file

std::vector<std::string> PeterdnCases() {
  std::vector<std::string> names;
  if (fs::is_directory(kPeterdn / "gifs"))
    for (const std::string& name : test::Listing(kPeterdn / "gifs"))
      if (fs::path(name).extension() == ".gif") names.push_back(fs::path(name).stem().string());
  if (names.empty()) names.push_back("suite-missing");
  return names;
}

class PeterdnSuite : public testing::TestWithParam<std::string> {};

TEST_P(PeterdnSuite, ShowsTheSuiteFrames) {
  const std::string& name = GetParam();
  const fs::path frames = kPeterdn / "gifs" / "frames";
  TGIFImage gif;
  gif.LoadFromBytes(test::ReadBytes(kPeterdn / "gifs" / (name + ".gif")));
  std::vector<fs::path> expected;
  if (fs::exists(frames / (name + ".png"))) expected.push_back(frames / (name + ".png"));
  for (int k = 0; fs::exists(frames / (name + "-" + std::to_string(k) + ".png")); ++k)
    expected.push_back(frames / (name + "-" + std::to_string(k) + ".png"));
  ASSERT_EQ(gif.Images().Count(), static_cast<int>(expected.size()));
  // Frames placed beyond the screen grow ours; the suite cuts them off.
  const bool grown = name == "animated_transparent_loop_frames_out_of_bounds";
  EXPECT_EQ(gif.GetWidth(), grown ? 300 : 100);
  EXPECT_EQ(gif.GetHeight(), grown ? 110 : 100);
  Replay replay(gif);
  for (int i = 0; i < gif.Images().Count(); ++i) {
    const Canvas& screen = replay.Show(i);
    if (i == 0) EXPECT_TRUE(StillIsFirstFrame(gif, screen));
    EXPECT_EQ(Differences(screen, FromPngFile(expected[i])), 0) << expected[i].filename();
  }
}

INSTANTIATE_TEST_SUITE_P(Every, PeterdnSuite, testing::ValuesIn(PeterdnCases()), Named);

}  // namespace
}  // namespace plendo::preview
