#include "platform/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace plendo::platform {
namespace {

constexpr std::size_t npos = static_cast<std::size_t>(-1);

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string OneLine(std::string_view value) {
  std::string out(Trim(value));
  for (char& c : out) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return out;
}

std::string ErrnoText(const std::string& what, const std::filesystem::path& path, int err) {
  return what + " " + path.string() + ": " + std::strerror(err);
}

// Owns a descriptor and, until committed, the temporary file behind it.
class TempFile {
 public:
  explicit TempFile(const std::filesystem::path& target) {
    name_ = target.string() + ".XXXXXX";
    fd_ = ::mkstemp(name_.data());
    if (fd_ < 0) throw IniWriteError(ErrnoText("cannot create a file beside", target, errno));
  }
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(name_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  void Write(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) throw IniWriteError(ErrnoText("cannot write", name_, errno));
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }
  void Commit(const std::filesystem::path& target, mode_t mode) {
    if (::fchmod(fd_, mode) != 0 || ::fsync(fd_) != 0)
      throw IniWriteError(ErrnoText("cannot write", name_, errno));
    const int rc = ::close(fd_);
    fd_ = -1;
    if (rc != 0) throw IniWriteError(ErrnoText("cannot write", name_, errno));
    if (::rename(name_.c_str(), target.c_str()) != 0)
      throw IniWriteError(ErrnoText("cannot replace", target, errno));
    committed_ = true;
  }

 private:
  std::string name_;
  int fd_ = -1;
  bool committed_ = false;
};

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

IniFile::Line IniFile::ParseLine(std::string raw) {
  Line line;
  line.raw = std::move(raw);
  const std::string_view text = Trim(line.raw);
  if (text.empty() || text.front() == ';' || text.front() == '#') return line;
  if (text.front() == '[') {
    const auto close = text.find(']');
    if (close != std::string_view::npos) {
      line.isSection = true;
      line.section = std::string(Trim(text.substr(1, close - 1)));
    }
    return line;
  }
  const auto eq = text.find('=');
  if (eq == std::string_view::npos) return line;
  line.isEntry = true;
  line.key = std::string(Trim(text.substr(0, eq)));
  line.value = std::string(Trim(text.substr(eq + 1)));
  return line;
}

IniFile IniFile::Parse(std::string_view text) {
  IniFile ini;
  // UTF-8 marks; a file saved twice by a careless editor may carry several.
  while (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  if (text.empty()) return ini;
  const auto firstBreak = text.find('\n');
  if (firstBreak != std::string_view::npos && firstBreak > 0 && text[firstBreak - 1] == '\r')
    ini.eol_ = "\r\n";
  ini.finalEol_ = text.back() == '\n';
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(start, end - start);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    ini.lines_.push_back(ParseLine(std::string(raw)));
    start = end + 1;
  }
  return ini;
}

IniFile IniFile::Load(const std::filesystem::path& path) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) return IniFile{};
  if (!std::filesystem::is_regular_file(status))
    throw IniReadError("not a file: " + path.string());
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) throw IniReadError("cannot read " + path.string() + ": " + ec.message());
  if (size > kMaxIniFileBytes) throw IniReadError("settings file too large: " + path.string());
  std::ifstream in(path, std::ios::binary);
  if (!in) throw IniReadError(ErrnoText("cannot open", path, errno));
  std::string text;
  text.reserve(static_cast<std::size_t>(size));
  char buffer[8192];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxIniFileBytes)
      throw IniReadError("settings file too large: " + path.string());
  }
  if (in.bad()) throw IniReadError("cannot read " + path.string());
  return Parse(text);
}

std::size_t IniFile::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].isSection && EqualsIgnoringCase(lines_[i].section, section)) return i;
  }
  return npos;
}

std::size_t IniFile::SectionEnd(std::size_t header) const {
  std::size_t i = header + 1;
  while (i < lines_.size() && !lines_[i].isSection) ++i;
  return i;
}

std::size_t IniFile::FindEntry(std::string_view section, std::string_view key) const {
  const std::size_t header = FindSection(section);
  if (header == npos) return npos;
  const std::size_t end = SectionEnd(header);
  for (std::size_t i = header + 1; i < end; ++i) {
    if (lines_[i].isEntry && EqualsIgnoringCase(lines_[i].key, key)) return i;
  }
  return npos;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
  const std::size_t i = FindEntry(section, key);
  if (i == npos) return std::nullopt;
  return lines_[i].value;
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view fallback) const {
  auto value = Get(section, key);
  return value ? *value : std::string(fallback);
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  const std::string cleanKey = OneLine(key);
  const std::string cleanValue = OneLine(value);
  const std::size_t existing = FindEntry(section, cleanKey);
  if (existing != npos) {
    Line& line = lines_[existing];
    if (line.value == cleanValue) return;  // leave the line as the user wrote it
    line = ParseLine(line.key + "=" + cleanValue);
    return;
  }
  Line entry = ParseLine(cleanKey + "=" + cleanValue);
  std::size_t header = FindSection(section);
  if (header == npos) {
    lines_.push_back(ParseLine("[" + OneLine(section) + "]"));
    lines_.push_back(std::move(entry));
    return;
  }
  // After the section's last entry, so blank lines between sections stay put.
  std::size_t at = SectionEnd(header);
  while (at > header + 1 && !lines_[at - 1].isEntry) --at;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
}

bool IniFile::HasSection(std::string_view section) const { return FindSection(section) != npos; }

std::vector<std::string> IniFile::SectionNames() const {
  std::vector<std::string> names;
  for (const Line& line : lines_) {
    if (line.isSection) names.push_back(line.section);
  }
  return names;
}

std::string IniFile::Text() const {
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    text += lines_[i].raw;
    if (i + 1 < lines_.size() || finalEol_) text += eol_;
  }
  return text;
}

void IniFile::Save(const std::filesystem::path& path) const { ReplaceFileAtomically(path, Text()); }

void ReplaceFileAtomically(const std::filesystem::path& path, std::string_view contents) {
  std::filesystem::path target = path;
  std::error_code ec;
  if (std::filesystem::is_symlink(path, ec)) {
    target = std::filesystem::weakly_canonical(path, ec);
    if (ec) target = path;
  }
  // Keep the old file's permissions; a new file gets the usual ones.
  mode_t mode = 0;
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  TempFile temp(target);
  temp.Write(contents);
  temp.Commit(target, mode);
}

std::string ReadIniString(const std::filesystem::path& path, std::string_view section,
                          std::string_view key, std::string_view fallback) {
  try {
    return IniFile::Load(path).GetString(section, key, fallback);
  } catch (const IniReadError&) {
    return std::string(fallback);
  }
}

void WriteIniString(const std::filesystem::path& path, std::string_view section,
                    std::string_view key, std::string_view value) {
  IniFile ini = IniFile::Load(path);
  ini.Set(section, key, value);
  ini.Save(path);
}

}  // namespace plendo::platform
