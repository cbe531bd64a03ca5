#include "settings/CommaText.h"

namespace plendo::settings {
namespace {

constexpr char kQuote = '"';
constexpr char kDelimiter = ',';

// Blanks and control characters; bytes of UTF-8 sequences are above 0x7F.
bool IsSpace(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 1 && u <= ' ';
}

bool NeedsQuotes(std::string_view item) {
  for (char c : item) {
    if (IsSpace(c) || c == '\0' || c == kQuote || c == kDelimiter) return true;
  }
  return false;
}

std::string Quoted(std::string_view item) {
  std::string out(1, kQuote);
  for (char c : item) {
    out += c;
    if (c == kQuote) out += kQuote;
  }
  out += kQuote;
  return out;
}

// Reads a quoted item at `pos` (on the opening quote); an unclosed quote runs
// to the end of the text.
std::string ReadQuoted(std::string_view text, std::size_t& pos) {
  std::string item;
  ++pos;
  while (pos < text.size()) {
    if (text[pos] == kQuote) {
      if (pos + 1 < text.size() && text[pos + 1] == kQuote) {
        item += kQuote;
        pos += 2;
        continue;
      }
      ++pos;
      return item;
    }
    item += text[pos++];
  }
  return item;
}

void SkipSpaces(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && IsSpace(text[pos])) ++pos;
}

}  // namespace

std::string ToCommaText(const std::vector<std::string>& items) {
  if (items.size() == 1 && items.front().empty()) return std::string(2, kQuote);
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += kDelimiter;
    text += NeedsQuotes(items[i]) ? Quoted(items[i]) : items[i];
  }
  return text;
}

std::vector<std::string> FromCommaText(std::string_view text) {
  std::vector<std::string> items;
  std::size_t pos = 0;
  SkipSpaces(text, pos);
  while (pos < text.size()) {
    if (text[pos] == kQuote) {
      items.push_back(ReadQuoted(text, pos));
    } else {
      const std::size_t start = pos;
      while (pos < text.size() && !IsSpace(text[pos]) && text[pos] != kDelimiter) ++pos;
      items.emplace_back(text.substr(start, pos - start));
    }
    SkipSpaces(text, pos);
    if (pos < text.size() && text[pos] == kDelimiter) {
      if (pos + 1 == text.size()) items.emplace_back();  // a trailing comma ends on an empty item
      ++pos;
      SkipSpaces(text, pos);
    }
  }
  return items;
}

}  // namespace plendo::settings
