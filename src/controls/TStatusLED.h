#pragma once
// A status lamp: lit in its own colour while its status is on, gray when off.
// The engine switches lamps while it keeps the UI thread busy with a file, so
// every real change repaints at once instead of waiting for the next cycle.
#include <QColor>
#include <QWidget>

namespace plendo::controls {

class TStatusLED : public QWidget {
  Q_OBJECT
 public:
  explicit TStatusLED(QWidget* parent = nullptr);

  bool Status() const { return status_; }
  void SetStatus(bool on);
  QColor Color() const { return color_; }
  void SetColor(const QColor& color);
  void LightOn() { SetStatus(true); }
  void LightOff() { SetStatus(false); }

  QSize sizeHint() const override { return {24, 13}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool status_ = false;
  QColor color_{0, 255, 0};  // lime
};

}  // namespace plendo::controls
