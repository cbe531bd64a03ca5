// The panel's preview picture on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>

#include "app/PreviewWidget.h"
#include "preview/ImageControl.h"
#include "preview/JpegSamples.h"
#include "support/TempDir.h"

namespace plendo::app {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "preview_widget_test";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

const QColor kBackground(255, 255, 200);
const QColor kMessBack(10, 20, 30);

bool Near(QColor a, QColor b, int tolerance = 10) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance;
}

// The monitor panel in small: a label standing for Mess, the preview over it.
class PreviewWidgetTest : public testing::Test {
 protected:
  PreviewWidgetTest() {
    monitor_.resize(175, 166);
    mess_ = new QLabel(&monitor_);
    mess_->setGeometry(1, 1, 173, 164);
    mess_->setAutoFillBackground(true);
    QPalette palette = mess_->palette();
    palette.setColor(QPalette::Window, kMessBack);
    mess_->setPalette(palette);
    img_ = new PreviewWidget(&monitor_);
    img_->setGeometry(1, 1, 173, 164);
    img_->SetErrorReporter([this](const QString& message) { reports_.push_back(message); });
    test::WriteFile(dir_ / "photo.jpg", test::SolidJpeg(400, 300, {230, 20, 20, 255}));
  }

  // What the picture's area shows, as the screen would.
  QImage Shot() {
    QImage shot = monitor_.grab(QRect(1, 1, 173, 164)).toImage();
    QCoreApplication::processEvents();  // let a pending error report run
    return shot;
  }

  test::TempDir dir_;
  QApplication& app_ = App();  // before any widget
  QWidget monitor_;
  QLabel* mess_;
  PreviewWidget* img_;
  std::vector<QString> reports_;
};

TEST_F(PreviewWidgetTest, ShowsALoadedJpegPlacedOverTheMonitorBackground) {
  img_->LoadFromFile(dir_ / "photo.jpg");
  const QImage shot = Shot();
  // 400 x 300 takes 173 x 129 at (0, 17).
  EXPECT_EQ(shot.pixelColor(86, 16), kBackground);
  EXPECT_TRUE(Near(shot.pixelColor(86, 17), QColor(230, 20, 20)));
  EXPECT_TRUE(Near(shot.pixelColor(0, 80), QColor(230, 20, 20)));
  EXPECT_TRUE(Near(shot.pixelColor(172, 145), QColor(230, 20, 20)));
  EXPECT_EQ(shot.pixelColor(86, 146), kBackground);
  EXPECT_TRUE(reports_.empty());
}

TEST_F(PreviewWidgetTest, EmptyPictureLetsTheMessageShow) {
  EXPECT_EQ(Shot().pixelColor(86, 5), kMessBack);
  img_->LoadFromFile(dir_ / "photo.jpg");
  EXPECT_EQ(Shot().pixelColor(86, 5), kBackground);
  img_->Clear();
  EXPECT_EQ(Shot().pixelColor(86, 5), kMessBack);
}

TEST_F(PreviewWidgetTest, FailedLoadKeepsShowingThePreviousPicture) {
  img_->LoadFromFile(dir_ / "photo.jpg");
  EXPECT_THROW(img_->LoadFromFile(dir_ / "scan.tif"), Exception);
  EXPECT_THROW(img_->LoadFromFile(dir_ / "missing.jpg"), Exception);
  EXPECT_TRUE(Near(Shot().pixelColor(86, 80), QColor(230, 20, 20)));
}

TEST_F(PreviewWidgetTest, PaintErrorIsReportedOnceAfterThePaint) {
  auto huge = test::SolidJpeg(16, 16, {0, 0, 0, 255});
  test::PatchJpegSize(huge, 60000, 60000);  // header loads; decoding cannot
  test::WriteFile(dir_ / "huge.jpg", huge);
  img_->LoadFromFile(dir_ / "huge.jpg");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Shot().pixelColor(86, 80), kBackground);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_FALSE(reports_[0].isEmpty());

  img_->LoadFromFile(dir_ / "photo.jpg");
  EXPECT_TRUE(Near(Shot().pixelColor(86, 80), QColor(230, 20, 20)));
  img_->LoadFromFile(dir_ / "huge.jpg");
  Shot();
  Shot();
  EXPECT_EQ(reports_.size(), 2u);
}

}  // namespace
}  // namespace plendo::app
