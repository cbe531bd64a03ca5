#pragma once
// Converts the files of one batch on worker threads, a bounded number of
// files ahead of the one the batch is committing, and hands the results over
// strictly in the batch's order. Memory stays bounded by the look-ahead:
// results wait only for their turn, never pile up. Items are added as the
// batch finds them (a folder walk feeds it as it goes).
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "engine/BatchItem.h"
#include "engine/FileConversion.h"

namespace plendo::engine {

class ConversionPool {
 public:
  using Converter = std::function<FileConversion(const BatchItem&)>;

  ConversionPool(Converter convert, int workers, int look_ahead);
  // Starts nothing new, lets the conversions under way finish and drops
  // every result not taken.
  ~ConversionPool();
  ConversionPool(const ConversionPool&) = delete;
  ConversionPool& operator=(const ConversionPool&) = delete;

  // Appends an item and returns its index; `wanted` false leaves it alone.
  // Its conversion starts once it is inside the look-ahead.
  std::size_t Add(BatchItem item, bool wanted);

  // Waits for item `index` (wanted, taken in increasing order), asking
  // `keep_waiting` every few milliseconds; when it says no, gives up and
  // returns nothing (the conversion goes on, its result is dropped). Items
  // before `index` not taken are dropped. Rethrows what escaped the converter.
  std::optional<FileConversion> Take(std::size_t index, const std::function<bool()>& keep_waiting);

 private:
  struct Slot {
    std::optional<FileConversion> result;
    std::exception_ptr error;
    bool done = false;
  };

  void Work();
  // The next wanted item inside the look-ahead, or none; under the lock.
  std::optional<std::size_t> NextItem();

  const Converter convert_;
  const std::size_t look_ahead_;

  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::condition_variable result_ready_;
  std::vector<BatchItem> items_;
  std::vector<bool> wanted_;
  std::vector<Slot> slots_;
  std::size_t next_ = 0;    // the first item no worker has claimed
  std::size_t window_ = 0;  // the item the batch waits for or will take next
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

// Workers for a batch: `jobs` when positive, otherwise one per core.
int WorkerCount(int jobs);

}  // namespace plendo::engine
