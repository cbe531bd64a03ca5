#pragma once
// The files below a folder, found one at a time: in each folder its files in
// name order (bytes compared, so any name sorts the same everywhere), then
// its sub-folders in name order, each walked the same way. Hidden entries (a
// name starting with a dot) are passed by, and so is a symbolic link to a
// folder, which keeps a link loop from trapping the walk; a link to a file
// counts as that file. A folder that cannot be read is named once and
// passed by. A folder is read only when the walk reaches it.
//
// The folder outputs are written to is passed by too when it lies inside
// the walked one: its own outputs would otherwise be found and converted
// again, each round making a deeper copy of the tree.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace plendo::engine {

struct WalkEntry {
  std::filesystem::path path;
  // The folder holding `path`, relative to the walk's root ("" at the root).
  std::filesystem::path relative_folder;
  // `path` is a folder that could not be read, with the reason.
  bool unreadable = false;
  std::string error;
};

class FolderWalk {
 public:
  // `skip`: a folder not to enter (empty: none).
  explicit FolderWalk(const std::filesystem::path& root, std::filesystem::path skip = {});

  // The next file, or the next folder that could not be read; nothing once
  // the walk is over.
  std::optional<WalkEntry> Next();

 private:
  struct Level {
    std::filesystem::path folder;
    std::filesystem::path relative;
    std::vector<std::string> files;    // names, sorted
    std::vector<std::string> folders;  // names, sorted
    std::size_t next_file = 0;
    std::size_t next_folder = 0;
  };

  // Reads `folder` onto the stack; an entry for it when it cannot be read.
  std::optional<WalkEntry> Enter(const std::filesystem::path& folder, const std::filesystem::path& relative);

  std::filesystem::path skip_;
  std::vector<Level> stack_;
  std::optional<WalkEntry> root_error_;
};

}  // namespace plendo::engine
