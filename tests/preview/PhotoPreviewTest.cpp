// HEIF, AVIF, WebP and JPEG XL files in the panel's preview: found by their
// extension, decoded by the conversion's own readers (by content, so a
// misnamed file still shows) and drawn on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/PreviewWidget.h"
#include "preview/PhotoImage.h"
#include "preview/Picture.h"
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

// The picture is fitted and centred, so the middle of the widget shows the
// middle of the picture.
TEST(PhotoPreview, ShowsWhatItsReaderDecodes) {
  App();
  const std::pair<const char*, const char*> files[] = {
      {"heic_colour.heic", "phone.heic"}, {"heic_colour.heic", "phone.heif"}, {"avif_colour.avif", "web.avif"},
      {"webp_lossy.webp", "web.webp"},    {"webp_anim.webp", "moving.webp"},  {"jxl_lossy.jxl", "new.jxl"},
      {"webp_lossy.webp", "misnamed.heic"}};
  test::TempDir dir;
  for (const auto& [photo, name] : files) {
    test::WriteBytes(dir / name, test::ReadPhoto(photo));
    PreviewWidget widget;
    widget.resize(173, 164);
    widget.LoadFromFile(dir / name);
    const QColor shown = widget.grab().toImage().pixelColor(86, 82);

    const auto graphic = preview::LoadGraphic(dir / name);
    const auto* decoded = dynamic_cast<const preview::TPhotoImage*>(graphic.get());
    ASSERT_NE(decoded, nullptr) << name;
    const platform::Bitmap& pixels = decoded->Pixels();
    const platform::Rgba middle = pixels.PixelAt(pixels.Width() / 2, pixels.Height() / 2);
    EXPECT_NEAR(shown.red(), middle.r, 16) << name;
    EXPECT_NEAR(shown.green(), middle.g, 16) << name;
    EXPECT_NEAR(shown.blue(), middle.b, 16) << name;
  }
}

}  // namespace
}  // namespace plendo::app
