#pragma once
// plendo-batch's answer to SIGINT, SIGTERM and SIGHUP (Ctrl-C, kill, a
// closed terminal). The first asks the batch to stop: the current file is
// finished or dropped, the tally printed, and the program then ends by that
// same signal, so that its parent (a shell loop) sees it was interrupted. A
// second one ends the program at once, after removing the temporary files it
// has made.
//
// The signals are taken by a thread of their own (sigwait), not a handler,
// so the second one may take the lock of the temporary-file list.
#include <atomic>
#include <memory>

namespace plendo::cli {

class BatchSignals {
 public:
  // Blocks the signals in the calling thread, and so in every thread it
  // starts after: construct it first thing in main().
  BatchSignals();

  bool StopRequested() const { return state_->first.load() != 0; }
  // Ends the process by the first signal caught, as if it had not been;
  // returns when none was.
  void EndByCaughtSignal() const;

 private:
  struct State {
    std::atomic<int> first{0};
  };
  std::shared_ptr<State> state_;
};

}  // namespace plendo::cli
