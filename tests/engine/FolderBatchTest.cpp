// Dropped folders: the walk's order and what it passes by, the output tree
// mirrored below the chosen folder, a stop ending the walk, and a folder of
// ten thousand files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/DropFeed.h"
#include "engine/EngineFixture.h"
#include "engine/FolderWalk.h"

namespace plendo::engine {
namespace {

namespace fs = std::filesystem;
using test::EngineTest;

std::vector<std::string> Walked(const fs::path& root) {
  std::vector<std::string> found;
  FolderWalk walk(root);
  while (const auto entry = walk.Next())
    found.push_back((entry->unreadable ? "unreadable " : "") + entry->path.lexically_relative(root).string());
  return found;
}

// Files before folders, names compared as bytes (a name that is not UTF-8
// too); hidden entries and links to folders (here a loop) passed by.
TEST(FolderWalk, NameOrderFilesFirstNothingHiddenNoLinkedFolder) {
  test::TempDir dir;
  const fs::path root = dir / "trip";
  for (const char* folder : {"trip/z", "trip/y/deep", "trip/.cache"}) fs::create_directories(dir / folder);
  for (const char* file : {"trip/b.jpg", "trip/a.jpg", "trip/caf\xE9.jpg", "trip/.hidden.jpg", "trip/z/c.jpg",
                           "trip/y/d.jpg", "trip/y/deep/e.jpg", "trip/.cache/x.jpg"})
    test::WriteText(dir / file, "x");
  fs::create_directory_symlink(root, root / "loop");
  fs::create_symlink(root / "a.jpg", root / "link.jpg");
  fs::create_symlink(root / "gone.jpg", root / "dangling.jpg");

  EXPECT_EQ(Walked(root), (std::vector<std::string>{"a.jpg", "b.jpg", "caf\xE9.jpg", "link.jpg", "y/d.jpg",
                                                    "y/deep/e.jpg", "z/c.jpg"}));
}

// Root reads every folder whatever its mode; the test then has nothing to show.
bool CannotRead(const fs::path& folder) { return ::access(folder.c_str(), R_OK) != 0; }

class FolderBatch : public EngineTest {
 protected:
  FolderBatch() { settings.FolderDrop = true; }

