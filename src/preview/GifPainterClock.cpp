#include "preview/GifPainterClock.h"

namespace plendo::preview {

void AutoResetEvent::Set() {
  {
    std::lock_guard lock(mutex_);
    set_ = true;
  }
  cv_.notify_all();
}

bool AutoResetEvent::WaitUntil(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lock(mutex_);
  cv_.wait_until(lock, deadline, [&] { return set_; });
  return Consume();
}

void AutoResetEvent::Poke() {
  { std::lock_guard lock(mutex_); }
  cv_.notify_all();
}

namespace {

class SteadyClock final : public AnimationClock {
 public:
  TimePoint Now() const override { return std::chrono::steady_clock::now(); }
  bool WaitOn(AutoResetEvent& event, std::optional<TimePoint> deadline) override {
    return deadline ? event.WaitUntil(*deadline) : event.Wait([] { return false; });
  }
};

}  // namespace

AnimationClock& SteadyAnimationClock() {
  static SteadyClock clock;
  return clock;
}

}  // namespace plendo::preview
