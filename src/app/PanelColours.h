#pragma once
// Colours set on single widgets of the panels. Each sets one palette role for
// every state, so a colour chosen for a disabled widget is the one it shows.
#include <QColor>
#include <QPalette>
#include <QWidget>

namespace plendo::app {

// Captions, labels and group-box titles.
inline void SetTextColour(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, colour);
  w->setPalette(p);
}

// The text typed into an edit line, and its frame's caption colour with it.
inline void SetEditTextColour(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, colour);
  p.setColor(QPalette::Text, colour);
  w->setPalette(p);
}

// A filled background; the widget paints it itself.
inline void SetBackground(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, colour);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

}  // namespace plendo::app
