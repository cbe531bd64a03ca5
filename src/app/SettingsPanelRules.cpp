#include "app/SettingsPanelRules.h"

#include <QString>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>
#include <system_error>

namespace plendo::app {
namespace {

// A whole number as the size edit box holds it: an optional sign and
// decimal digits, within 32 bits.
std::optional<std::int32_t> ParseWholeNumber(const std::string& text) {
  std::string_view digits = text;
  bool negative = false;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  if (digits.empty()) return std::nullopt;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return QString::compare(QString::fromStdString(a), QString::fromStdString(b),
                         Qt::CaseInsensitive) == 0;
}

}  // namespace

int IndexOfIgnoringCase(const std::vector<std::string>& items, const std::string& text) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (SameIgnoringCase(items[i], text)) return static_cast<int>(i);
  }
  return -1;
}

QPoint DefaultSettingsPanelPosition(QPoint mainTopLeft, const QRect& virtualScreen,
                                    QSize panelOuterSize) {
  int top = mainTopLeft.y() + 120;
  if (top > virtualScreen.y() + virtualScreen.height() - panelOuterSize.height())
    top = mainTopLeft.y() - 120;
  int left = mainTopLeft.x() + 100;
  if (left > virtualScreen.x() + virtualScreen.width() - panelOuterSize.width())
    left = mainTopLeft.x() - 100;
  return {left, top};
}

SizeEditState EvaluateSizeEdit(const std::string& text, const std::vector<std::string>& items) {
  SizeEditState state;
  const std::optional<std::int32_t> value = ParseWholeNumber(text);
  if (!value || *value <= 0) return state;
  const bool listed = IndexOfIgnoringCase(items, text) >= 0;
  state.insertEnabled = !listed;
  state.deleteEnabled = listed;
  state.canonical = std::to_string(*value);
  return state;
}

}  // namespace plendo::app
