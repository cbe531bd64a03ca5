#pragma once
// Path helpers of the per-file pipeline: the pieces an output name and folder
// are made of. They work on the text of a path with the platform separator,
// never on the file system.
#include <string>

namespace plendo::engine {

inline constexpr char kPathDelimiter = '/';

// The file name of `path` (after the last separator) without its extension
// (from the last dot of the name): /a/photo.tar.jpg gives photo.tar; a name
// without a dot comes back whole.
std::string ExtractFileBaseName(const std::string& path);

// The extension of `path`, dot included: the text from the last dot after the
// last separator; empty when the name has no dot.
std::string ExtractFileExt(const std::string& path);

// `text` unchanged when it ends in `ch`, otherwise `text` + `ch`; "" gives `ch`.
std::string IncludeTrailingChar(const std::string& text, char ch);

// The folder a source's output goes to when written beside it, with a
// trailing separator: /photos/a.jpg gives /photos/, /a.jpg gives / (one
// separator). A bare name gives ./ so that a relative path never lands in the
// root folder.
std::string SourceFolderOf(const std::string& path);

// `name` with "_n" before its extension: IMG_0001_w640.jpg and 2 give
// IMG_0001_w640_2.jpg; a name without a dot gets it at the end.
std::string NumberedName(const std::string& name, int n);

// Case-insensitive comparison of ASCII letters; other bytes must match.
bool EqualsIgnoringCase(const std::string& a, const std::string& b);

}  // namespace plendo::engine
