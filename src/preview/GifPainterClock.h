#pragma once
// Time for the animation painter: the clock it reads and the wake-up event it
// sleeps on between frames. Tests put in a clock they move by hand.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <utility>

namespace plendo::preview {

// Set wakes one wait and resets itself.
class AutoResetEvent {
 public:
  void Set();
  // Until set (true; the event resets) or until `expired()` holds (false).
  // `expired` is checked under the event's lock: whoever makes it true calls
  // Poke afterwards.
  template <class Expired>
  bool Wait(Expired expired) {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return set_ || expired(); });
    return Consume();
  }
  bool WaitUntil(std::chrono::steady_clock::time_point deadline);
  void Poke();

 private:
  bool Consume() { return std::exchange(set_, false); }

  std::mutex mutex_;
  std::condition_variable cv_;
  bool set_ = false;
};

class AnimationClock {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;
  virtual ~AnimationClock() = default;
  virtual TimePoint Now() const = 0;
  // Sleeps until `deadline` (none: without end) or until `event` is set;
  // true when the event ended the sleep.
  virtual bool WaitOn(AutoResetEvent& event, std::optional<TimePoint> deadline) = 0;
};

// std::chrono::steady_clock.
AnimationClock& SteadyAnimationClock();

}  // namespace plendo::preview
