#include "settings/SettingsStore.h"

#include <gtest/gtest.h>


#include "settings/CommaText.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/TestNames.h"

namespace plendo::settings {
namespace {

using test::ReadText;
using test::WriteText;

TEST(SettingsStoreTest, FirstStartWithoutAFileGivesEveryDefault) {
  test::TempDir dir;
  const StartSettings s = ReadStartSettings(dir / "plendo.ENV");
  const AppSettings& a = s.app;
  const MainPanelSettings& p = s.panel;
  EXPECT_EQ(p.Top, 100);
  EXPECT_EQ(p.Left, 100);
  EXPECT_EQ(a.XQTMode, 0);
  EXPECT_EQ(a.XQTExt, 1);
  EXPECT_EQ(p.WOPath, "");
  EXPECT_FALSE(a.OutOrigDir);
  EXPECT_EQ(p.RSize, DefaultSizeList());
  EXPECT_EQ(p.RSize.size(), 78u);
  EXPECT_EQ(p.GSize, -1);
  EXPECT_EQ(a.SaveGSize, -1);
  EXPECT_EQ(p.SideIndex(), 0);
  EXPECT_FALSE(a.ExifCopy);
  EXPECT_TRUE(a.OverWrite);
  EXPECT_EQ(a.JPEGExt, 0);
  EXPECT_EQ(a.Gamma, 1);
  EXPECT_EQ(a.SharpNess, 1);
  EXPECT_FALSE(a.AddGSMark);
  EXPECT_TRUE(a.AutoEffOFF);
  EXPECT_FALSE(a.Progress);
  EXPECT_FALSE(a.XQTDisp);
  EXPECT_TRUE(p.StaysOnTop());
  EXPECT_EQ(a.AlphaBlendType, 0);
  EXPECT_EQ(a.AlphaBlendValue, 180);
  EXPECT_FALSE(a.SaveLocate);
  EXPECT_EQ(a.Compress, 70);
  EXPECT_DOUBLE_EQ(a.GammaStep, 0.06);
  EXPECT_EQ(a.OutFormat, kFormatJpeg);
  EXPECT_EQ(a.MaxFileKB, 0);
  EXPECT_FALSE(a.NoLocation);
  EXPECT_EQ(a.Language, kLanguageJapanese);  // a file from before the choice reads as Japanese too
}

TEST(SettingsStoreTest, FullWriteThenReadGivesTheSameValues) {
  test::TempDir dir;
  const auto path = dir / "plendo.ENV";
  AppSettings a;
  a.XQTMode = 1; a.XQTExt = 3; a.XQTDisp = true; a.JPEGExt = 2; a.OutOrigDir = true;
  a.ExifCopy = true; a.OverWrite = false; a.Gamma = 3; a.SharpNess = 2; a.AddGSMark = true;
  a.AutoEffOFF = false; a.Progress = true; a.AlphaBlendType = 2; a.AlphaBlendValue = 77;
  a.SaveLocate = true; a.SaveGSize = 12; a.Language = kLanguageDesktop;
  MainPanelSettings p;
  p.Top = -20; p.Left = 3000; p.WOPath = "/home/太郎/my photos"; p.GSize = 5;
  p.RGL = false; p.RGV = true; p.PanelStyle = 0;
  p.RSize = {kActualSizeItem, "640", "800"};
  WriteEndSettings(path, a, p);

  const StartSettings s = ReadStartSettings(path);
  EXPECT_EQ(s.panel.Top, -20);
  EXPECT_EQ(s.panel.Left, 3000);
  EXPECT_EQ(s.panel.WOPath, p.WOPath);
  EXPECT_EQ(s.panel.RSize, p.RSize);
  EXPECT_EQ(s.panel.GSize, -1);  // 5 is beyond the three items
  EXPECT_EQ(s.panel.SideIndex(), 2);
  EXPECT_FALSE(s.panel.StaysOnTop());
  EXPECT_EQ(s.app.XQTMode, 1);
  EXPECT_EQ(s.app.XQTExt, 3);
  EXPECT_TRUE(s.app.XQTDisp);
  EXPECT_EQ(s.app.JPEGExt, 2);
  EXPECT_TRUE(s.app.OutOrigDir);
  EXPECT_TRUE(s.app.ExifCopy);
  EXPECT_FALSE(s.app.OverWrite);
  EXPECT_EQ(s.app.Gamma, 3);
  EXPECT_EQ(s.app.SharpNess, 2);
  EXPECT_TRUE(s.app.AddGSMark);
  EXPECT_FALSE(s.app.AutoEffOFF);
  EXPECT_TRUE(s.app.Progress);
  EXPECT_EQ(s.app.AlphaBlendType, 2);
  EXPECT_EQ(s.app.AlphaBlendValue, 77);
  EXPECT_TRUE(s.app.SaveLocate);
  EXPECT_EQ(s.app.SaveGSize, 12);
  EXPECT_EQ(s.app.Language, kLanguageDesktop);
  // Tuning values are never written, so they come back as defaults.
  EXPECT_EQ(s.app.Compress, 70);

  p.GSize = 2;
  WriteEndSettings(path, a, p);
  EXPECT_EQ(ReadStartSettings(path).panel.GSize, 2);
}

TEST(SettingsStoreTest, EndWriteHasTheFourSectionsInOrderWithActivePageZero) {
  test::TempDir dir;
  const auto path = dir / "plendo.ENV";
  WriteText(path, "[CFORM]\nActivePage=4\nTop=300\n");
  WriteEndSettings(path, AppSettings{}, MainPanelSettings{});
  const std::string text = ReadText(path);
  EXPECT_NE(text.find("ActivePage=0\n"), std::string::npos);
  EXPECT_NE(text.find("Top=300\n"), std::string::npos);  // the settings panel's own
  const auto mform = text.find("[MFORM]\nTop=100\nLeft=100\n");
  const auto status = text.find(
      "[Status]\nXQTMode=0\nXQTExt=1\nWOPath=\nOutOrigDir=0\nGSize=-1\nSaveGSize=-1\n"
      "RGL=1\nRGW=0\nRGV=0\n");
  const auto option = text.find(
      "[Option]\nRSize=" + ToCommaText(DefaultSizeList()) +
      "\nXQTDisp=0\nJPEGExt=0\nProgress=0\nExifCopy=0\nOverWrite=1\nGamma=1\nSharpNess=1\n"
      "AddGSMark=0\nAutoEffOFF=1\nPanelStyle=3\nAlphaBlendType=0\nAlphaBlendValue=180\nJobs=0\nToSRGB=0\n"
      "OutFormat=0\nMaxFileKB=0\nNoLocation=0\n"
      "NoEnlarge=0\nFolderDrop=0\nLanguage=0\n");
  EXPECT_NE(mform, std::string::npos) << text;
  EXPECT_NE(status, std::string::npos) << text;
  EXPECT_NE(option, std::string::npos) << text;
  EXPECT_LT(mform, status);
  EXPECT_LT(status, option);
}

TEST(SettingsStoreTest, HandAddedSecretIsReadAndSurvivesTheEndWrite) {
  test::TempDir dir;
  const auto path = dir / "plendo.ENV";
  WriteText(path, "[Secret]\nCompress=90\nGammaStep=0.1\n[Mine]\nnote=kept\n");
  const StartSettings s = ReadStartSettings(path);
  EXPECT_EQ(s.app.Compress, 90);
  EXPECT_DOUBLE_EQ(s.app.GammaStep, 0.1);
  AppSettings changed = s.app;
  changed.Compress = 10;  // never written
  WriteEndSettings(path, changed, s.panel);
  const std::string text = ReadText(path);
  EXPECT_NE(text.find("[Secret]\nCompress=90\nGammaStep=0.1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("[Mine]\nnote=kept\n"), std::string::npos);
  EXPECT_EQ(ReadStartSettings(path).app.Compress, 90);
}

TEST(SettingsStoreTest, NamesMatchInAnyLetterCase) {
  test::TempDir dir;
  const auto path = dir / "plendo.ENV";
  WriteText(path, "[option]\nexifcopy=1\nJPEGEXT=3\n[SECRET]\ncompress=55\n[mform]\ntop=7\n");
  const StartSettings s = ReadStartSettings(path);
  EXPECT_TRUE(s.app.ExifCopy);
  EXPECT_EQ(s.app.JPEGExt, 3);
  EXPECT_EQ(s.app.Compress, 55);
  EXPECT_EQ(s.panel.Top, 7);
  WriteEndSettings(path, s.app, s.panel);
  const std::string text = ReadText(path);
  EXPECT_EQ(text.find("[Option]"), std::string::npos);  // written into the existing section
  EXPECT_EQ(ReadStartSettings(path).panel.Top, 7);
}

TEST(SettingsStoreTest, UnconvertibleValuesGiveDefaults) {
  test::TempDir dir;
  const auto path = dir / "plendo.ENV";
  WriteText(path,
           "[MFORM]\nTop=abc\nLeft=99999999999\n"
           "[Status]\nXQTExt=\nOutOrigDir=yes\nRGL=x\nGSize=1.5\n"
           "[Option]\nOverWrite=zero\nAlphaBlendValue=0x20\nRSize=\n"
           "[Secret]\nCompress=9O\nGammaStep=nan\n");
  const StartSettings s = ReadStartSettings(path);
  EXPECT_EQ(s.panel.Top, 100);
  EXPECT_EQ(s.panel.Left, 100);
  EXPECT_EQ(s.app.XQTExt, 1);
  EXPECT_FALSE(s.app.OutOrigDir);
  EXPECT_EQ(s.panel.SideIndex(), 0);
  EXPECT_EQ(s.panel.GSize, -1);
  EXPECT_TRUE(s.app.OverWrite);
  EXPECT_EQ(s.app.AlphaBlendValue, 180);
  EXPECT_EQ(s.panel.RSize, DefaultSizeList());
  EXPECT_EQ(s.app.Compress, 70);
  EXPECT_DOUBLE_EQ(s.app.GammaStep, 0.06);
}

TEST(SettingsStoreTest, GSizeAndSaveGSizeFollowTheStoredList) {
  test::TempDir dir;
  const auto path = dir / "plendo.ENV";
  WriteText(path, "[Option]\nRSize=640,800\n[Status]\nGSize=2\n");
  const StartSettings s = ReadStartSettings(path);
  // The actual-size item is put back in front of a hand-edited list.
  EXPECT_EQ(s.panel.RSize, (std::vector<std::string>{kActualSizeItem, "640", "800"}));
  EXPECT_EQ(s.panel.GSize, 2);
  EXPECT_EQ(s.app.SaveGSize, 2);  // defaults to the selection just applied
}

TEST(SettingsStoreTest, AnyNonZeroIntegerIsTrueAndLaterRadioFlagsWin) {
  struct Row { const char* text; bool value; };
  for (const Row& r : {Row{"1", true}, Row{"-5", true}, Row{" 0 ", false}, Row{"2", true}})
    EXPECT_EQ(ParseBoolean(r.text, !r.value), r.value) << r.text;
  MainPanelSettings p;
  p.RGL = true; p.RGW = true; p.RGV = false;
  EXPECT_EQ(p.SideIndex(), 1);
  p.RGL = false; p.RGW = false;
  EXPECT_EQ(p.SideIndex(), 0);
}

TEST(SettingsStoreTest, PanelStyleOtherThanZeroStaysOnTopAndIsWrittenAsThree) {
  test::TempDir dir;
  const auto path = dir / "plendo.ENV";
  WriteText(path, "[Option]\nPanelStyle=7\n");
  const StartSettings s = ReadStartSettings(path);
  EXPECT_TRUE(s.panel.StaysOnTop());
  WriteEndSettings(path, s.app, s.panel);
  EXPECT_NE(ReadText(path).find("PanelStyle=3\n"), std::string::npos);
}

TEST(SettingsStoreTest, SettingsPanelPlacementDefaultsAndEntryWrites) {
  test::TempDir dir;
  const auto path = dir / "plendo.ENV";
  SettingsPanelPlacement p = ReadSettingsPanelPlacement(path, 50, 60);
  EXPECT_EQ(p.Top, 170);
  EXPECT_EQ(p.Left, 160);
  EXPECT_EQ(p.ActivePage, 0);
  WriteText(path, "[Secret]\nCompress=90\n");
  WriteSettingsPanelPlacement(path, 11, 12, {300, 400, 3});
  p = ReadSettingsPanelPlacement(path, 0, 0);
  EXPECT_EQ(p.Top, 300);
  EXPECT_EQ(p.Left, 400);
  EXPECT_EQ(p.ActivePage, 3);
  const StartSettings s = ReadStartSettings(path);
  EXPECT_EQ(s.panel.Top, 11);
  EXPECT_EQ(s.panel.Left, 12);
  EXPECT_EQ(s.app.Compress, 90);
}

TEST(SettingsStoreTest, FirstEntryWriteToTheConfigFolderCarriesTheWholeFileOver) {
  test::TempDir dir;
  const SettingsLocation location{dir / "bin" / "plendo.ENV", dir / "config" / "plendo" / "plendo.ENV", true};
  std::filesystem::create_directories(location.readPath.parent_path());
  WriteText(location.readPath, "[Secret]\nCompress=90\n");
  WriteSettingsPanelPlacement(location, 11, 12, {300, 400, 3});
  const StartSettings s = ReadStartSettings(location.writePath);
  EXPECT_EQ(s.panel.Top, 11);
  EXPECT_EQ(s.app.Compress, 90);
  EXPECT_EQ(ReadSettingsPanelPlacement(location.writePath, 0, 0).ActivePage, 3);
}

// --- comma text ---------------------------------------------------------

struct CommaCase {
  std::vector<std::string> items;
  std::string text;
};

void PrintTo(const CommaCase& c, std::ostream* os) { *os << "'" << c.text << "'"; }

class CommaTextRoundTrip : public ::testing::TestWithParam<CommaCase> {};

TEST_P(CommaTextRoundTrip, WritesAndReadsBack) {
  const CommaCase& c = GetParam();
  EXPECT_EQ(ToCommaText(c.items), c.text);
  EXPECT_EQ(FromCommaText(c.text), c.items);
}

INSTANTIATE_TEST_SUITE_P(
    Items, CommaTextRoundTrip,
    ::testing::Values(CommaCase{{"原寸", "24", "30"}, "原寸,24,30"},
                      CommaCase{{"a b", "c"}, "\"a b\",c"},
                      CommaCase{{"x,y", "z"}, "\"x,y\",z"},
                      CommaCase{{"say \"hi\""}, "\"say \"\"hi\"\"\""},
                      CommaCase{{"a", "", "b"}, "a,,b"},
                      CommaCase{{""}, "\"\""},
                      CommaCase{{}, ""}),
    test::PrintedNameAndIndex());

TEST(CommaTextTest, UnquotedBlanksSeparateItemsToo) {
  EXPECT_EQ(FromCommaText("  640 800,  1024 ,"),
            (std::vector<std::string>{"640", "800", "1024", ""}));
  EXPECT_EQ(FromCommaText("\"unclosed item"), (std::vector<std::string>{"unclosed item"}));
}

TEST(CommaTextTest, SizeListSurvivesTheFile) {
  test::TempDir dir;
  const auto path = dir / "plendo.ENV";
  MainPanelSettings p;
  p.RSize = {kActualSizeItem, "640", "two words", "with,comma", "q\"uote"};
  WriteEndSettings(path, AppSettings{}, p);
  EXPECT_EQ(ReadStartSettings(path).panel.RSize, p.RSize);
}

}  // namespace
}  // namespace plendo::settings
