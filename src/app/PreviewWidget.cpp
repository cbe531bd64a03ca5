#include "app/PreviewWidget.h"

#include <exception>
#include <mutex>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QTimer>

#include "platform/Canvas.h"
#include "preview/HandOver.h"
#include "preview/ImageControl.h"

namespace plendo::app {
namespace {

// The canvas is blue, green, red, 0xFF in memory; QImage reads RGB32 as one
// 0xffRRGGBB word, which is the same bytes on a little-endian machine.
QImage ToImage(const platform::Canvas& canvas) {
  const platform::Bitmap& pixels = canvas.Pixels();
  const QImage view(pixels.Row(0), pixels.Width(), pixels.Height(),
                    static_cast<qsizetype>(pixels.Stride()),
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
                    QImage::Format_RGB32);
  return view;
#else
                    QImage::Format_RGBA8888);
  return view.rgbSwapped();
#endif
}

// A GIF painter hands its paints to this thread: each post queues an event
// that serves them when the event loop comes round.
void ServeHandOversFromEventLoop() {
  static std::once_flag once;
  std::call_once(once, [] {
    preview::MainHandOver().SetWaker([] {
      if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, [] { preview::MainHandOver().ServePending(); }, Qt::QueuedConnection);
    });
  });
}

}  // namespace

PreviewWidget::PreviewWidget(QWidget* parent) : QWidget(parent) {
  ServeHandOversFromEventLoop();
  picture_.SetOnChange([this] { update(); });
  reporter_ = [this](const QString& message) {
    QMessageBox::critical(window(), QGuiApplication::applicationDisplayName(), message);
  };
}

void PreviewWidget::LoadFromFile(const std::filesystem::path& path) {
  picture_.LoadFromFile(path);  // throws before anything changes
  paint_failed_ = false;
  update();
}

void PreviewWidget::ShowGraphic(std::unique_ptr<preview::TGraphic> graphic) {
  picture_.SetGraphic(std::move(graphic));
  paint_failed_ = false;
  update();
}

void PreviewWidget::Clear() {
  picture_.Clear();
  paint_failed_ = false;
  update();
}

void PreviewWidget::paintEvent(QPaintEvent*) {
  if (picture_.Empty() || width() <= 0 || height() <= 0) return;
  platform::Canvas canvas;
  try {
    canvas = platform::Canvas(width(), height());
    if (paint_failed_)
      canvas.Fill(canvas.ClientRect(), preview::kMonitorBackground);
    else
      preview::PaintImage(picture_, canvas);
  } catch (const std::exception& error) {
    paint_failed_ = true;
    ReportLater(QString::fromUtf8(error.what()));
    if (canvas.Width() != width()) return;
    canvas.Fill(canvas.ClientRect(), preview::kMonitorBackground);
  }
  QPainter(this).drawImage(0, 0, ToImage(canvas));
}

// Never from inside the paint: a modal box there would nest event loops in
// the middle of painting.
void PreviewWidget::ReportLater(const QString& message) {
  QTimer::singleShot(0, this, [this, message] {
    if (reporter_) reporter_(message);
  });
}

}  // namespace plendo::app
