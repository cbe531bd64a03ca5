#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <deque>

#include "PanelFixture.h"
#include "app/RadioGroup.h"
#include "app/TCFORM.h"
#include "controls/TNumEdit.h"
#include "controls/TStatusLED.h"
#include "platform/IniFile.h"
#include "support/TestNames.h"

namespace plendo::test {
namespace {

const auto* const kQt = ::testing::AddGlobalTestEnvironment(new QtTestApp);

// --- rules without a window ------------------------------------------------------

struct SizeEditCase {
  const char* text;
  bool insert, remove;
  const char* canonical;
};

void PrintTo(const SizeEditCase& c, std::ostream* os) { *os << "'" << c.text << "'"; }

class SizeEditTest : public ::testing::TestWithParam<SizeEditCase> {};

TEST_P(SizeEditTest, ButtonsFollowTheText) {
  const std::vector<std::string> items = {"原寸", "100", "128"};
  const SizeEditCase& c = GetParam();
  const app::SizeEditState s = app::EvaluateSizeEdit(c.text, items);
  EXPECT_EQ(s.insertEnabled, c.insert) << c.text;
  EXPECT_EQ(s.deleteEnabled, c.remove) << c.text;
  if (c.insert || c.remove) {
    EXPECT_EQ(s.canonical, c.canonical) << c.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SizeEditTest,
    ::testing::Values(SizeEditCase{"130", true, false, "130"},
                      SizeEditCase{"100", false, true, "100"},
                      SizeEditCase{"0100", true, false, "100"},  // not the text of an item
                      SizeEditCase{"+5", true, false, "5"},
                      SizeEditCase{"0", false, false, ""},
                      SizeEditCase{"-5", false, false, ""},
                      SizeEditCase{"-", false, false, ""},
                      SizeEditCase{"1.5", false, false, ""},
                      SizeEditCase{"原寸", false, false, ""},
                      SizeEditCase{"ここに数値入力", false, false, ""},
                      SizeEditCase{"", false, false, ""},
                      SizeEditCase{"99999999999", false, false, ""},
                      SizeEditCase{"2147483647", true, false, "2147483647"}), test::PrintedNameAndIndex());

TEST(SettingsPanelPosition, BesideTheMainPanelUnlessOffScreen) {
  const QRect screen(0, 0, 1024, 768);
  const QSize panel(320, 240);
  EXPECT_EQ(app::DefaultSettingsPanelPosition({100, 100}, screen, panel), QPoint(200, 220));
  EXPECT_EQ(app::DefaultSettingsPanelPosition({700, 500}, screen, panel), QPoint(600, 380));
  // Exactly at the edge still fits.
  EXPECT_EQ(app::DefaultSettingsPanelPosition({604, 408}, screen, panel), QPoint(704, 528));
}

// --- the panel -------------------------------------------------------------------

class SettingsPanelTest : public PanelFixture {
 protected:
  void TearDown() override {
    panel.reset();
    PanelFixture::TearDown();
  }

  // A ready main panel with 128 (item 15) chosen, and its settings panel.
  app::TCFORM& OpenPanel(const std::string& extra = "") {
    WriteEnv("[Status]\nWOPath=" + dir.Path().string() + "\nGSize=15\n" + extra);
    Open();
    return Reopen();
  }
  app::TCFORM& Reopen() {
    app::SettingsPanelDialogs d;
    d.askYesNo = [this](QWidget*, const QString& text) {
      asked.push_back(text.toStdString());
      return answerYes;
    };
    d.showNotice = [this](QWidget*, const QString& text) { notices.push_back(text.toStdString()); };
    d.openUrl = [this](const QUrl& url) { opened.push_back(url.toString().toStdString()); };
    d.pages = pages;
    panel = std::make_unique<app::TCFORM>(*form, d);
    QtTestApp::beeps = 0;
    return *panel;
  }
  void ClosePanel() { panel.reset(); }
  std::string Env(const char* section, const char* key) {
    return platform::ReadIniString(EnvPath(), section, key, "?");
  }
  std::vector<std::string> MainItems() const { return form->SizeItems(); }

  std::unique_ptr<app::TCFORM> panel;
  bool answerYes = true;
  std::vector<std::string> asked, notices, opened;
  app::WebPages pages;
};

TEST_F(SettingsPanelTest, OpensWithTheSettingsShown) {
  app::TCFORM& p = OpenPanel("[Option]\nGamma=2\nSharpNess=0\nJPEGExt=3\nExifCopy=1\nOutFormat=2\nMaxFileKB=150\n");
  EXPECT_EQ(p.windowTitle().toStdString(), app::kSettingsCaption);
  EXPECT_TRUE(p.XQTALL->isChecked());
  EXPECT_FALSE(p.XQTEXT->isChecked());
  EXPECT_FALSE(p.EXTGroup->isEnabled());
  EXPECT_EQ(p.GammaGroup->ItemIndex(), 2);
  EXPECT_EQ(p.SharpGroup->ItemIndex(), 0);
  EXPECT_EQ(p.JPGGroup->ItemIndex(), 3);
  EXPECT_TRUE(p.CopyExif->isChecked());
  EXPECT_TRUE(p.cbStayTop->isChecked());
  EXPECT_TRUE(p.AddGSMark->isEnabled());
  EXPECT_EQ(p.SizeListItems(), MainItems());
  EXPECT_EQ(p.SizeList->currentText().toStdString(), "128");
  EXPECT_EQ(p.NumEdit->text().toStdString(), app::kNumEditHint);
  EXPECT_FALSE(p.btINS->isEnabled());
  EXPECT_FALSE(p.btDEL->isEnabled());
  EXPECT_EQ(p.VersionLabel->text().toStdString(), "Version 1.26");
  EXPECT_EQ(p.AlphaLabel->text().toStdString(), " 透明度 ： 180 ");
  EXPECT_FALSE(p.AlphaUpDown->isEnabled());
  EXPECT_EQ(p.OverWrite->ItemIndex(), 1);
  EXPECT_EQ(p.FormatGroup->ItemIndex(), 2);
  EXPECT_EQ(p.MaxFileKB->text().toStdString(), "150");
  EXPECT_FALSE(p.NoLocation->isChecked());
  EXPECT_EQ(Beeps(), 0);
}

TEST_F(SettingsPanelTest, ModeBoxesActAsAPair) {
  app::TCFORM& p = OpenPanel("XQTMode=1\nXQTExt=3\n");
  EXPECT_TRUE(p.XQTEXT->isChecked());
  EXPECT_FALSE(p.XQTALL->isChecked());
  EXPECT_TRUE(p.EXTGroup->isEnabled());
  EXPECT_EQ(p.EXTGroup->ItemIndex(), 3);
  p.XQTALL->click();
  EXPECT_FALSE(p.XQTEXT->isChecked());
  EXPECT_FALSE(p.EXTGroup->isEnabled());
  p.XQTALL->click();  // unchecking one checks the other
  EXPECT_TRUE(p.XQTEXT->isChecked());
  EXPECT_TRUE(p.EXTGroup->isEnabled());
}

TEST_F(SettingsPanelTest, CorrectionMarkIsDecidedAtOpening) {
  app::TCFORM& p = OpenPanel("[Option]\nGamma=0\nSharpNess=0\n");
  EXPECT_FALSE(p.AddGSMark->isEnabled());
  p.GammaGroup->Button(2)->click();
  EXPECT_EQ(p.GammaGroup->ItemIndex(), 2);
  EXPECT_FALSE(p.AddGSMark->isEnabled());
}

TEST_F(SettingsPanelTest, TypedSizeIsCanonicalAndPicksTheButton) {
  app::TCFORM& p = OpenPanel();
  p.NumEdit->setText("0100");
  EXPECT_EQ(p.NumEdit->text().toStdString(), "100");
  EXPECT_FALSE(p.btINS->isEnabled());
  EXPECT_TRUE(p.btDEL->isEnabled());
  EXPECT_NE(p.NumEdit->palette().color(QPalette::Text), QColor(128, 128, 128));

  p.SizeList->setCurrentIndex(0);
  p.SizeListChange();  // choosing "原寸"
  EXPECT_EQ(p.NumEdit->text().toStdString(), "原寸");
  EXPECT_FALSE(p.btINS->isEnabled());
  EXPECT_FALSE(p.btDEL->isEnabled());
}

TEST_F(SettingsPanelTest, AddedSizeFollowsTheSelectedOneAndBecomesCurrentOnConfirm) {
  app::TCFORM& p = OpenPanel();
  p.NumEdit->setText("130");
  ASSERT_TRUE(p.btINS->isEnabled());
  p.btINS->click();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0],
            "変換サイズ一覧の「128」の次の行に、新しく「130」というサイズ数値を挿入してもよろしいですか？");
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0],
            "新しい変換サイズ「130」を一覧に追加しました。念のため、もう一度、変換サイズ一覧を開いてご確認ください。");
  EXPECT_EQ(Beeps(), 2);
  EXPECT_EQ(p.SizeList->itemText(16).toStdString(), "130");
  EXPECT_EQ(p.SizeList->currentIndex(), 16);
  EXPECT_EQ(p.NumEdit->text().toStdString(), "");
  EXPECT_EQ(MainItems().size(), 78u);  // nothing reaches the main panel yet

  p.btOK->click();
  ClosePanel();
  EXPECT_EQ(MainItems().size(), 79u);
  EXPECT_EQ(MainItems()[16], "130");
  EXPECT_EQ(SizeText(), "130");
  EXPECT_EQ(form->SizeIndex(), 16);
}

