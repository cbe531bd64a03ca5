#include "app/SizeBoxRules.h"

#include <charconv>
#include <cstdint>
#include <utility>

#include "engine/BatchParameters.h"
#include "settings/SizeList.h"

namespace plendo::app {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(text[i]) != Lower(prefix[i])) return false;
  }
  return true;
}

SizeBoxKeyOutcome Reaction(SizeBoxAction action) { return {action, {}, -1}; }

SizeBoxKeyOutcome Edit(SizeBoxText shown, int item = -1) {
  return {SizeBoxAction::Edit, std::move(shown), item};
}

}  // namespace

GDotKey ClassifyGDotKey(char32_t ch) {
  if (ch == 13) return GDotKey::Swallow;
  if (ch == 32) return GDotKey::Toggle;
  if ((ch >= 1 && ch <= 31) || (ch >= U'0' && ch <= U'9')) return GDotKey::Pass;
  return GDotKey::Refuse;
}

bool IsUsableSizeText(const std::string& text) {
  return engine::ParseSizeChoice(text == settings::kActualSizeItem, text).Valid();
}

std::optional<int> FindItemWithPrefix(const std::vector<std::string>& items,
                                      const std::string& prefix) {
  if (prefix.empty()) return std::nullopt;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (StartsWithIgnoringCase(items[i], prefix)) return static_cast<int>(i);
  }
  return std::nullopt;
}

SizeBoxKeyOutcome TypeIntoSizeBox(const SizeBoxText& now, char32_t key,
                                  const std::vector<std::string>& items) {
  switch (ClassifyGDotKey(key)) {
    case GDotKey::Swallow:
      return Reaction(SizeBoxAction::Nothing);
    case GDotKey::Toggle:
      return Reaction(SizeBoxAction::Toggle);
    case GDotKey::Refuse:
      return Reaction(SizeBoxAction::Beep);
    case GDotKey::Pass:
      break;
  }
  const bool highlighted = now.length > 0;
  if (key == 8) {  // Backspace
    if (!highlighted && now.start == 0) return Reaction(SizeBoxAction::Nothing);
    const int from = highlighted ? now.start : now.start - 1;
    const int count = highlighted ? now.length : 1;
    return Edit({QString(now.text).remove(from, count), from, 0});
  }
  if (key < 32) return Reaction(SizeBoxAction::BoxOwn);

  const QString typed(QChar(static_cast<char16_t>(key)));
  // What stands after the cursor is not part of what is being typed.
  const QString prefix = now.text.left(now.start) + typed;
  if (const std::optional<int> item = FindItemWithPrefix(items, prefix.toStdString())) {
    const QString whole = QString::fromStdString(items[static_cast<std::size_t>(*item)]);
    const int typedLength = static_cast<int>(prefix.size());
    return Edit({whole, typedLength, static_cast<int>(whole.size()) - typedLength}, *item);
  }
  return Edit({QString(now.text).replace(now.start, now.length, typed), now.start + 1, 0});
}

}  // namespace plendo::app
