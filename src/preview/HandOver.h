#pragma once
// Calls handed from a worker thread to the thread that serves them (the
// user-interface thread in the program, the test itself in tests). A worker
// posts a call and, with Run, waits until it has run; the serving thread runs
// pending calls when it processes messages (the waker makes sure it comes
// round to them) or when it calls ServePending itself. Whoever waits on the
// serving thread for a worker must serve meanwhile, or the two deadlock.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>

namespace plendo::preview {

class HandOverQueue {
 public:
  using Call = std::function<void()>;

  HandOverQueue() = default;
  HandOverQueue(const HandOverQueue&) = delete;
  HandOverQueue& operator=(const HandOverQueue&) = delete;

  // Worker side: runs `call` on the serving thread and returns once it has
  // run. An exception the call raises is raised here.
  void Run(Call call);
  // Worker side: `call` runs on the serving thread later; nobody waits. An
  // exception it raises is dropped.
  void Post(Call call);

  // Serving side: runs every call posted so far; returns how many ran.
  int ServePending();
  // Serving side: sleeps until a call is pending, then serves them all.
  void WaitAndServe();
  // Sleeps until a call is pending, at most `limit`; false when none came.
  // Serves nothing.
  bool WaitForPost(std::chrono::milliseconds limit);

  // Called on the posting thread after every post, outside the queue's lock,
  // to wake the serving thread's message loop.
  void SetWaker(std::function<void()> waker);

 private:
  struct Item {
    Call call;
    struct Waiter* waiter = nullptr;  // null for Post
  };
  void Push(Item item);

  std::mutex mutex_;
  std::condition_variable posted_;
  std::condition_variable done_;
  std::deque<Item> pending_;
  std::function<void()> waker_;
};

// The user-interface thread's queue; the panel installs its waker.
HandOverQueue& MainHandOver();

}  // namespace plendo::preview
