#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>

#include "PanelFixture.h"
#include "controls/TStatusLED.h"
#include "settings/SettingsStore.h"
#include "support/TestNames.h"

namespace plendo::test {
namespace {

const auto* const kQt = ::testing::AddGlobalTestEnvironment(new QtTestApp);

class MainPanelTest : public PanelFixture {
 protected:
  // A panel with an output folder, so only the size decides readiness.
  app::TMFORM& OpenReady(const std::string& extra = "") {
    WriteEnv("[Status]\nWOPath=" + dir.Path().string() + "\n" + extra);
    app::TMFORM& f = Open();
    QtTestApp::beeps = 0;
    return f;
  }
};

TEST_F(MainPanelTest, FirstStartShowsWhatIsMissing) {
  app::TMFORM& f = Open();
  EXPECT_EQ(FolderCaption(), app::kCaptionChooseFolder);
  EXPECT_EQ(Message(), app::kMsgNoFolder);
  EXPECT_EQ(MessageColour(), kRed);
  EXPECT_EQ(Beeps(), 1);
  EXPECT_FALSE(f.btCUST->isEnabled());
  EXPECT_EQ(f.GDot->count(), 78);
  EXPECT_EQ(f.GDot->itemText(0).toStdString(), "原寸");
  EXPECT_EQ(f.GDot->itemText(77).toStdString(), "4096");
  EXPECT_EQ(f.SizeIndex(), -1);
  EXPECT_EQ(SizeText(), "");
  EXPECT_TRUE(f.RG1->isChecked());
  EXPECT_EQ(f.pos(), QPoint(100, 100));
  EXPECT_TRUE(f.StaysOnTop());
  EXPECT_EQ(f.windowTitle().toStdString(), app::kWindowCaption);
  EXPECT_EQ(std::string(app::kAppTitleAtStart), "画像一括サイズ変換 「Plendo」");  // no other system named
  EXPECT_EQ(f.size(), QSize(312, 213));
  EXPECT_EQ(f.btTERM->text().toStdString(), "終了");
  EXPECT_TRUE(f.btTERM->hasFocus() || f.focusWidget() == f.btTERM);
}

TEST_F(MainPanelTest, FirstStartDoubleClickSelectsNothing) {
  Open();
  DoubleClickSizeBox();
  EXPECT_EQ(SizeText(), "");
  EXPECT_EQ(Message(), app::kMsgNoSize);
  EXPECT_EQ(MessageColour(), kRed);
}

struct TypingCase {
  const char* keys;
  const char* text;
  const char* highlighted;
  bool listed;
};

void PrintTo(const TypingCase& c, std::ostream* os) { *os << c.keys; }

class SizeBoxTyping : public MainPanelTest, public ::testing::WithParamInterface<TypingCase> {};

TEST_P(SizeBoxTyping, CompletesFromTheItems) {
  app::TMFORM& f = OpenReady();
  const TypingCase& c = GetParam();
  Type(c.keys);
  EXPECT_EQ(SizeText(), c.text);
  EXPECT_EQ(Highlighted(), c.highlighted);
  EXPECT_EQ(f.SizeIndex() >= 0, c.listed);
  EXPECT_EQ(Message(), kReady);
  EXPECT_EQ(Beeps(), 0);
  EXPECT_TRUE(f.btCUST->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Sequences, SizeBoxTyping,
                         ::testing::Values(TypingCase{"3", "30", "0", true},
                                           TypingCase{"36", "36", "", true},
                                           TypingCase{"35", "35", "", false},
                                           TypingCase{"1", "100", "00", true},
                                           TypingCase{"12", "120", "0", true},
                                           TypingCase{"409", "4096", "6", true},
                                           TypingCase{"4096", "4096", "", true},
                                           TypingCase{"351", "351", "", false}), test::PrintedNameAndIndex());

TEST_F(MainPanelTest, BackspaceRemovesTheHighlightedPartThenCharacters) {
  OpenReady();
  Type("3");
  Press(Qt::Key_Backspace);
  EXPECT_EQ(SizeText(), "3");
  EXPECT_EQ(form->SizeIndex(), -1);
  Press(Qt::Key_Backspace);
  EXPECT_EQ(SizeText(), "");
  EXPECT_EQ(Message(), app::kMsgNoSize);
}

TEST_F(MainPanelTest, LettersAreRefusedWithABeepAndEnterDoesNothing) {
  OpenReady();
  Type("64");
  const std::string before = SizeText();
  Type("a");
  Type("-");
  EXPECT_EQ(SizeText(), before);
  EXPECT_EQ(Beeps(), 2);
  Press(Qt::Key_Return);
  Press(Qt::Key_Enter);
  EXPECT_EQ(SizeText(), before);
  EXPECT_EQ(Beeps(), 2);
  EXPECT_EQ(Message(), kReady);
}

TEST_F(MainPanelTest, ZeroClearsTheBoxInRed) {
  app::TMFORM& f = OpenReady();
  Type("0");
  EXPECT_EQ(SizeText(), "");
  EXPECT_EQ(Message(), app::kMsgNoSize);
  EXPECT_EQ(MessageColour(), kRed);
  EXPECT_EQ(Beeps(), 1);
  EXPECT_FALSE(f.btCUST->isEnabled());
}

TEST_F(MainPanelTest, PastedNegativeOrTextIsRefusedLikeZero) {
  OpenReady();
  for (const char* pasted : {"-640", "abc", "99999999999"}) {
    QGuiApplication::clipboard()->setText(QString::fromUtf8(pasted));
    form->GDot->lineEdit()->selectAll();
    form->GDot->lineEdit()->paste();
    EXPECT_EQ(SizeText(), "") << pasted;
    EXPECT_EQ(Message(), app::kMsgNoSize) << pasted;
  }
  QGuiApplication::clipboard()->setText("777");
  form->GDot->lineEdit()->paste();
  EXPECT_EQ(SizeText(), "777");
  EXPECT_EQ(form->SizeIndex(), -1);
  EXPECT_EQ(Message(), kReady);
}

TEST_F(MainPanelTest, SpaceAndDoubleClickToggleActualSize) {
  app::TMFORM& f = OpenReady();
  Type("640");
  ASSERT_EQ(SizeText(), "640");
  for (int round = 0; round < 2; ++round) {
    if (round == 0) Press(Qt::Key_Space); else DoubleClickSizeBox();
    EXPECT_EQ(SizeText(), "原寸");
    EXPECT_TRUE(f.IsActualSize());
    EXPECT_FALSE(f.RG1->isEnabled());
    EXPECT_FALSE(f.RG2->isEnabled());
    EXPECT_FALSE(f.RG3->isEnabled());
    if (round == 0) Press(Qt::Key_Space); else DoubleClickSizeBox();
    EXPECT_EQ(SizeText(), "640");
    EXPECT_TRUE(f.RG1->isEnabled());
    EXPECT_TRUE(f.RG3->isEnabled());
  }
  EXPECT_EQ(Beeps(), 0);
  EXPECT_EQ(Message(), kReady);
}

TEST_F(MainPanelTest, ValidSizeWithoutFolderEndsOnTheFolderMessage) {
  Open();
  Type("640");
  EXPECT_EQ(Message(), app::kMsgNoFolder);
  EXPECT_TRUE(form->btCUST->isEnabled());
}

struct LampRow {
  bool exif;
  int read, readLamp, write, writeLamp;
  friend void PrintTo(const LampRow& r, std::ostream* os) { *os << (r.exif ? "exif" : "no exif"); }
};

class LampRowTest : public MainPanelTest, public ::testing::WithParamInterface<LampRow> {};

TEST_P(LampRowTest, PositionsFollowExifCopy) {
  const LampRow r = GetParam();
  WriteEnv(std::string("[Option]\nExifCopy=") + (r.exif ? "1" : "0") + "\n");
  app::TMFORM& f = Open();
  EXPECT_EQ(f.LbRead->x(), r.read);
  EXPECT_EQ(f.RLED->x(), r.readLamp);
  EXPECT_EQ(f.LbWOut->x(), r.write);
  EXPECT_EQ(f.WLED->x(), r.writeLamp);
  EXPECT_EQ(f.RLED->y(), 19);
  EXPECT_EQ(f.LbRead->y(), 22);
  EXPECT_EQ(f.RLED->size(), QSize(22, 13));
  EXPECT_EQ(f.ELED->isVisibleTo(&f), r.exif);
  EXPECT_EQ(f.LbExif->isVisibleTo(&f), r.exif);
  if (r.exif) {
    EXPECT_EQ(f.LbExif->x(), 45);
    EXPECT_EQ(f.ELED->x(), 52);
  }
  EXPECT_EQ(f.ELED->Color(), QColor(255, 255, 0));
  EXPECT_EQ(f.WLED->Color(), QColor(255, 0, 0));
  EXPECT_EQ(f.RLED->Color(), QColor(0, 255, 0));
}

INSTANTIATE_TEST_SUITE_P(ExifCopy, LampRowTest,
                         ::testing::Values(LampRow{true, 9, 17, 79, 88},
                                           LampRow{false, 17, 28, 67, 81}), test::PrintedNameAndIndex());

TEST_F(MainPanelTest, ButtonsDuringABatchWithoutXQTDisp) {
  app::TMFORM& f = OpenReady();
  Type("640");
  f.ChangeButtonsEnabled(false);
  EXPECT_FALSE(f.btWOUT->isEnabled());
  EXPECT_FALSE(f.btCUST->isEnabled());
  EXPECT_FALSE(f.GSizeBox->isEnabled());
  EXPECT_TRUE(f.btTERM->isEnabled());
  EXPECT_EQ(f.GSizeBox->palette().color(QPalette::WindowText), kGray);
  f.ChangeButtonsEnabled(true);
  EXPECT_TRUE(f.btWOUT->isEnabled());
  EXPECT_TRUE(f.btCUST->isEnabled());
  EXPECT_TRUE(f.GSizeBox->isEnabled());
  EXPECT_NE(f.GSizeBox->palette().color(QPalette::WindowText), kGray);
}

TEST_F(MainPanelTest, SideButtonsStillLookGrayedInActualSizeAfterABatch) {
  app::TMFORM& f = OpenReady();
  Type("640");
  Press(Qt::Key_Space);
  ASSERT_FALSE(f.RG1->isEnabled());
  const QColor grayed = f.RG1->palette().color(QPalette::Disabled, QPalette::WindowText);
  f.ChangeButtonsEnabled(false);
  f.ChangeButtonsEnabled(true);
  for (QRadioButton* rg : {f.RG1, f.RG2, f.RG3})
    EXPECT_EQ(rg->palette().color(QPalette::Disabled, QPalette::WindowText), grayed);
}

TEST_F(MainPanelTest, ButtonsDuringABatchWithXQTDispKeepTheirLook) {
  app::TMFORM& f = OpenReady("[Option]\nXQTDisp=1\n");
  Type("640");
  f.show();
  QSignalSpy folderClicks(f.btWOUT, &QPushButton::clicked);
  QSignalSpy settingsClicks(f.btCUST, &QPushButton::clicked);
  f.ChangeButtonsEnabled(false);
  EXPECT_TRUE(f.btWOUT->isEnabled());  // not grayed
  EXPECT_TRUE(f.btCUST->isEnabled());
  EXPECT_TRUE(f.GSizeBox->isEnabled());  // the side buttons are not grayed either
  EXPECT_TRUE(f.RG2->isEnabled());
  EXPECT_TRUE(f.btTERM->isEnabled());
  QTest::mouseClick(f.btWOUT, Qt::LeftButton);
  QTest::mouseClick(f.btCUST, Qt::LeftButton);
  QTest::keyClick(f.btWOUT, Qt::Key_Space);
  QTest::mouseClick(f.RG2, Qt::LeftButton);
  QTest::keyClick(f.GDot->lineEdit(), Qt::Key_1);
  EXPECT_EQ(folderClicks.count(), 0);
  EXPECT_EQ(settingsClicks.count(), 0);
  EXPECT_TRUE(f.RG1->isChecked());
  EXPECT_EQ(SizeText(), "640");
  f.ChangeButtonsEnabled(true);
  EXPECT_TRUE(f.GSizeBox->isEnabled());
  // The click opens the settings panel modally; close it at once.
  QTimer::singleShot(0, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  QTest::mouseClick(f.btCUST, Qt::LeftButton);
  EXPECT_EQ(settingsClicks.count(), 1);
}

struct OpacityCase {
  int type;
  double active, inactive;
  friend void PrintTo(const OpacityCase& c, std::ostream* os) { *os << "type " << c.type; }
};

class TransparencyTest : public MainPanelTest, public ::testing::WithParamInterface<OpacityCase> {};

TEST_P(TransparencyTest, OpacityFollowsActivation) {
  const OpacityCase c = GetParam();
  WriteEnv("[Option]\nAlphaBlendType=" + std::to_string(c.type) + "\nAlphaBlendValue=180\n");
  app::TMFORM& f = Open();
  f.AppDeactivate();
  EXPECT_NEAR(f.windowOpacity(), c.inactive, 0.005);
  f.AppActivate();
  EXPECT_NEAR(f.windowOpacity(), c.active, 0.005);
}

INSTANTIATE_TEST_SUITE_P(Modes, TransparencyTest,
                         ::testing::Values(OpacityCase{0, 1.0, 1.0},
                                           OpacityCase{1, 1.0, 180 / 255.0},
                                           OpacityCase{2, 180 / 255.0, 180 / 255.0}), test::PrintedNameAndIndex());

TEST_F(MainPanelTest, OpacityUsesTheLowByteButNeverVanishes) {
  WriteEnv("[Option]\nAlphaBlendType=2\nAlphaBlendValue=356\n");  // low byte 100
  app::TMFORM& f = Open();
  f.AppActivate();
  EXPECT_NEAR(f.windowOpacity(), 100 / 255.0, 0.005);
  f.Settings().AlphaBlendValue = 256;  // low byte 0
  f.AppActivate();
  EXPECT_NEAR(f.windowOpacity(), 50 / 255.0, 0.005);
}

TEST_F(MainPanelTest, SettingsSurviveARestart) {
  app::TMFORM& f = OpenReady("[Option]\nPanelStyle=0\n[Secret]\nCompress=90\n");
  EXPECT_FALSE(f.StaysOnTop());
  EXPECT_EQ(f.Settings().Compress, 90);
  Type("800");
  Press(Qt::Key_Space);  // remembers 800, shows 原寸
  f.RG3->setChecked(true);
  f.move(40, 60);
  Close();

  app::TMFORM& g = Open();
  EXPECT_EQ(SizeText(), "原寸");
  EXPECT_TRUE(g.RG3->isChecked());
  EXPECT_EQ(g.pos(), QPoint(40, 60));
  EXPECT_FALSE(g.StaysOnTop());
  EXPECT_EQ(g.Settings().Compress, 90);
  Press(Qt::Key_Space);
  EXPECT_EQ(SizeText(), "800");
  Close();

  const auto s = settings::ReadStartSettings(EnvPath());
  EXPECT_EQ(s.panel.WOPath, dir.Path().string());
}

TEST_F(MainPanelTest, TypedSizeOutsideTheListIsNotRestored) {
  OpenReady();
  Type("35");
  Close();
  Open();
  EXPECT_EQ(SizeText(), "");
  EXPECT_EQ(Message(), app::kMsgNoSize);
}

TEST_F(MainPanelTest, EndButtonClosesThePanelWhenIdle) {
  app::TMFORM& f = OpenReady();
  f.show();
  ASSERT_TRUE(f.isVisible());
  QTest::mouseClick(f.btTERM, Qt::LeftButton);
  EXPECT_FALSE(f.isVisible());
}

TEST_F(MainPanelTest, ClosingWithTheFocusInTheSizeBoxEndsCleanly) {
  app::TMFORM& f = OpenReady();
  f.show();
  f.activateWindow();
  f.GDot->lineEdit()->setFocus();
  QGuiApplication::clipboard()->setText("640");
  f.GDot->lineEdit()->paste();  // a typed text that matches an item
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  Close();  // the focus leaving the box must not reach the panel being destroyed
}

}  // namespace
}  // namespace plendo::test
