#include <QAction>
#include <QFontMetrics>
#include <QPushButton>

#include "PanelFixture.h"

namespace plendo::test {
namespace {

const auto* const kQt = ::testing::AddGlobalTestEnvironment(new QtTestApp);

class FolderMenuTest : public PanelFixture {};

TEST_F(FolderMenuTest, MenuHasTheTwoChoices) {
  app::TMFORM& f = Open();
  EXPECT_EQ(f.N1->text().toStdString(), "保存フォルダを指定して出力");
  EXPECT_EQ(f.N2->text().toStdString(), "元画像と同じフォルダに出力");
}

TEST_F(FolderMenuTest, SameFolderChoice) {
  app::TMFORM& f = Open();
  Type("640");
  f.N2->trigger();
  EXPECT_TRUE(f.Settings().OutOrigDir);
  EXPECT_EQ(FolderCaption(), "出力先： 元画像と同じフォルダ");
  EXPECT_EQ(Message(), kReady);
  EXPECT_EQ(MessageColour(), kGray);
}

TEST_F(FolderMenuTest, SameFolderChoiceWithoutSizeAsksForTheSize) {
  app::TMFORM& f = Open();
  QtTestApp::beeps = 0;
  f.N2->trigger();
  EXPECT_EQ(Message(), app::kMsgNoSize);
  EXPECT_EQ(Beeps(), 1);
}

TEST_F(FolderMenuTest, ChosenFolderIsShownAndStored) {
  app::TMFORM& f = Open();
  f.move(300, 200);
  Type("640");
  nextChoice = "/srv/写真 出力";
  f.N1->trigger();
  ASSERT_TRUE(browsed);
  EXPECT_EQ(browsed->prompt, app::kBrowsePrompt);
  EXPECT_EQ(browsed->initial, "");
  EXPECT_EQ(browsed->x, 400);
  EXPECT_EQ(browsed->y, 300);
  EXPECT_EQ(f.WOPath(), "/srv/写真 出力");
  EXPECT_FALSE(f.Settings().OutOrigDir);
  EXPECT_EQ(FolderCaption(), "出力先： /srv/写真 出力");
  EXPECT_EQ(Message(), kReady);
  EXPECT_TRUE(f.btTERM->hasFocus() || f.focusWidget() == f.btTERM);
}

TEST_F(FolderMenuTest, CancelRestoresTheEarlierFolderButSwitchesToFolderOutput) {
  app::TMFORM& f = Open();
  Type("640");
  nextChoice = "/srv/out";
  f.N1->trigger();
  f.N2->trigger();
  ASSERT_EQ(FolderCaption(), "出力先： 元画像と同じフォルダ");
  nextChoice.reset();
  f.N1->trigger();
  EXPECT_EQ(browsed->initial, "/srv/out");
  EXPECT_EQ(f.WOPath(), "/srv/out");
  EXPECT_FALSE(f.Settings().OutOrigDir);
  EXPECT_EQ(FolderCaption(), "出力先： /srv/out");
  EXPECT_EQ(Message(), kReady);
}

TEST_F(FolderMenuTest, CancelWithNoEarlierFolderLeavesItUnset) {
  app::TMFORM& f = Open();
  Type("640");
  f.N2->trigger();
  QtTestApp::beeps = 0;
  f.N1->trigger();
  EXPECT_FALSE(f.Settings().OutOrigDir);
  EXPECT_EQ(FolderCaption(), app::kCaptionChooseFolder);
  EXPECT_EQ(Message(), app::kMsgNoFolder);
  EXPECT_EQ(MessageColour(), kRed);
  EXPECT_EQ(Beeps(), 1);
}

TEST_F(FolderMenuTest, LongPathIsShortenedToFitInThePanelFont) {
  app::TMFORM& f = Open();
  const std::string deep = "/home/利用者/ピクチャ/2020年の旅行/北海道/小樽 運河/縮小済み";
  nextChoice = deep;
  f.N1->trigger();
  EXPECT_EQ(f.WOPath(), deep);  // stored whole
  const std::string caption = FolderCaption();
  const std::string prefix = "出力先： ";
  ASSERT_EQ(caption.compare(0, prefix.size(), prefix), 0);
  const std::string shown = caption.substr(prefix.size());
  EXPECT_NE(shown, deep);
  EXPECT_NE(shown.find("縮小済み"), std::string::npos);
  EXPECT_LE(QFontMetrics(f.font()).horizontalAdvance(QString::fromStdString(shown)), 220);
}

}  // namespace
}  // namespace plendo::test