TEST_F(SettingsPanelTest, AnsweringNoChangesNothing) {
  app::TCFORM& p = OpenPanel();
  answerYes = false;
  p.NumEdit->setText("130");
  p.btINS->click();
  p.NumEdit->setText("100");
  p.btDEL->click();
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_TRUE(notices.empty());
  EXPECT_EQ(p.SizeListItems(), MainItems());
  EXPECT_EQ(p.NumEdit->text().toStdString(), "100");
}

TEST_F(SettingsPanelTest, AddingWithNothingSelectedKeepsActualSizeFirst) {
  WriteEnv("[Status]\nWOPath=" + dir.Path().string() + "\n");
  Open();
  form->GDot->setEditText("333");  // a typed size that is no item
  app::TCFORM& p = Reopen();
  ASSERT_EQ(p.SizeList->currentIndex(), -1);
  p.NumEdit->setText("130");
  p.btINS->click();
  EXPECT_EQ(p.SizeList->itemText(0).toStdString(), "原寸");
  EXPECT_EQ(p.SizeList->itemText(1).toStdString(), "130");
}

TEST_F(SettingsPanelTest, DeletingRemovesEveryCopy) {
  app::TCFORM& p = OpenPanel("[Option]\nRSize=原寸,50,100,200,100,300\n");
  p.NumEdit->setText("100");
  p.btDEL->click();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(asked[0], "変換サイズ一覧から「100」というサイズを削除してもよろしいですか？");
  EXPECT_EQ(notices[0],
            "変換サイズ「100」を一覧から削除しました。念のため、もう一度、変換サイズ一覧を開いてご確認ください。");
  EXPECT_EQ(p.SizeListItems(), (std::vector<std::string>{"原寸", "50", "200", "300"}));
  EXPECT_EQ(p.SizeList->currentText().toStdString(), "50");
  p.btOK->click();
  ClosePanel();
  EXPECT_EQ(MainItems(), (std::vector<std::string>{"原寸", "50", "200", "300"}));
  EXPECT_EQ(SizeText(), "50");
}

