#include "controls/TNumEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include "controls/NumEditRules.h"
#include "platform/Beep.h"

namespace plendo::controls {

TNumEdit::TNumEdit(QWidget* parent) : QLineEdit(parent) {
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // Digits only: an input method would hand over whole composed strings.
  setAttribute(Qt::WA_InputMethodEnabled, false);
}

void TNumEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    focusNextChild();
    return;
  }
  const QString typed = event->text();
  // Keys without a character (arrows, Home, Delete) are the box's own.
  if (typed.isEmpty() || event->key() == Qt::Key_Delete) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  const char32_t ch = typed.toUcs4().value(0);
  if (ch == 127) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  const int caret = hasSelectedText() ? selectionStart() : cursorPosition();
  switch (ClassifyNumEditKey(ch, text().toStdString(), caret)) {
    case NumEditKey::Pass:
      QLineEdit::keyPressEvent(event);
      return;
    case NumEditKey::NextControl:
      focusNextChild();
      break;
    case NumEditKey::Refuse:
      platform::Beep();
      break;
  }
  event->accept();
}

void TNumEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  // The toolkit selects on Tab only; here every focus selects, or none does.
  if (autoSelect_)
    selectAll();
  else
    deselect();
}

}  // namespace plendo::controls
