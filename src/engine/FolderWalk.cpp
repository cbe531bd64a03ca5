#include "engine/FolderWalk.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace plendo::engine {
namespace {

namespace fs = std::filesystem;

enum class Kind { File, Folder, Other };

// What an entry counts as. A link is followed to see what it names, but a
// link to a folder is never entered.
Kind KindOf(const fs::directory_entry& entry, std::error_code& ec) {
  const fs::file_status own = entry.symlink_status(ec);
  if (ec) return Kind::Other;
  if (fs::is_directory(own)) return Kind::Folder;
  if (fs::is_symlink(own)) {
    std::error_code target_ec;  // a dangling link is no picture, and no failure of the folder
    return fs::is_regular_file(entry.status(target_ec)) ? Kind::File : Kind::Other;
  }
  // Pipes, sockets and devices are no pictures; reading one could wait forever.
  return fs::is_regular_file(own) ? Kind::File : Kind::Other;
}

bool Hidden(const std::string& name) { return !name.empty() && name.front() == '.'; }

}  // namespace

FolderWalk::FolderWalk(const fs::path& root, fs::path skip) : skip_(std::move(skip)) {
  root_error_ = Enter(root, fs::path());
}

std::optional<WalkEntry> FolderWalk::Enter(const fs::path& folder, const fs::path& relative) {
  Level level{folder, relative, {}, {}, 0, 0};
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (Hidden(name)) continue;
    const Kind kind = KindOf(*it, ec);
    if (kind == Kind::File) level.files.push_back(name);
    if (kind == Kind::Folder) level.folders.push_back(name);
  }
  if (ec) return WalkEntry{folder, relative, true, ec.message()};
  std::sort(level.files.begin(), level.files.end());
  std::sort(level.folders.begin(), level.folders.end());
  stack_.push_back(std::move(level));
  return std::nullopt;
}

std::optional<WalkEntry> FolderWalk::Next() {
  if (root_error_) return std::exchange(root_error_, std::nullopt);
  while (!stack_.empty()) {
    Level& level = stack_.back();
    if (level.next_file < level.files.size()) {
      const std::string& name = level.files[level.next_file++];
      return WalkEntry{level.folder / name, level.relative, false, {}};
    }
    if (level.next_folder < level.folders.size()) {
      const std::string& name = level.folders[level.next_folder++];
      // Copies: entering pushes onto the stack and may move `level`.
      const fs::path folder = level.folder / name, relative = level.relative / name;
      std::error_code ec;
      if (!skip_.empty() && fs::equivalent(folder, skip_, ec)) continue;
      if (auto unreadable = Enter(folder, relative)) return unreadable;
      continue;
    }
    stack_.pop_back();
  }
  return std::nullopt;
}

}  // namespace plendo::engine
