#include "engine/ConversionPool.h"

#include <algorithm>
#include <chrono>

namespace plendo::engine {
namespace {

// How often the batch's thread looks up from a wait to serve the panel.
constexpr auto kServeInterval = std::chrono::milliseconds(15);
constexpr int kMaxWorkers = 64;

}  // namespace

int WorkerCount(int jobs) {
  if (jobs > 0) return std::min(jobs, kMaxWorkers);
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : std::min(static_cast<int>(cores), kMaxWorkers);
}

ConversionPool::ConversionPool(Converter convert, int workers, int look_ahead)
    : convert_(std::move(convert)), look_ahead_(static_cast<std::size_t>(std::max(look_ahead, 1))) {
  workers = std::max(1, workers);
  threads_.reserve(static_cast<std::size_t>(workers));
  for (int i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
}

ConversionPool::~ConversionPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  work_ready_.notify_all();
  for (auto& t : threads_) t.join();
}

std::size_t ConversionPool::Add(BatchItem item, bool wanted) {
  std::size_t index = 0;
  {
    std::lock_guard lock(mutex_);
    index = items_.size();
    items_.push_back(std::move(item));
    wanted_.push_back(wanted);
    slots_.emplace_back();
  }
  work_ready_.notify_one();
  return index;
}

std::optional<std::size_t> ConversionPool::NextItem() {
  while (next_ < items_.size() && !wanted_[next_]) ++next_;
  if (next_ >= items_.size() || next_ >= window_ + look_ahead_) return std::nullopt;
  return next_++;
}

void ConversionPool::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    std::optional<std::size_t> index;
    work_ready_.wait(lock, [&] { return stopping_ || (index = NextItem()).has_value(); });
    if (stopping_) return;
    const BatchItem item = items_[*index];  // the vector may grow meanwhile
    lock.unlock();
    Slot done;
    try {
      done.result = convert_(item);
    } catch (...) {
      done.error = std::current_exception();
    }
    done.done = true;
    lock.lock();
    // The batch may have moved past this item (a stop); it is then dropped.
    if (*index >= window_) slots_[*index] = std::move(done);
    result_ready_.notify_all();
  }
}

std::optional<FileConversion> ConversionPool::Take(std::size_t index, const std::function<bool()>& keep_waiting) {
  std::unique_lock lock(mutex_);
  for (std::size_t i = window_; i < index && i < slots_.size(); ++i) slots_[i] = Slot();
  window_ = index;
  work_ready_.notify_all();
  while (!slots_[index].done) {
    if (result_ready_.wait_for(lock, kServeInterval, [&] { return slots_[index].done; })) break;
    lock.unlock();
    const bool waiting = !keep_waiting || keep_waiting();
    lock.lock();
    if (!waiting) return std::nullopt;
  }
  Slot slot = std::move(slots_[index]);
  slots_[index] = Slot();
  window_ = index + 1;
  work_ready_.notify_all();
  if (slot.error) std::rethrow_exception(slot.error);
  return std::move(slot.result);
}

}  // namespace plendo::engine
