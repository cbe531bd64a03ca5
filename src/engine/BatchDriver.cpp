// One drop, one batch: the items in the order given, pending messages run
// between two items (how the panel repaints and the abort button gets
// through), the type filter, and the count at the end. The files are
// converted on worker threads a few ahead and committed here in order; a
// dropped folder is walked only as far as the conversions ahead need.
#include <algorithm>
#include <chrono>
#include <deque>
#include <optional>

#include "engine/EngineTexts.h"
#include "engine/ConversionPool.h"
#include "engine/DropFeed.h"
#include "engine/FileConverter.h"
#include "engine/OutputNaming.h"
#include "engine/ResizeEngine.h"
#include "engine/ScopeExit.h"

namespace plendo::engine {
namespace {

namespace fs = std::filesystem;

// Enough files ahead to keep every worker busy while one result waits to be
// committed; each holds its output (and a preview the picture's size) in
// memory until then.
int LookAhead(int workers) { return 2 * workers; }

bool SamePath(const fs::path& a, const std::set<fs::path>& written) {
  if (written.empty()) return false;
  std::error_code ec;
  const fs::path canonical = fs::weakly_canonical(a, ec);
  return !ec && written.count(canonical) != 0;
}

// False for a source already met in this batch: the same file dropped twice
// is converted once.
bool FirstTime(const fs::path& source, std::set<fs::path>& met) {
  std::error_code ec;
  fs::path canonical = fs::weakly_canonical(source, ec);
  if (ec) canonical = source;
  return met.insert(std::move(canonical)).second;
}

// An item taken from the feed and handed to the pool, not yet committed.
struct Queued {
  BatchItem item;
  bool wanted = false;
  std::size_t index = 0;  // in the pool
};

}  // namespace

bool ResizeEngine::XQTDropFiles(const std::vector<fs::path>& items) {
  DropFeed feed(items, settings_.FolderDrop, settings_.OutOrigDir ? fs::path() : fs::path(host_.WOPath()));
  return XQTDropItems(feed);
}

bool ResizeEngine::XQTDropItems(ItemFeed& feed) {
  if (in_batch_.exchange(true)) return false;
  written_.clear();
  ScopeExit batch_over([this] {
    in_batch_ = false;
    written_.clear();
  });
  // Runs whether the loop completes or an error leaves it.
  const auto clean_up = [this] {
    if (settings_.XQTMode == 1) global_work_value_.ExtList.clear();
    host_.ChangeButtonsEnabled(true);
  };

  SetGlobalWorkValue();
  running_ = true;
  host_.ChangeButtonsEnabled(false);
  host_.SetTermCaption(kCaptionAbort, true);

  const BatchParameters parameters = CurrentParameters();
  const int workers = WorkerCount(parameters.settings.Jobs);
  const auto look_ahead = static_cast<std::size_t>(LookAhead(workers));
  std::set<fs::path> sources;
  std::deque<Queued> ahead;
  bool feed_over = false;
  // Outlives the end of the batch's display: conversions still under way
  // when a stop came are waited for only after the panel shows the end.
  std::optional<ConversionPool> pool;
  try {
    pool.emplace(
        [&parameters](const BatchItem& item) {
          const auto start = std::chrono::steady_clock::now();
          FileConversion c = FileConverter(parameters).Convert(item.source, item.subfolder);
          c.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
          return c;
        },
        workers, static_cast<int>(look_ahead));
    // Keeps the pool a look-ahead's worth of items beyond the one committed;
    // a stop ends every walk, and nothing taken after it is converted.
    const auto feed_pool = [&] {
      while (!feed_over && ahead.size() < look_ahead) {
        if (!running_) feed.Stop();
        std::optional<BatchItem> item = feed.Next();
        if (!item) {
          feed_over = true;
          break;
        }
        const bool wanted =
            running_ && item->refusal.empty() && PassesTypeFilter(item->source) && FirstTime(item->source, sources);
        const std::size_t index = pool->Add(*item, wanted);
        ahead.push_back({std::move(*item), wanted, index});
      }
    };
    const auto keep_waiting = [this] {
      host_.KeepResponsive();
      return running_.load();
    };
    for (;;) {
      feed_pool();
      if (ahead.empty()) break;
      const Queued queued = std::move(ahead.front());
      ahead.pop_front();
      host_.ProcessPendingMessages();
      if (!running_) continue;  // after a stop request the loop runs out without work
      host_.ClearMonitorMessage();
      if (!queued.item.refusal.empty()) {
        host_.ShowMonitorMessage(kRed, queued.item.refusal);
        continue;
      }
      if (!queued.wanted) continue;
      // A stop while the file is still being converted commits nothing more.
      std::optional<FileConversion> conversion = pool->Take(queued.index, keep_waiting);
      if (!conversion) continue;
      // A source this batch has just written is read again, as it now stands.
      if (SamePath(queued.item.source, written_))
        conversion = FileConverter(parameters).Convert(queued.item.source, queued.item.subfolder);
      Commit(*conversion, parameters);
    }
  } catch (...) {
    // A batch that did not complete still ends stopped, its button back to "終了".
    clean_up();
    running_ = false;
    host_.SetTermCaption(kCaptionEnd, false);
    throw;
  }
  clean_up();

  running_ = false;
  host_.SetTermCaption(kCaptionEnd, false);
  host_.SetSizeCaption(FillIn(kCountCaption, {std::to_string(output_count_)}));
  host_.Beep();
  return true;
}

// XQTMode 0 tries every item, 1 only those of the chosen type; any other
// mode converts nothing.
bool ResizeEngine::PassesTypeFilter(const fs::path& item) const {
  if (settings_.XQTMode == 0) return true;
  if (settings_.XQTMode != 1) return false;
  const std::string ext = ExtractFileExt(item.string());
  const auto& accepted = global_work_value_.ExtList;
  return std::any_of(accepted.begin(), accepted.end(),
                     [&](const std::string& e) { return EqualsIgnoringCase(ext, e); });
}

}  // namespace plendo::engine
