#include "controls/TNumEdit.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QVBoxLayout>

#include "controls/NumEditRules.h"
#include "support/QtTestApp.h"
#include "support/TestNames.h"

namespace plendo::controls {
namespace {

const auto* const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new test::QtTestApp);

struct KeyCase {
  char32_t ch;
  const char* text;
  int caret;
  NumEditKey expected;
};

void PrintTo(const KeyCase& c, std::ostream* os) {
  *os << "U+" << static_cast<unsigned>(c.ch) << " into '" << c.text << "' at " << c.caret;
}

class NumEditKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(NumEditKeyTest, Classifies) {
  const KeyCase& c = GetParam();
  EXPECT_EQ(ClassifyNumEditKey(c.ch, c.text, c.caret), c.expected)
      << "char " << static_cast<unsigned>(c.ch) << " into '" << c.text << "' at " << c.caret;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, NumEditKeyTest,
    ::testing::Values(KeyCase{U'0', "", 0, NumEditKey::Pass},
                      KeyCase{U'9', "12", 2, NumEditKey::Pass},
                      KeyCase{U'a', "12", 2, NumEditKey::Refuse},
                      KeyCase{U' ', "", 0, NumEditKey::Refuse},
                      KeyCase{U'０', "", 0, NumEditKey::Refuse},  // full-width digit
                      KeyCase{U'-', "12", 0, NumEditKey::Pass},
                      KeyCase{U'-', "12", 1, NumEditKey::Refuse},
                      KeyCase{U'+', "", 0, NumEditKey::Pass},
                      KeyCase{U'+', "1", 1, NumEditKey::Refuse},
                      KeyCase{U'.', "12", 2, NumEditKey::Pass},
                      KeyCase{U'.', "1.2", 3, NumEditKey::Refuse},
                      KeyCase{U'.', "ここに数値入力", 0, NumEditKey::Pass},
                      KeyCase{8, "12", 2, NumEditKey::Pass},    // Backspace
                      KeyCase{22, "12", 2, NumEditKey::Pass},   // Ctrl+V
                      KeyCase{31, "", 0, NumEditKey::Pass},
                      KeyCase{13, "12", 2, NumEditKey::NextControl},
                      KeyCase{127, "12", 2, NumEditKey::Refuse}), test::PrintedNameAndIndex());

class NumEditWidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto* layout = new QVBoxLayout(&window);
    before = new QLineEdit(&window);
    edit = new TNumEdit(&window);
    after = new QLineEdit(&window);
    layout->addWidget(before);
    layout->addWidget(edit);
    layout->addWidget(after);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    test::QtTestApp::beeps = 0;
  }

  QWidget window;
  QLineEdit* before = nullptr;
  TNumEdit* edit = nullptr;
  QLineEdit* after = nullptr;
};

TEST_F(NumEditWidgetTest, RefusedCharactersBeepAndStayOut) {
  QTest::keyClicks(edit, "12a");
  EXPECT_EQ(edit->text(), "12");
  EXPECT_EQ(test::QtTestApp::beeps, 1);

  edit->setCursorPosition(2);
  QTest::keyClick(edit, '-');
  EXPECT_EQ(edit->text(), "12");
  edit->setCursorPosition(0);
  QTest::keyClick(edit, '-');
  EXPECT_EQ(edit->text(), "-12");
  edit->end(false);
  QTest::keyClicks(edit, "..5");
  EXPECT_EQ(edit->text(), "-12.5");
  EXPECT_EQ(test::QtTestApp::beeps, 3);
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), "-12.");
}

TEST_F(NumEditWidgetTest, EnterMovesFocusOnWithoutChangingText) {
  QTest::keyClicks(edit, "42");
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(edit->text(), "42");
  EXPECT_TRUE(after->hasFocus());
  EXPECT_EQ(test::QtTestApp::beeps, 0);
}

TEST_F(NumEditWidgetTest, FocusSelectsAllSoTypingReplacesTheHint) {
  edit->setText(QStringLiteral("ここに数値入力"));
  before->setFocus();
  QTest::keyClick(before, Qt::Key_Tab);
  ASSERT_TRUE(edit->hasFocus());
  EXPECT_EQ(edit->selectedText(), edit->text());
  QTest::keyClick(edit, '7');
  EXPECT_EQ(edit->text(), "7");

  edit->SetAutoSelect(false);
  edit->setText("55");
  before->setFocus();
  QTest::keyClick(before, Qt::Key_Tab);
  EXPECT_FALSE(edit->hasSelectedText());
}

}  // namespace
}  // namespace plendo::controls
