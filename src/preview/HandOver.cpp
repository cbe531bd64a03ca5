#include "preview/HandOver.h"

#include <utility>

namespace plendo::preview {

// Lives on the stack of the worker that waits in Run.
struct Waiter {
  bool done = false;
  std::exception_ptr error;
};

void HandOverQueue::Push(Item item) {
  std::function<void()> waker;
  {
    std::lock_guard lock(mutex_);
    pending_.push_back(std::move(item));
    waker = waker_;
  }
  posted_.notify_all();
  if (waker) waker();
}

void HandOverQueue::Run(Call call) {
  Waiter waiter;
  Push({std::move(call), &waiter});
  std::unique_lock lock(mutex_);
  done_.wait(lock, [&] { return waiter.done; });
  if (waiter.error) std::rethrow_exception(waiter.error);
}

void HandOverQueue::Post(Call call) { Push({std::move(call), nullptr}); }

int HandOverQueue::ServePending() {
  std::deque<Item> batch;
  {
    std::lock_guard lock(mutex_);
    batch.swap(pending_);
  }
  for (Item& item : batch) {
    std::exception_ptr error;
    try {
      item.call();
    } catch (...) {
      error = std::current_exception();
    }
    if (!item.waiter) continue;
    {
      std::lock_guard lock(mutex_);
      item.waiter->error = error;
      item.waiter->done = true;
    }
    done_.notify_all();
  }
  return static_cast<int>(batch.size());
}

void HandOverQueue::WaitAndServe() {
  {
    std::unique_lock lock(mutex_);
    posted_.wait(lock, [&] { return !pending_.empty(); });
  }
  ServePending();
}

bool HandOverQueue::WaitForPost(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return posted_.wait_for(lock, limit, [&] { return !pending_.empty(); });
}

void HandOverQueue::SetWaker(std::function<void()> waker) {
  std::lock_guard lock(mutex_);
  waker_ = std::move(waker);
}

HandOverQueue& MainHandOver() {
  static HandOverQueue queue;
  return queue;
}

}  // namespace plendo::preview
