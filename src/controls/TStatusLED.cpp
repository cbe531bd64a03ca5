#include "controls/TStatusLED.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <QPolygon>

#include "controls/LampShape.h"

namespace plendo::controls {
namespace {

template <std::size_t N>
QPolygon ToPolygon(const std::array<LampPoint, N>& points) {
  QPolygon polygon;
  for (const LampPoint& p : points) polygon << QPoint(p.x, p.y);
  return polygon;
}

// An open line whose last point is left out, as the lamp's lines are drawn.
template <std::size_t N>
void DrawOpenLine(QPainter& painter, const std::array<LampPoint, N>& points) {
  for (std::size_t i = 0; i + 1 < N; ++i) {
    const QPoint a(points[i].x, points[i].y);
    const QPoint b(points[i + 1].x, points[i + 1].y);
    if (a == b) continue;
    // Stop one pixel short of b along the dominant direction.
    const int dx = b.x() - a.x(), dy = b.y() - a.y();
    const int steps = std::max(std::abs(dx), std::abs(dy));
    const QPoint end(a.x() + dx * (steps - 1) / steps, a.y() + dy * (steps - 1) / steps);
    painter.drawLine(a, end);
  }
}

}  // namespace

TStatusLED::TStatusLED(QWidget* parent) : QWidget(parent) {
  resize(24, 13);
  // No background of its own: the parent shows around the shape.
  setAttribute(Qt::WA_TranslucentBackground);
  setAutoFillBackground(false);
}

void TStatusLED::SetStatus(bool on) {
  if (on == status_) return;
  status_ = on;
  repaint();
}

void TStatusLED::SetColor(const QColor& color) {
  if (color == color_) return;
  color_ = color;
  repaint();
}

void TStatusLED::paintEvent(QPaintEvent*) {
  const LampShape shape = LampShapeFor(width(), height());
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, false);
  const QColor gray(128, 128, 128);

  painter.setPen(QPen(Qt::black, 0));
  painter.setBrush(status_ ? color_ : gray);
  painter.drawPolygon(ToPolygon(shape.body));

  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(255, 255, 255), 0));
  DrawOpenLine(painter, shape.highlight);
  painter.setPen(QPen(gray, 0));
  DrawOpenLine(painter, shape.upperShade);
  DrawOpenLine(painter, shape.lowerShade);
  painter.setPen(QPen(QColor(192, 192, 192), 0));
  DrawOpenLine(painter, shape.glint);
}

}  // namespace plendo::controls