  // trip/a.jpg, trip/day1/b.jpg, trip/day1/c.jpg, trip/d\xE9y2/a.jpg (a
  // folder name that is not UTF-8), and beside them files that are no
  // pictures, as a camera card has
  fs::path Trip() {
    const fs::path trip = in / "trip";
    fs::create_directories(trip / "day1");
    fs::create_directories(trip / "d\xE9y2");
    for (const char* name : {"trip/a.jpg", "trip/day1/b.jpg", "trip/day1/c.jpg", "trip/d\xE9y2/a.jpg"})
      JpegSource(name, 20, 10);
    for (const char* name : {"trip/AUTPRINT.MRK", "trip/day1/MVI_0001.MOV", "trip/day1/b.JPG.xmp"})
      test::WriteText(in / name, "x");
    return trip;
  }
};

TEST_F(FolderBatch, TheTreeIsMirroredBelowTheChosenFolder) {
  const fs::path loose = JpegSource("a.jpg", 20, 10);  // same name as the tree's top file
  ASSERT_TRUE(engine.XQTDropFiles({Trip(), loose}));
  EXPECT_EQ(test::TreeListing(out), (std::vector<std::string>{"a_w64.jpg", "a_w64_2.jpg", "day1/b_w64.jpg",
                                                              "day1/c_w64.jpg", "d\xE9y2/a_w64.jpg"}));
  EXPECT_EQ(host.size_caption, "出力済 5 枚");
  EXPECT_EQ(host.LastError(), "");
}

// Walked, it would be converted again into itself, a level deeper each time.
TEST_F(FolderBatch, AnOutputFolderInsideTheDroppedOneIsPassedBy) {
  const fs::path trip = Trip();
  fs::create_directory(trip / "resized");
  JpegSource("trip/resized/old_w64.jpg", 20, 10);
  host.wo_path = (trip / "resized").string();
  ASSERT_TRUE(engine.XQTDropFiles({trip}));
  EXPECT_EQ(test::TreeListing(trip / "resized"),
            (std::vector<std::string>{"a_w64.jpg", "day1/b_w64.jpg", "day1/c_w64.jpg", "d\xE9y2/a_w64.jpg",
                                      "old_w64.jpg"}));
}

TEST_F(FolderBatch, BesideTheSourceEachOutputGoesBesideItsFile) {
  settings.OutOrigDir = true;
  host.wo_path.clear();
  const fs::path trip = Trip();
  ASSERT_TRUE(engine.XQTDropFiles({trip}));
  EXPECT_TRUE(fs::exists(trip / "day1" / "b_w64.jpg"));
  EXPECT_TRUE(fs::exists(trip / "d\xE9y2" / "a_w64.jpg"));
  EXPECT_EQ(test::Listing(out), std::vector<std::string>{});
  EXPECT_EQ(host.size_caption, "出力済 4 枚");
}

TEST_F(FolderBatch, WithFolderDropOffAFolderIsRefusedAsBefore) {
  settings.FolderDrop = false;
  ASSERT_TRUE(engine.XQTDropFiles({Trip()}));
  EXPECT_EQ(host.LastError(), kMsgUnprocessable);
  EXPECT_EQ(host.size_caption, "出力済 0 枚");
}

TEST_F(FolderBatch, AnUnreadableSubFolderIsReportedOnceAndPassedBy) {
  const fs::path trip = Trip();
  ::chmod((trip / "day1").c_str(), 0);
  if (!CannotRead(trip / "day1")) {
    ::chmod((trip / "day1").c_str(), 0755);
    GTEST_SKIP() << "this user reads every folder";
  }
  ASSERT_TRUE(engine.XQTDropFiles({trip}));
  ::chmod((trip / "day1").c_str(), 0755);

  std::vector<std::string> errors;
  for (const auto& [colour, text] : host.messages)
    if (colour == kRed) errors.push_back(text);
  EXPECT_EQ(errors, std::vector<std::string>{kMsgFolderUnreadable});
  EXPECT_EQ(test::TreeListing(out), (std::vector<std::string>{"a_w64.jpg", "d\xE9y2/a_w64.jpg"}));
  EXPECT_EQ(host.size_caption, "出力済 2 枚");
}

TEST_F(FolderBatch, AStopEndsTheWalk) {
  settings.Jobs = 1;
  fs::create_directory(in / "many");
  for (int i = 0; i < 40; ++i) JpegSource("many/p" + std::to_string(100 + i) + ".jpg", 20, 10);
  host.on_pending_messages = [this] {
    if (host.pending_calls == 3) engine.ClearRunning();
  };
  const fs::path after = JpegSource("after.jpg", 20, 10);

  ASSERT_TRUE(engine.XQTDropFiles({in / "many", after}));

  EXPECT_EQ(test::Listing(out), (std::vector<std::string>{"p100_w64.jpg", "p101_w64.jpg"}));
  EXPECT_LT(host.pending_calls, 10);  // only what was already taken from the walk runs out
  EXPECT_EQ(host.size_caption, "出力済 2 枚");
}

// Named and counted without being written, which would only time the disk.
TEST_F(FolderBatch, TenThousandFiles) {
  fs::create_directory(in / "card");
  const test::Bytes jpeg = codecs::EncodeJpeg(test::SolidBitmap(2, 2, {10, 20, 30, 255}), {90, false});
  for (int i = 0; i < 10000; ++i) test::WriteBytes(in / "card" / ("f" + std::to_string(10000 + i) + ".jpg"), jpeg);
  engine.SetDryRun(true);

  ASSERT_TRUE(engine.XQTDropFiles({in / "card"}));

  EXPECT_EQ(host.size_caption, "出力済 10000 枚");
  EXPECT_EQ(host.LastError(), "");
  EXPECT_EQ(test::Listing(out), std::vector<std::string>{});
}

}  // namespace
}  // namespace plendo::engine
