#pragma once
// A clock for painter tests that moves only when the test says.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "preview/GifPainterClock.h"

namespace plendo::preview {

inline constexpr std::chrono::seconds kPatience{10};  // only a broken painter makes a test wait this long

// Time moves only in Advance; WaitOn returns when time reaches the deadline
// or the event is set.
class ManualClock final : public AnimationClock {
 public:
  TimePoint Now() const override { return TimePoint(std::chrono::milliseconds(now_.load())); }
  bool WaitOn(AutoResetEvent& event, std::optional<TimePoint> deadline) override {
    {
      std::lock_guard lock(mutex_);
      sleeper_ = &event;
      deadline_ = deadline;
      ++sleeps_;
    }
    changed_.notify_all();
    const bool woken = event.Wait([&] { return deadline && Now() >= *deadline; });
    std::lock_guard lock(mutex_);
    sleeper_ = nullptr;
    return woken;
  }
  // Waits for the painter's next sleep; its length in ms, -1 without end,
  // -2 when none came.
  int NextSleep() {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, kPatience, [&] { return sleeps_ > seen_; })) return -2;
    ++seen_;
    if (!deadline_) return -1;
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(*deadline_ - Now()).count());
  }
  void Advance(int ms) {
    std::lock_guard lock(mutex_);
    now_ += ms;
    if (sleeper_) sleeper_->Poke();
  }
  bool Sleeping() {
    std::lock_guard lock(mutex_);
    return sleeper_ != nullptr;
  }

 private:
  std::atomic<std::int64_t> now_{1000};
  std::mutex mutex_;
  std::condition_variable changed_;
  AutoResetEvent* sleeper_ = nullptr;
  std::optional<TimePoint> deadline_;
  int sleeps_ = 0, seen_ = 0;
};

}  // namespace plendo::preview
