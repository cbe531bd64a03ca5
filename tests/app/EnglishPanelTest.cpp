// The panel in English: its translation loaded as the program loads it, the
// main panel's and the settings panel's texts, the engine's messages and the
// language choice. Japanese, the source language, is what every other
// panel test sees.
#include <QPushButton>
#include <QTabWidget>

#include "PanelFixture.h"
#include "app/PanelLanguage.h"
#include "app/PanelTexts.h"
#include "app/ProgramStart.h"
#include "app/TCFORM.h"
#include "engine/DropFeed.h"
#include "engine/EngineTexts.h"
#include "engine/ResizeEngine.h"

namespace plendo::test {
namespace {

const auto* const kQt = ::testing::AddGlobalTestEnvironment(new QtTestApp);

using platform::Language;

class EnglishPanel : public PanelFixture {
 protected:
  void SetUp() override {
    PanelFixture::SetUp();
    ASSERT_TRUE(english.Loaded()) << "no plendo_en.qm in " PLENDO_TRANSLATIONS_DIR;
  }
  app::PanelTranslation english{Language::English, QStringLiteral(PLENDO_TRANSLATIONS_DIR)};
};

TEST_F(EnglishPanel, ButtonsMessagesAndTabsAreEnglish) {
  app::TMFORM& panel = Open();
  EXPECT_EQ(panel.btTERM->text().toStdString(), "Quit");
  EXPECT_EQ(panel.btWOUT->text().toStdString(), "Press here to choose where images go");
  EXPECT_EQ(Message(), "No output folder set");
  app::TCFORM settings(panel, {});
  EXPECT_EQ(settings.PageBASE->tabText(0).toStdString(), "Mode");
  EXPECT_EQ(settings.PageBASE->tabText(5).toStdString(), "Format");
}

// The engine hands over Japanese; the panel shows it translated, numbers
// carried over from the Japanese into the English.
TEST_F(EnglishPanel, EngineTextsAreTranslatedWhereShown) {
  app::TMFORM& panel = Open();
  panel.ShowMonitorMessage(engine::kRed, engine::kMsgUnprocessable);
  EXPECT_EQ(Message(), "This file cannot\nbe converted (^_^;)");
  panel.SetSizeCaption(engine::FillIn(engine::kCountCaption, {"12"}));
  EXPECT_EQ(panel.SSize->text().toStdString(), "12 written");
  EXPECT_EQ(app::EngineText(engine::FillIn(engine::kOverLimitNote, {"151"})).toStdString(),
            "Over the size limit:\n151 KB at lowest quality");
  panel.SetTermCaption(engine::kCaptionAbort, false);
  EXPECT_EQ(panel.btTERM->text().toStdString(), "Stop");
  // Every engine text the panel can be handed has its English.
  for (const char* text : {engine::kMsgNoPreview, engine::kMsgUnprocessable, engine::kMsgWriteError,
                           engine::kMsgTooLarge, engine::kMsgNoSize, engine::kMsgNoFolder, engine::kCaptionAbort,
                           engine::kCaptionEnd, engine::kMsgFolderUnreadable, engine::kCountCaption,
                           engine::kOverLimitNote, engine::kJpegErrorText})
    EXPECT_NE(app::EngineText(text), QString::fromUtf8(text)) << text;
}

// "原寸" is shown translated and kept as "原寸" in the settings and the engine.
TEST_F(EnglishPanel, ActualSizeIsShownInEnglishAndStoredInJapanese) {
  app::TMFORM& panel = Open();
  panel.SetSizeIndex(0);
  EXPECT_EQ(SizeText(), "Actual size");
  EXPECT_TRUE(panel.IsActualSize());
  EXPECT_EQ(panel.SizeText(), "原寸");
  EXPECT_EQ(panel.SizeItems().front(), "原寸");
}

TEST_F(EnglishPanel, LanguageChoiceReadsAndWritesTheSetting) {
  app::TMFORM& panel = Open();
  panel.Settings().Language = 7;  // unknown: Japanese
  {
    app::TCFORM settings(panel, {});
    EXPECT_EQ(settings.LanguageBox->currentIndex(), 0);
    EXPECT_EQ(settings.LanguageLabel->text().toStdString(), "表示言語 / Language");
    settings.LanguageBox->setCurrentIndex(2);
    settings.btOKClick();
  }
  EXPECT_EQ(panel.Settings().Language, settings::kLanguageDesktop);
}

TEST(PanelLanguage, CommandLineThenSettingThenDesktop) {
  const auto env = [](const char* name) -> const char* {
    return std::string_view(name) == "LANG" ? "ja_JP.UTF-8" : nullptr;
  };
  EXPECT_EQ(app::PanelLanguage(Language::English, settings::kLanguageJapanese, env), Language::English);
  EXPECT_EQ(app::PanelLanguage(std::nullopt, settings::kLanguageEnglish, env), Language::English);
  EXPECT_EQ(app::PanelLanguage(std::nullopt, settings::kLanguageDesktop, env), Language::Japanese);
  EXPECT_EQ(app::PanelLanguage(std::nullopt, 9, env), Language::Japanese);

  const char* argv[] = {"plendo", "--lang", "en", "a.jpg", "--lang=ja", "--", "--lang=en"};
  const app::PanelCommandLine line = app::ParsePanelCommandLine(7, argv, "/home/u");
  EXPECT_EQ(line.language, Language::Japanese);  // the later one
  EXPECT_EQ(line.files, (std::vector<std::filesystem::path>{"/home/u/a.jpg", "/home/u/--lang=en"}));
  const char* bad[] = {"plendo", "--lang", "fr"};
  EXPECT_FALSE(app::ParsePanelCommandLine(3, bad, "/").error.empty());
}

}  // namespace
}  // namespace plendo::test