class ConfirmOrCancelTest : public SettingsPanelTest,
                            public ::testing::WithParamInterface<bool> {};

TEST_P(ConfirmOrCancelTest, OnlyConfirmCopiesBack) {
  const bool confirm = GetParam();
  app::TCFORM& p = OpenPanel();
  const settings::AppSettings before = form->Settings();
  p.XQTEXT->click();
  p.EXTGroup->Button(4)->click();
  p.GammaGroup->Button(3)->click();
  p.SharpGroup->Button(0)->click();
  p.JPGGroup->Button(2)->click();
  p.CopyExif->click();
  p.Progress->click();
  p.AddGSMark->click();
  p.EffectOFF->click();
  p.NoEnlarge->click();
  p.FolderDrop->click();
  p.cbXQTDisp->click();
  p.cbStayTop->click();
  p.SaveLocate->click();
  p.OverWrite->Button(0)->click();
  p.FormatGroup->Button(4)->click();
  p.MaxFileKB->setText("300");
  p.NoLocation->click();
  p.NumEdit->setText("130");
  p.btINS->click();
  (confirm ? p.btOK : p.btCancel)->click();
  ClosePanel();

  const settings::AppSettings& s = form->Settings();
  if (!confirm) {
    EXPECT_EQ(s.XQTMode, before.XQTMode);
    EXPECT_EQ(s.Gamma, before.Gamma);
    EXPECT_EQ(s.ExifCopy, before.ExifCopy);
    EXPECT_EQ(s.NoEnlarge, before.NoEnlarge);
    EXPECT_EQ(s.FolderDrop, before.FolderDrop);
    EXPECT_EQ(s.OverWrite, before.OverWrite);
    EXPECT_EQ(s.SaveLocate, before.SaveLocate);
    EXPECT_EQ(s.OutFormat, before.OutFormat);
    EXPECT_EQ(s.MaxFileKB, before.MaxFileKB);
    EXPECT_EQ(s.NoLocation, before.NoLocation);
    EXPECT_TRUE(form->StaysOnTop());
    EXPECT_EQ(MainItems().size(), 78u);
    EXPECT_EQ(SizeText(), "128");
    EXPECT_FALSE(form->ELED->isVisibleTo(form.get()));
    return;
  }
  EXPECT_EQ(s.XQTMode, 1);
  EXPECT_EQ(s.XQTExt, 4);
  EXPECT_EQ(s.Gamma, 3);
  EXPECT_EQ(s.SharpNess, 0);
  EXPECT_EQ(s.JPEGExt, 2);
  EXPECT_TRUE(s.ExifCopy);
  EXPECT_TRUE(s.Progress);
  EXPECT_TRUE(s.AddGSMark);
  EXPECT_FALSE(s.AutoEffOFF);
  EXPECT_TRUE(s.NoEnlarge);
  EXPECT_TRUE(s.FolderDrop);
  EXPECT_TRUE(s.XQTDisp);
  EXPECT_TRUE(s.SaveLocate);
  EXPECT_FALSE(s.OverWrite);
  EXPECT_EQ(s.OutFormat, settings::kFormatJxl);
  EXPECT_EQ(s.MaxFileKB, 300);
  EXPECT_TRUE(s.NoLocation);
  EXPECT_FALSE(form->StaysOnTop());
  EXPECT_EQ(SizeText(), "130");
}

