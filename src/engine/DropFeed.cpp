#include "engine/DropFeed.h"

#include <system_error>

#include "engine/JobParameters.h"

namespace plendo::engine {

namespace fs = std::filesystem;

std::optional<BatchItem> ItemOf(const WalkEntry& entry) {
  if (!entry.unreadable && !HasPictureExtension(entry.path.string())) return std::nullopt;
  BatchItem item{entry.path, entry.relative_folder, {}};
  if (entry.unreadable) item.refusal = kMsgFolderUnreadable;
  return item;
}

DropFeed::DropFeed(std::vector<fs::path> dropped, bool walk_folders, fs::path output_folder)
    : dropped_(std::move(dropped)), walk_folders_(walk_folders), output_folder_(std::move(output_folder)) {}

std::optional<BatchItem> DropFeed::Next() {
  for (;;) {
    if (walk_) {
      if (std::optional<WalkEntry> entry = walk_->Next()) {
        if (std::optional<BatchItem> item = ItemOf(*entry)) return item;
        continue;
      }
      walk_.reset();
    }
    if (next_ >= dropped_.size()) return std::nullopt;
    const fs::path& item = dropped_[next_++];
    std::error_code ec;
    // A dropped folder is walked even when it is a link: the user chose it.
    if (!walk_folders_ || stopped_ || !fs::is_directory(item, ec)) return BatchItem{item, {}, {}};
    walk_.emplace(item, output_folder_);
  }
}

void DropFeed::Stop() {
  stopped_ = true;
  walk_.reset();
}

std::optional<BatchItem> ItemList::Next() {
  if (next_ >= items_.size()) return std::nullopt;
  return std::move(items_[next_++]);
}

}  // namespace plendo::engine
