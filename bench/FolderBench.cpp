// A dropped folder of 10,000 small JPEGs through the engine, as the panel
// runs it with folders on: how soon the first output is written, against
// when the walk handed out its last file and how long reading the whole
// tree alone takes. The first output must come before the walk ends: the
// walk feeds the batch as it goes. Prints the numbers and pass or fail.
//
// Usage: folder_bench [FILES]   (default 10000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <unistd.h>
#include <string>

#include "codecs/JpegEncoder.h"
#include "engine/DropFeed.h"
#include "engine/FolderWalk.h"
#include "engine/PanelHost.h"
#include "engine/ResizeEngine.h"
#include "platform/Bitmap.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// A panel that shows nothing and notes when the first file was written.
class QuietHost : public plendo::engine::PanelHost {
 public:
  std::optional<Clock::time_point> first_output;
  void ShowMonitorMessage(plendo::engine::Colour, const std::string&) override {}
  void ClearMonitorMessage() override {}
  bool IsActualSize() const override { return false; }
  std::string SizeText() const override { return "8"; }
  plendo::engine::SizeSide Side() const override { return plendo::engine::SizeSide::LongSide; }
  std::string WOPath() const override { return out; }
  void LightOn(plendo::engine::Lamp) override {}
  void LightOff(plendo::engine::Lamp) override {}
  void SetLampStatus(plendo::engine::Lamp, bool) override {}
  void SetSizeCaption(const std::string&) override {}
  void LoadPreview(const fs::path&, std::unique_ptr<plendo::preview::TGraphic>) override {}
  void ClearPreview() override {}
  void SetTermCaption(const std::string&, bool) override {}
  void ChangeButtonsEnabled(bool) override {}
  void ProcessPendingMessages() override {}
  void Beep() override {}
  void OutputWritten(const fs::path&) override {
    if (!first_output) first_output = Clock::now();
  }
  std::string out;
};

// The drop's feed, noting when it ran dry.
class TimedFeed : public plendo::engine::DropFeed {
 public:
  using DropFeed::DropFeed;
  std::optional<Clock::time_point> walk_over;
  std::optional<plendo::engine::BatchItem> Next() override {
    auto item = DropFeed::Next();
    if (!item && !walk_over) walk_over = Clock::now();
    return item;
  }
};

// FILES small JPEGs, a hundred to a sub-folder, as a card's folders hold them.
fs::path MakeCard(const fs::path& root, int files) {
  plendo::platform::Bitmap pixels(16, 12, plendo::platform::PixelFormat::Bgr24);
  const std::vector<std::uint8_t> jpeg = plendo::codecs::EncodeJpeg(pixels, {90, false, {}});
  for (int i = 0; i < files; ++i) {
    const fs::path folder = root / ("DCIM/" + std::to_string(100 + i / 100) + "PLNDO");
    if (i % 100 == 0) fs::create_directories(folder);
    std::ofstream(folder / ("IMG_" + std::to_string(10000 + i) + ".JPG"), std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
  }
  return root / "DCIM";
}

}  // namespace

int main(int argc, char** argv) {
  const int files = argc > 1 ? std::atoi(argv[1]) : 10000;
  const fs::path work = fs::temp_directory_path() / ("plendo-folder-bench-" + std::to_string(::getpid()));
  fs::create_directories(work / "out");
  const fs::path card = MakeCard(work / "in", files);

  const Clock::time_point walk_start = Clock::now();
  int walked = 0;
  plendo::engine::FolderWalk walk(card);
  while (walk.Next()) ++walked;
  const double walk_alone = Seconds(walk_start, Clock::now());

  plendo::settings::AppSettings settings;
  settings.FolderDrop = true;
  QuietHost host;
  host.out = (work / "out").string();
  plendo::engine::ResizeEngine engine(settings, host);
  TimedFeed feed({card}, true);
  const Clock::time_point start = Clock::now();
  engine.XQTDropItems(feed);
  const double total = Seconds(start, Clock::now());
  fs::remove_all(work);

  const double first = host.first_output ? Seconds(start, *host.first_output) : -1;
  const double walk_over = feed.walk_over ? Seconds(start, *feed.walk_over) : -1;
  std::printf("folder of %d files (%d walked): whole walk alone %.3f s\n", files, walked, walk_alone);
  std::printf("batch: first output after %.3f s, walk over after %.3f s, %d written in %.2f s (%.0f files/s)\n",
              first, walk_over, engine.OutputCount(), total, engine.OutputCount() / total);
  const bool pass = first >= 0 && first < walk_over && engine.OutputCount() == files;
  std::printf("%s: the first output comes before the walk ends\n", pass ? "pass" : "FAIL");
  return 0;
}