INSTANTIATE_TEST_SUITE_P(Close, ConfirmOrCancelTest, ::testing::Bool(), test::PrintedName());

TEST_F(SettingsPanelTest, ConfirmKeepsAStoredIndexNoButtonShows) {
  app::TCFORM& p = OpenPanel("XQTExt=9\n[Option]\nGamma=7\nSharpNess=-3\nJPEGExt=6\nAlphaBlendType=4\n");
  p.btOK->click();
  ClosePanel();
  const settings::AppSettings& s = form->Settings();
  EXPECT_EQ(s.XQTExt, 9);
  EXPECT_EQ(s.Gamma, 7);
  EXPECT_EQ(s.SharpNess, -3);
  EXPECT_EQ(s.JPEGExt, 6);
  EXPECT_EQ(s.AlphaBlendType, 4);
}

TEST_F(SettingsPanelTest, EnterOnACheckBoxOrRadioButtonPressesNoButton) {
  app::TCFORM& p = OpenPanel();
  p.show();
  int pressed = 0;
  for (QPushButton* b : {p.btOK, p.btCancel}) QObject::connect(b, &QPushButton::clicked, [&] { ++pressed; });
  for (QWidget* w : std::initializer_list<QWidget*>{p.CopyExif, p.GammaGroup->Button(1), p.SaveLocate})
    QTest::keyClick(w, Qt::Key_Return);
  EXPECT_EQ(pressed, 0);
  EXPECT_TRUE(p.isVisible());
}

TEST_F(SettingsPanelTest, OutputBesideSourceLocksOverwrite) {
  app::TCFORM& p = OpenPanel("OutOrigDir=1\n[Option]\nOverWrite=1\n");
  EXPECT_EQ(p.OverWrite->ItemIndex(), 0);
  EXPECT_FALSE(p.OverWrite->isEnabled());
  p.btOK->click();
  ClosePanel();
  EXPECT_TRUE(form->Settings().OverWrite);
}

TEST_F(SettingsPanelTest, TransparencyPreviewsLiveAndCancelRestores) {
  app::TCFORM& p = OpenPanel();
  EXPECT_DOUBLE_EQ(form->windowOpacity(), 1.0);
  p.AlphaType->Button(1)->click();
  EXPECT_TRUE(p.AlphaUpDown->isEnabled());
  p.AlphaUpDown->setValue(200);
  EXPECT_EQ(p.AlphaLabel->text().toStdString(), " 透明度 ： 200 ");
  EXPECT_NEAR(form->windowOpacity(), 200 / 255.0, 0.01);  // mode 1 previews as 2
  EXPECT_EQ(form->Settings().AlphaBlendType, 1);
  EXPECT_EQ(form->Settings().AlphaBlendValue, 200);
  p.btCancel->click();
  ClosePanel();
  EXPECT_EQ(form->Settings().AlphaBlendType, 0);
  EXPECT_EQ(form->Settings().AlphaBlendValue, 180);
  EXPECT_DOUBLE_EQ(form->windowOpacity(), 1.0);
}

