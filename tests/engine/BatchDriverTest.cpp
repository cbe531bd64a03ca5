#include <gtest/gtest.h>

#include "engine/EngineFixture.h"
#include "engine/JpegProbe.h"

namespace plendo::engine {
namespace {

namespace fs = std::filesystem;
using test::EngineTest;

TEST_F(EngineTest, TypeFilterTakesTheExtensionAfterTheLastDotCaseIgnored) {
  settings.XQTMode = 1;
  settings.XQTExt = settings::kTypeJpeg;
  std::vector<fs::path> items;
  for (const char* name : {"PHOTO.JPG", "a.jpeg", "b.Jpg", "c.jpe", "noext", "x.tar.jpg"})
    items.push_back(JpegSource(name, 20, 10));
  // A folder whose name has a dot does not lend its "extension" to the file.
  fs::create_directory(in / "d.jpg");
  items.push_back(JpegSource("d.jpg/inside", 20, 10));

  ASSERT_TRUE(engine.XQTDropFiles(items));

  EXPECT_EQ(test::Listing(out), (std::vector<std::string>{"PHOTO_w64.jpg", "a_w64.jpg", "b_w64.jpg",
                                                           "x.tar_w64.jpg"}));
  EXPECT_EQ(host.size_caption, "出力済 4 枚");
  EXPECT_EQ(host.LastError(), "");  // skipped items say nothing
  EXPECT_TRUE(engine.GlobalWorkValue().ExtList.empty());  // emptied at the end of the batch
}

TEST_F(EngineTest, ABatchStartsAndEndsInOrder) {
  const fs::path a = JpegSource("a.jpg", 20, 10);
  ASSERT_TRUE(engine.XQTDropFiles({a}));
  const auto& e = host.events;
  ASSERT_GE(e.size(), 8u);
  EXPECT_EQ(e[0], "buttons 0");
  EXPECT_EQ(e[1], "term 中断");
  EXPECT_EQ(e[2], "pending");
  EXPECT_EQ(e[3], "clear message");
  EXPECT_EQ(std::vector<std::string>(e.end() - 4, e.end()),
            (std::vector<std::string>{"buttons 1", "term 終了", "size 出力済 1 枚", "beep"}));
  EXPECT_FALSE(engine.Running());
  EXPECT_EQ(host.beeps, 1);
}

TEST_F(EngineTest, StopDuringTheThirdOfTenFinishesItAndSkipsTheRest) {
  settings.Jobs = 4;  // files converted ahead of the stop are dropped unwritten
  std::vector<fs::path> items;
  for (int i = 0; i < 10; ++i) items.push_back(JpegSource("p" + std::to_string(i) + ".jpg", 20, 10));
  // The click lands while the third file converts and is seen before the fourth.
  host.on_pending_messages = [this] {
    if (host.pending_calls == 4) {
      EXPECT_TRUE(engine.Running());
      engine.ClearRunning();
    }
  };

  ASSERT_TRUE(engine.XQTDropFiles(items));

  // Nothing else, no temporary file either.
  EXPECT_EQ(test::Listing(out), (std::vector<std::string>{"p0_w64.jpg", "p1_w64.jpg", "p2_w64.jpg"}));
  EXPECT_EQ(host.pending_calls, 10);  // the loop runs out without work
  EXPECT_EQ(host.EventsStartingWith("clear message").size(), 3u);
  EXPECT_EQ(host.term_caption, "終了");
  EXPECT_EQ(host.size_caption, "出力済 3 枚");
  EXPECT_EQ(host.beeps, 1);
  EXPECT_TRUE(host.buttons_enabled);
  EXPECT_FALSE(engine.Running());
}

TEST_F(EngineTest, EveryFileSkippedEndsWithCountZero) {
  settings.OverWrite = false;
  std::vector<fs::path> items;
  for (const char* name : {"a.jpg", "b.jpg"}) {
    items.push_back(JpegSource(name, 20, 10));
    test::WriteText(out / (fs::path(name).stem().string() + "_w64.jpg"), "earlier");
  }
  ASSERT_TRUE(engine.XQTDropFiles(items));
  EXPECT_EQ(host.size_caption, "出力済 0 枚");
  EXPECT_EQ(test::ReadText(out / "a_w64.jpg"), "earlier");
}

TEST_F(EngineTest, FoldersAndNonImagesFailAloneInAllMode) {
  fs::create_directory(in / "folder");
  test::WriteText(in / "notes.txt", "plain text");
  const fs::path good = JpegSource("good.jpg", 20, 10);

  ASSERT_TRUE(engine.XQTDropFiles({in / "folder", in / "notes.txt", good}));

  int unprocessable = 0;
  for (const auto& [colour, text] : host.messages)
    if (text == kMsgUnprocessable) ++unprocessable;
  EXPECT_EQ(unprocessable, 2);
  EXPECT_EQ(host.size_caption, "出力済 1 枚");
}

TEST_F(EngineTest, AFileThatFailsBadlyDoesNotEndTheBatch) {
  host.size_text = "60000";
  const fs::path huge = JpegSource("huge.jpg", 10, 10);    // 60000 x 60000: more than a bitmap may take
  const fs::path thin = JpegSource("thin.jpg", 1, 1000);   // 60 x 60000
  ASSERT_TRUE(engine.XQTDropFiles({huge, thin}));
  EXPECT_EQ(host.messages.front().second, kMsgTooLarge);
  EXPECT_EQ(test::Listing(out), std::vector<std::string>{"thin_v60000.jpg"});
  EXPECT_EQ(host.size_caption, "出力済 1 枚");
  EXPECT_EQ(host.term_caption, "終了");
}

TEST_F(EngineTest, ASecondBatchIsRefusedWhileOneRuns) {
  const fs::path a = JpegSource("a.jpg", 20, 10);
  const fs::path b = JpegSource("b.jpg", 20, 10);
  bool nested = true;
  host.on_pending_messages = [&] {
    if (host.pending_calls == 2) nested = engine.XQTDropFiles({b});
  };
  ASSERT_TRUE(engine.XQTDropFiles({a, a}));
  EXPECT_FALSE(nested);
  EXPECT_FALSE(fs::exists(out / "b_w64.jpg"));
  EXPECT_EQ(host.size_caption, "出力済 1 枚");  // the same file twice is converted once
}

// Cameras restart their numbers: IMG_0001.JPG from three cards in one batch.
TEST_F(EngineTest, SameNamesInOneBatchAreNumberedNeverReplaced) {
  std::vector<fs::path> items;
  for (const char* card : {"a", "b", "c"}) {
    fs::create_directory(in / card);
    items.push_back(JpegSource(std::string(card) + "/IMG_0001.JPG", 20, 10));
  }
  items.push_back(items[1]);  // dropped twice: converted once
  const std::vector<std::string> names{"IMG_0001_w64.jpg", "IMG_0001_w64_2.jpg", "IMG_0001_w64_3.jpg"};

  ASSERT_TRUE(engine.XQTDropFiles(items));
  EXPECT_EQ(test::Listing(out), names);
  EXPECT_EQ(host.size_caption, "出力済 3 枚");

  // A second batch replaces the first one's outputs under the same names, as
  // the overwrite rule says, rather than numbering on from them.
  test::WriteText(out / "IMG_0001_w64_2.jpg", "earlier batch");
  ASSERT_TRUE(engine.XQTDropFiles(items));
  EXPECT_EQ(test::Listing(out), names);
  EXPECT_TRUE(test::ProbeJpeg(out / "IMG_0001_w64_2.jpg").ok);
  EXPECT_EQ(host.size_caption, "出力済 3 枚");

  settings.OverWrite = false;  // and with skip on, nothing is written at all
  ASSERT_TRUE(engine.XQTDropFiles(items));
  EXPECT_EQ(host.size_caption, "出力済 0 枚");
}

TEST_F(EngineTest, UnknownModeConvertsNothing) {
  settings.XQTMode = 5;
  ASSERT_TRUE(engine.XQTDropFiles({JpegSource("a.jpg", 20, 10)}));
  EXPECT_EQ(host.size_caption, "出力済 0 枚");
}

}  // namespace
}  // namespace plendo::engine
