// An animated GIF on the panel's picture: the painter's paints reach the
// widget through the event loop, and clearing the picture ends the painter.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include "app/PreviewWidget.h"
#include "preview/GifBuilder.h"
#include "preview/GifImage.h"
#include "preview/GifPainterTestClock.h"
#include "preview/HandOver.h"

namespace plendo::app {
namespace {

using namespace plendo::test;
using platform::Rgba;

QApplication& App() {
  static int argc = 1;
  static char name[] = "gif_painter_widget_test";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

TEST(GifPainterWidget, PlaysThroughTheEventLoopUntilCleared) {
  App();
  const std::vector<Rgba> colours = {{255, 0, 0}, {0, 0, 255}};
  const std::string loop = "NETSCAPE2.0";  // forever
  const Bytes bytes = Join({GifHeader(2, 2, colours), {0x21, 0xFF, 11}, Bytes(loop.begin(), loop.end()),
                            {3, 1, 0, 0, 0}, GraphicControl(-1, 1, 10), Image(2, 2, {0, 0, 0, 0}),
                            GraphicControl(-1, 1, 10), Image(2, 2, {1, 1, 1, 1}), kTrailer});
  preview::ManualClock clock;
  auto gif = std::make_unique<preview::TGIFImage>();
  gif->SetAnimationServices(preview::MainHandOver(), clock);
  gif->LoadFromBytes(bytes);
  preview::TGIFImage* shown = gif.get();

  PreviewWidget widget;
  widget.resize(173, 164);
  widget.ShowGraphic(std::move(gif));
  EXPECT_EQ(widget.grab().toImage().pixelColor(86, 82), QColor(255, 0, 0));

  // The next frame is due; its paint comes as an event and repaints.
  clock.Advance(clock.NextSleep());
  while (widget.grab().toImage().pixelColor(86, 82) != QColor(0, 0, 255))
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  EXPECT_TRUE(shown->Animating());

  widget.Clear();
  EXPECT_FALSE(clock.Sleeping());
}

}  // namespace
}  // namespace plendo::app