TEST_F(SettingsPanelTest, CloseBoxKeepsTheLastTransparency) {
  app::TCFORM& p = OpenPanel("[Option]\nAlphaBlendType=2\nAlphaBlendValue=30\n");
  EXPECT_EQ(p.AlphaUpDown->value(), 50);  // the panel offers 50 to 255
  p.AlphaUpDown->setValue(120);
  p.GammaGroup->Button(0)->click();
  p.close();
  ClosePanel();
  EXPECT_EQ(form->Settings().AlphaBlendValue, 120);
  EXPECT_EQ(form->Settings().Gamma, 1);
  EXPECT_NEAR(form->windowOpacity(), 120 / 255.0, 0.01);
}

TEST_F(SettingsPanelTest, PositionAndTabAreWrittenAtClose) {
  app::TCFORM& p = OpenPanel("[MFORM]\nTop=150\nLeft=160\n");
  EXPECT_EQ(p.pos(), QPoint(260, 270));  // not kept: beside the main panel
  p.PageBASE->setCurrentIndex(5);  // the last tab, 形式
  p.move(40, 30);
  form->move(170, 180);
  p.close();
  ClosePanel();
  EXPECT_EQ(Env("CFORM", "ActivePage"), "5");
  EXPECT_EQ(Env("CFORM", "Top"), "30");
  EXPECT_EQ(Env("CFORM", "Left"), "40");
  EXPECT_EQ(Env("MFORM", "Top"), "180");
  EXPECT_EQ(Env("MFORM", "Left"), "170");

  // Kept position: opens where it was, on the tab it was left at.
  form->Settings().SaveLocate = true;
  app::TCFORM& again = Reopen();
  EXPECT_EQ(again.pos(), QPoint(40, 30));
  EXPECT_EQ(again.PageBASE->currentIndex(), 5);
  again.btCancel->click();
  ClosePanel();
  EXPECT_EQ(Env("CFORM", "ActivePage"), "0");
}

// A page built without an address keeps its text but is no link.
TEST_F(SettingsPanelTest, OnlyLabelsWithAnAddressAreLinks) {
  pages = {"https://support.test/plendo", ""};
  app::TCFORM& p = OpenPanel();
  p.PageBASE->setCurrentIndex(4);
  p.show();
  QTest::mouseClick(p.SupportPage, Qt::LeftButton);
  QTest::mouseClick(p.Twitter, Qt::LeftButton);
  EXPECT_EQ(opened, std::vector<std::string>{"https://support.test/plendo"});
  EXPECT_TRUE(p.SupportPage->font().underline());
  EXPECT_EQ(p.SupportPage->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_FALSE(p.Twitter->font().underline());
  EXPECT_EQ(p.Twitter->cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(p.Twitter->text().toStdString(), app::kSocialHandle);
  EXPECT_EQ(p.SupportPage->text().toStdString(), "<< Plendo サポートページを開く >>");
  // Whatever the fonts, no label of the about box runs past its edges.
  for (const QLabel* label : p.CPanel->findChildren<QLabel*>())
    EXPECT_TRUE(p.CPanel->contentsRect().contains(label->geometry())) << label->text().toStdString();
}

TEST_F(SettingsPanelTest, SettingsButtonOpensModallyAndRefreshesTheLamps) {
  WriteEnv("[Status]\nWOPath=" + dir.Path().string() + "\nGSize=15\n");
  Open();
  ASSERT_TRUE(form->btCUST->isEnabled());
  EXPECT_FALSE(form->ELED->isVisibleTo(form.get()));
  bool seen = false;
  // The modal loop runs until this confirms the panel with EXIF copying on.
  auto* poll = new QTimer(form.get());
  QObject::connect(poll, &QTimer::timeout, [&] {
    auto* modal = qobject_cast<app::TCFORM*>(QApplication::activeModalWidget());
    if (!modal) return;
    seen = true;
    poll->stop();
    modal->CopyExif->click();
    modal->btOK->click();
  });
  poll->start(10);
  form->btCUST->click();
  EXPECT_TRUE(seen);
  EXPECT_TRUE(form->Settings().ExifCopy);
  EXPECT_TRUE(form->ELED->isVisibleTo(form.get()));
  EXPECT_TRUE(form->findChildren<app::TCFORM*>().isEmpty());
  EXPECT_EQ(Env("CFORM", "ActivePage"), "0");
}

}  // namespace
}  // namespace plendo::test
