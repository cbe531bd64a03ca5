#pragma once
// The INI store behind the settings file.
//
// The file is UTF-8 text:
//
//   [Section]
//   Key=value
//
// Section and key names match without regard to ASCII letter case; the first
// occurrence of a duplicated name wins. A value is the rest of the line after
// the first "=", with surrounding blanks removed. Lines the store does not
// understand (comments, blank lines, keys of sections nobody reads) are kept
// byte for byte, so a load-edit-save cycle changes only the entries it sets.
//
// Every save writes a temporary file in the same folder and renames it over
// the old one: a crash or a full disk never leaves half a settings file.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Exception.h"

namespace plendo::platform {

// The file exists but cannot be read (a folder, no permission, absurdly big).
class IniReadError : public Exception {
 public:
  using Exception::Exception;
};

// The new contents could not be put in place; the old file is untouched.
class IniWriteError : public Exception {
 public:
  using Exception::Exception;
};

// A settings file has no business being bigger than this.
inline constexpr std::uintmax_t kMaxIniFileBytes = 16u << 20;

// Whole-file access: load once, read and change entries in memory, save once.
class IniFile {
 public:
  IniFile() = default;

  // Missing file: an empty document. Unreadable file: IniReadError.
  static IniFile Load(const std::filesystem::path& path);
  static IniFile Parse(std::string_view text);

  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view fallback) const;

  // Replaces the entry's line, or appends the key to its section (the section
  // to the document) when it is new. Line breaks in `value` would split the
  // entry, so they are turned into spaces.
  void Set(std::string_view section, std::string_view key, std::string_view value);

  bool HasSection(std::string_view section) const;
  std::vector<std::string> SectionNames() const;

  std::string Text() const;
  // Atomic replace; IniWriteError on failure.
  void Save(const std::filesystem::path& path) const;

 private:
  struct Line {
    std::string raw;       // as in the file, without its line break
    std::string section;   // name when this line opens a section
    std::string key;       // name when this line is an entry
    std::string value;
    bool isSection = false;
    bool isEntry = false;
  };

  static Line ParseLine(std::string raw);
  // Index of the section header line; npos when absent.
  std::size_t FindSection(std::string_view section) const;
  // End of the section opened at `header` (the next header or the end).
  std::size_t SectionEnd(std::size_t header) const;
  std::size_t FindEntry(std::string_view section, std::string_view key) const;

  std::vector<Line> lines_;
  std::string eol_ = "\n";
  bool finalEol_ = true;
};

// Entry-by-entry access: each call reads or rewrites the file at once and
// touches only that entry. A missing or unreadable file reads as `fallback`.
std::string ReadIniString(const std::filesystem::path& path, std::string_view section,
                          std::string_view key, std::string_view fallback);
// Creates the file when missing; IniReadError / IniWriteError on failure.
void WriteIniString(const std::filesystem::path& path, std::string_view section,
                    std::string_view key, std::string_view value);

// Atomically replaces `path` with `contents`: temporary file in the same
// folder, flushed, renamed over the old one. A symbolic link is followed so
// the link itself survives. IniWriteError on failure, leaving `path` as it was.
void ReplaceFileAtomically(const std::filesystem::path& path, std::string_view contents);

// ASCII case-insensitive comparison, the rule for section and key names.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace plendo::platform
