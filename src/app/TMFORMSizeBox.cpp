// The size box GDot: its items, the actual-size toggle and the keys typed
// into it. What a key does to the text is decided by TypeIntoSizeBox; this
// file only reads the box's state and shows the outcome.
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <optional>

#include "app/PanelTexts.h"
#include "app/SizeBoxRules.h"
#include "app/TMFORM.h"
#include "platform/Beep.h"
#include "settings/SizeList.h"

namespace plendo::app {
namespace {

// The character a key press types: Enter and Backspace as their control
// codes; nothing for keys without one (arrows, Delete, F-keys), which the
// edit line handles itself.
std::optional<char32_t> TypedCharacter(const QKeyEvent& key) {
  if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) return 13;
  if (key.key() == Qt::Key_Backspace) return 8;
  const QString text = key.text();
  if (text.isEmpty() || key.key() == Qt::Key_Delete) return std::nullopt;
  const char32_t ch = text.toUcs4().value(0);
  if (ch == 127) return std::nullopt;
  return ch;
}

}  // namespace

std::vector<std::string> TMFORM::SizeItems() const {
  std::vector<std::string> items;
  items.reserve(static_cast<std::size_t>(GDot->count()));
  for (int i = 0; i < GDot->count(); ++i) items.push_back(StoredSizeItem(GDot->itemText(i)));
  return items;
}

void TMFORM::SetSizeItems(const std::vector<std::string>& items) {
  const QSignalBlocker block(GDot);
  const QString text = GDot->currentText();
  GDot->clear();
  if (items.empty() || items.front() != settings::kActualSizeItem)
    GDot->addItem(ShownSizeItem(settings::kActualSizeItem));
  for (const std::string& item : items) GDot->addItem(ShownSizeItem(item));
  GDot->setCurrentIndex(-1);
  GDot->setEditText(text);
}

int TMFORM::SizeIndex() const { return GDot->currentIndex(); }

void TMFORM::SetSizeIndex(int index) {
  SelectGDotItem(index);
  GDotChange();
}

void TMFORM::SelectGDotItem(int index) {
  const QSignalBlocker block(GDot);
  if (index < 0 || index >= GDot->count()) index = -1;
  GDot->setCurrentIndex(index);
  if (index < 0) GDot->setEditText(QString());
}

void TMFORM::SetGDotTypedText(const QString& text, int selectFrom, int selectLength) {
  const QSignalBlocker block(GDot);
  const QSignalBlocker blockEdit(GDot->lineEdit());
  GDot->setCurrentIndex(-1);
  GDot->setEditText(text);
  if (selectLength > 0)
    GDot->lineEdit()->setSelection(selectFrom, selectLength);
  else
    GDot->lineEdit()->setCursorPosition(selectFrom);
}

SizeBoxText TMFORM::GDotText() const {
  const QLineEdit* edit = GDot->lineEdit();
  if (edit->hasSelectedText())
    return {edit->text(), edit->selectionStart(), static_cast<int>(edit->selectedText().size())};
  return {edit->text(), edit->cursorPosition(), 0};
}

void TMFORM::ShowGDotEdit(const SizeBoxKeyOutcome& edit) {
  if (edit.item < 0) {
    SetGDotTypedText(edit.shown.text, edit.shown.start, edit.shown.length);
    return;
  }
  SelectGDotItem(edit.item);
  GDot->lineEdit()->setSelection(edit.shown.start, edit.shown.length);
}

// Any other edit (paste, cut, Delete): the text no longer stands for an item.
void TMFORM::GDotTextEdited() {
  QLineEdit* edit = GDot->lineEdit();
  if (GDot->currentIndex() >= 0 && edit->text() != GDot->itemText(GDot->currentIndex()))
    SetGDotTypedText(edit->text(), edit->cursorPosition(), 0);
  GDotChange();
}

void TMFORM::GDotChange() {
  if (CheckGDotSizeSetOK()) CheckWOPathSetOK();
}

void TMFORM::GDotDblClick() {
  const int index = SizeIndex();
  if (index > 0) {
    settings_.SaveGSize = index;
    SelectGDotItem(0);
  } else {
    SelectGDotItem(settings_.SaveGSize);
  }
  GDotChange();
}

bool TMFORM::GDotKeyPress(char32_t ch) {
  const SizeBoxKeyOutcome outcome = TypeIntoSizeBox(GDotText(), ch, SizeItems());
  switch (outcome.action) {
    case SizeBoxAction::Nothing:
      return true;
    case SizeBoxAction::Toggle:
      GDotDblClick();
      return true;
    case SizeBoxAction::Beep:
      platform::Beep();
      return true;
    case SizeBoxAction::BoxOwn:
      return false;
    case SizeBoxAction::Edit:
      ShowGDotEdit(outcome);
      GDotChange();
      return true;
  }
  return true;
}

bool TMFORM::eventFilter(QObject* watched, QEvent* event) {
  if (watched == GDot || watched == GDot->lineEdit()) {
    if (event->type() == QEvent::KeyPress) {
      const std::optional<char32_t> ch = TypedCharacter(*static_cast<QKeyEvent*>(event));
      return ch && GDotKeyPress(*ch);
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
      GDotDblClick();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace plendo::app
