#pragma once
// A main panel on the offscreen platform with its settings file in a fresh
// folder, a scripted folder dialog and a beep counter.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "support/QtTestApp.h"
#include "app/TMFORM.h"
#include "support/TempDir.h"

namespace plendo::test {

class PanelFixture : public ::testing::Test {
 protected:
  void SetUp() override { QtTestApp::beeps = 0; }
  void TearDown() override { form.reset(); }

  std::filesystem::path EnvPath() const { return dir / "plendo.ENV"; }
  void WriteEnv(const std::string& text) { std::ofstream(EnvPath(), std::ios::binary) << text; }

  // Creates the panel; counts beeps from here on.
  app::TMFORM& Open() {
    form = std::make_unique<app::TMFORM>(
        settings::SettingsLocation{EnvPath(), EnvPath(), false});
    form->SetFolderBrowser([this](const std::string& prompt, const std::string& initial,
                                  std::string& chosen, int x, int y) {
      browsed = Browse{prompt, initial, x, y};
      if (!nextChoice) return false;
      chosen = *nextChoice;
      return true;
    });
    return *form;
  }
  void Close() { form.reset(); }

  std::string Message() const { return form->Mess->text().toStdString(); }
  QColor MessageColour() const { return form->Mess->palette().color(QPalette::WindowText); }
  std::string SizeText() const { return form->GDot->currentText().toStdString(); }
  std::string Highlighted() const { return form->GDot->lineEdit()->selectedText().toStdString(); }
  std::string FolderCaption() const { return form->btWOUT->text().toStdString(); }
  int Beeps() const { return QtTestApp::beeps; }

  void Type(const char* keys) {
    for (const char* k = keys; *k; ++k) QTest::keyClick(form->GDot, *k);
  }
  void Press(Qt::Key key) { QTest::keyClick(form->GDot, key); }
  void DoubleClickSizeBox() { QTest::mouseDClick(form->GDot->lineEdit(), Qt::LeftButton); }
  // Lets a queued batch start, run on its thread and end.
  void WaitForBatch() {
    EXPECT_TRUE(QTest::qWaitFor([this] { return form->AcceptsDrops(); }, 60000)) << "the batch did not end";
  }

  struct Browse {
    std::string prompt, initial;
    int x = 0, y = 0;
  };

  TempDir dir;
  std::unique_ptr<app::TMFORM> form;
  std::optional<std::string> nextChoice;  // what the folder dialog returns; none: cancel
  std::optional<Browse> browsed;
};

inline const QColor kRed(255, 0, 0);
inline const QColor kGray(128, 128, 128);
inline const std::string kReady = "ここに画像ファイルを\nドラッグ＆ドロップ";

}  // namespace plendo::test
