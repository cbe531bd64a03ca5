// One drop, one batch: the items in the order given, pending messages run
// between two items (how the panel repaints and the abort button gets
// through), the type filter, and the count at the end.
#include <algorithm>

#include "engine/OutputNaming.h"
#include "engine/ResizeEngine.h"
#include "engine/ScopeExit.h"
#include "platform/Beep.h"

namespace plendo::engine {

bool ResizeEngine::XQTDropFiles(const std::vector<std::filesystem::path>& items) {
  if (in_batch_) return false;
  in_batch_ = true;
  ScopeExit batch_over([this] { in_batch_ = false; });
  // Runs whether the loop completes or an error leaves it.
  const auto clean_up = [this] {
    if (settings_.XQTMode == 1) global_work_value_.ExtList.clear();
    host_.ChangeButtonsEnabled(true);
  };

  SetGlobalWorkValue();
  running_ = true;
  host_.ChangeButtonsEnabled(false);
  host_.SetTermCaption(kCaptionAbort, true);
  try {
    for (const auto& item : items) {
      host_.ProcessPendingMessages();
      if (!running_) continue;
      host_.ClearMonitorMessage();
      RunBatchItem(item);
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
  platform::Beep();
  return true;
}

void ResizeEngine::RunBatchItem(const std::filesystem::path& item) {
  if (settings_.XQTMode == 0)
    ResizeGRP(item);
  else if (settings_.XQTMode == 1 && PassesTypeFilter(item))
    ResizeGRP(item);
  // Any other mode converts nothing.
}

bool ResizeEngine::PassesTypeFilter(const std::filesystem::path& item) const {
  const std::string ext = ExtractFileExt(item.string());
  const auto& accepted = global_work_value_.ExtList;
  return std::any_of(accepted.begin(), accepted.end(),
                     [&](const std::string& e) { return EqualsIgnoringCase(ext, e); });
}

}  // namespace plendo::engine
