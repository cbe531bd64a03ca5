// HEIF, AVIF, WebP and JPEG XL files in the panel's preview, found by their
// extension, decoded by the conversion's own readers and drawn on the
// offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

#include <algorithm>

#include "app/PreviewWidget.h"
#include "preview/Picture.h"
#include "preview/PhotoImage.h"
#include "support/PhotoFiles.h"
#include "support/TempDir.h"

namespace plendo::app {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "photo_preview_test";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

struct Shown {
  const char* photo;
  const char* name;  // what the file is called when dropped
};

class PhotoPreview : public testing::TestWithParam<Shown> {
 protected:
  PhotoPreview() { widget_.resize(173, 164); }

  test::TempDir dir_;
  QApplication& app_ = App();  // before any widget
  PreviewWidget widget_;
};

// The picture is fitted and centred, so the middle of the widget shows the
// middle of the picture.
TEST_P(PhotoPreview, ShowsWhatItsReaderDecodes) {
  const auto path = dir_ / GetParam().name;
  test::WriteBytes(path, test::ReadPhoto(GetParam().photo));
  widget_.LoadFromFile(path);
  const QColor shown = widget_.grab().toImage().pixelColor(86, 82);

  const auto graphic = preview::LoadGraphic(path);
  const auto* photo = dynamic_cast<const preview::TPhotoImage*>(graphic.get());
  ASSERT_NE(photo, nullptr);
  const platform::Bitmap& pixels = photo->Pixels();
  const platform::Rgba middle = pixels.PixelAt(pixels.Width() / 2, pixels.Height() / 2);
  EXPECT_NEAR(shown.red(), middle.r, 16);
  EXPECT_NEAR(shown.green(), middle.g, 16);
  EXPECT_NEAR(shown.blue(), middle.b, 16);
}

INSTANTIATE_TEST_SUITE_P(Files, PhotoPreview,
                         testing::Values(Shown{"heic_colour.heic", "phone.heic"}, Shown{"heic_colour.heic", "PHONE.HEIF"},
                                         Shown{"avif_colour.avif", "web.avif"}, Shown{"webp_lossy.webp", "web.webp"},
                                         Shown{"webp_anim.webp", "moving.webp"}, Shown{"jxl_lossy.jxl", "new.jxl"},
                                         Shown{"webp_lossy.webp", "misnamed.heic"}),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           std::replace(name.begin(), name.end(), '.', '_');
                           return name;
                         });

TEST(PhotoPreviewErrors, DamagedOrForeignFilesRaise) {
  App();
  test::TempDir dir;
  PreviewWidget widget;
  test::WriteBytes(dir / "good.webp", test::ReadPhoto("webp_lossy.webp"));
  test::Bytes cut = test::ReadPhoto("heic_colour.heic");
  cut.resize(cut.size() / 2);
  test::WriteBytes(dir / "cut.heic", cut);
  test::WriteBytes(dir / "text.jxl", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'});

  widget.LoadFromFile(dir / "good.webp");
  EXPECT_THROW(widget.LoadFromFile(dir / "cut.heic"), Exception);
  EXPECT_THROW(widget.LoadFromFile(dir / "text.jxl"), Exception);
}

}  // namespace
}  // namespace plendo::app
