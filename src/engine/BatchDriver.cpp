// One drop, one batch: the items in the order given, pending messages run
// between two items (how the panel repaints and the abort button gets
// through), the type filter, and the count at the end. The files are
// converted on worker threads a few ahead and committed here in order.
#include <algorithm>
#include <optional>

#include "engine/ConversionPool.h"
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

}  // namespace

bool ResizeEngine::XQTDropFiles(const std::vector<fs::path>& items) {
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
  std::vector<bool> wanted(items.size());
  std::set<fs::path> sources;
  for (std::size_t i = 0; i < items.size(); ++i) wanted[i] = PassesTypeFilter(items[i]) && FirstTime(items[i], sources);
  const int workers = WorkerCount(parameters.settings.Jobs);
  // Outlives the end of the batch's display: conversions still under way
  // when a stop came are waited for only after the panel shows the end.
  std::optional<ConversionPool> pool;
  try {
    pool.emplace(
        items, wanted, [&parameters](const fs::path& item) { return FileConverter(parameters).Convert(item); },
        workers, LookAhead(workers));
    const auto keep_waiting = [this] {
      host_.KeepResponsive();
      return running_.load();
    };
    for (std::size_t i = 0; i < items.size(); ++i) {
      host_.ProcessPendingMessages();
      if (!running_) continue;  // after a stop request the loop runs out without work
      host_.ClearMonitorMessage();
      if (!wanted[i]) continue;
      // A stop while the file is still being converted commits nothing more.
      std::optional<FileConversion> conversion = pool->Take(i, keep_waiting);
      if (!conversion) continue;
      // A source this batch has just written is read again, as it now stands.
      if (SamePath(items[i], written_)) conversion = FileConverter(parameters).Convert(items[i]);
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
  host_.SetSizeCaption("出力済 " + std::to_string(output_count_) + " 枚");
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
