#include "engine/OutputNaming.h"

namespace plendo::engine {
namespace {

std::string FileNameOf(const std::string& path) {
  const auto slash = path.rfind(kPathDelimiter);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string ExtractFileBaseName(const std::string& path) {
  std::string name = FileNameOf(path);
  const auto dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

std::string ExtractFileExt(const std::string& path) {
  const std::string name = FileNameOf(path);
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string IncludeTrailingChar(const std::string& text, char ch) {
  if (!text.empty() && text.back() == ch) return text;
  return text + ch;
}

std::string SourceFolderOf(const std::string& path) {
  const auto slash = path.rfind(kPathDelimiter);
  if (slash == std::string::npos) return std::string(".") + kPathDelimiter;
  // The root keeps its separator; every other folder loses it and gets it back below.
  const std::string dir = slash == 0 ? std::string(1, kPathDelimiter) : path.substr(0, slash);
  return IncludeTrailingChar(dir, kPathDelimiter);
}

std::string NumberedName(const std::string& name, int n) {
  const std::string ext = ExtractFileExt(name);
  return name.substr(0, name.size() - ext.size()) + "_" + std::to_string(n) + ext;
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

}  // namespace plendo::engine
