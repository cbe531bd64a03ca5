#pragma once
// Calls `action` whenever the read lamp lights: the engine starts a file.
// The action runs inside the batch, as a user's click between files would.
#include <QEvent>
#include <QObject>
#include <functional>

#include "controls/TStatusLED.h"

namespace plendo::test {

class ReadLampWatch : public QObject {
 public:
  ReadLampWatch(controls::TStatusLED* lamp, std::function<void(int)> action)
      : lamp_(lamp), action_(std::move(action)) {
    lamp_->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint && lamp_->Status() && !wasOn_) action_(++starts_);
    if (e->type() == QEvent::Paint) wasOn_ = lamp_->Status();
    return false;
  }

 private:
  controls::TStatusLED* lamp_;
  std::function<void(int)> action_;
  int starts_ = 0;
  bool wasOn_ = false;
};

}  // namespace plendo::test
