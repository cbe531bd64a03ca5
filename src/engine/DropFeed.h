#pragma once
// The items of one drop in their order. With folders on, a dropped folder
// gives the files below it one at a time from a FolderWalk, each headed for
// the same place in the output tree; with folders off a folder is an item
// like any other (and fails as one). A walk hands out only files named as
// pictures: a card's videos, sidecars and index files are passed by, not
// reported as failures one by one.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <vector>

#include "engine/BatchItem.h"
#include "engine/FolderWalk.h"
#include "platform/Language.h"

namespace plendo::engine {

// Shown for a folder the walk could not read.
inline constexpr const char* kMsgFolderUnreadable = PLENDO_TEXT("Engine", "このフォルダは\r\n読み込めません");

class DropFeed : public ItemFeed {
 public:
  // `output_folder`: where the outputs go, never walked (empty: beside each source).
  DropFeed(std::vector<std::filesystem::path> dropped, bool walk_folders, std::filesystem::path output_folder = {});

  std::optional<BatchItem> Next() override;
  void Stop() override;

 private:
  std::vector<std::filesystem::path> dropped_;
  bool walk_folders_;
  std::filesystem::path output_folder_;
  bool stopped_ = false;
  std::size_t next_ = 0;
  std::optional<FolderWalk> walk_;
};

// A list made beforehand, handed out as it stands.
class ItemList : public ItemFeed {
 public:
  explicit ItemList(std::vector<BatchItem> items) : items_(std::move(items)) {}
  std::optional<BatchItem> Next() override;

 private:
  std::vector<BatchItem> items_;
  std::size_t next_ = 0;
};

// A walked entry as a batch item; nothing for a file not named as a picture.
std::optional<BatchItem> ItemOf(const WalkEntry& entry);

}  // namespace plendo::engine
