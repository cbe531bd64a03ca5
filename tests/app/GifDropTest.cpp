// A GIF dropped on the real panel shows in its preview: placed in proportion,
// its transparent pixels letting the monitor background through.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "PanelFixture.h"
#include "app/PreviewWidget.h"
#include "support/TestImages.h"

namespace plendo::test {
namespace {

const auto* const kQt = ::testing::AddGlobalTestEnvironment(new QtTestApp);

const QColor kMonitor(255, 255, 200);

class GifDropTest : public PanelFixture {
 protected:
  // Drops `path` on the panel the way a file manager does and waits for the
  // batch to end.
  void Drop(const std::filesystem::path& path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path.string()))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &drop);
    WaitForBatch();
  }
};

TEST_F(GifDropTest, DroppedGifShowsInThePreview) {
  std::filesystem::create_directory(dir / "out");
  WriteEnv("[Status]\nWOPath=" + (dir / "out").string() + "\n");
  Open();
  Type("100");
  form->show();
  // 200 x 100: red on the left, clear on the right. The panel places it
  // 173 x 86 at (0, 39).
  Bitmap picture = MakeFlat(200, 100, {220, 30, 30, 255}, platform::PixelFormat::Bgra32);
  for (int y = 0; y < 100; ++y)
    for (int x = 100; x < 200; ++x) picture.Row(y)[4 * x + 3] = 0;
  WriteFile(dir / "mark.gif", WriteGif(picture));

  QtTestApp::beeps = 0;
  Drop(dir / "mark.gif");
  ASSERT_TRUE(std::filesystem::exists(dir / "out" / "mark_w100.jpg"));
  ASSERT_FALSE(form->IMG->Picture().Empty());
  const QImage shot = form->IMG->grab().toImage();
  EXPECT_EQ(shot.pixelColor(40, 80), QColor(220, 30, 30));
  EXPECT_EQ(shot.pixelColor(130, 80), kMonitor);  // transparent
  EXPECT_EQ(shot.pixelColor(86, 20), kMonitor);   // above the picture
  EXPECT_EQ(shot.pixelColor(40, 39), QColor(220, 30, 30));
  EXPECT_EQ(shot.pixelColor(40, 38), kMonitor);
  EXPECT_EQ(Beeps(), 1);  // the batch's end only, no failed preview
}

}  // namespace
}  // namespace plendo::test
