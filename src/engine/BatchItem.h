#pragma once
// One item of a batch as the batch driver takes it, and where items come
// from: a drop's paths in their order, a walked folder's pictures as the
// walk finds them, or a list made beforehand.
#include <filesystem>
#include <optional>
#include <string>

namespace plendo::engine {

struct BatchItem {
  std::filesystem::path source;
  // The folder below the chosen output folder that the output goes to: the
  // source's folder relative to the dropped folder it was found in. Empty
  // for an item dropped on its own.
  std::filesystem::path subfolder;
  // Not empty: the item is not converted and this is shown in red instead
  // (a folder the walk could not read).
  std::string refusal;
};

// Hands out a batch's items one at a time, in the batch's order, so that a
// folder of ten thousand files starts converting before it has been read
// through.
class ItemFeed {
 public:
  virtual ~ItemFeed() = default;
  // The next item; nothing once every item has been handed out.
  virtual std::optional<BatchItem> Next() = 0;
  // The batch was stopped: walks end here; items already named may still come.
  virtual void Stop() {}
};

}  // namespace plendo::engine
