#include "controls/NumEditRules.h"

namespace plendo::controls {

NumEditKey ClassifyNumEditKey(char32_t ch, std::string_view text, int caret) {
  if (ch == 13) return NumEditKey::NextControl;
  if ((ch >= 1 && ch <= 31) || (ch >= U'0' && ch <= U'9')) return NumEditKey::Pass;
  if (ch == U'+' || ch == U'-') return caret == 0 ? NumEditKey::Pass : NumEditKey::Refuse;
  if (ch == U'.') return text.find('.') == std::string_view::npos ? NumEditKey::Pass : NumEditKey::Refuse;
  return NumEditKey::Refuse;
}

}  // namespace plendo::controls
