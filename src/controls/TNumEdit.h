#pragma once
// A one-line, right-aligned edit box for numbers: it takes only characters
// that can form a number (NumEditRules), moves the focus on with Enter and
// selects its whole text whenever it receives the focus.
#include <QLineEdit>

namespace plendo::controls {

class TNumEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(bool autoSelect READ AutoSelect WRITE SetAutoSelect)
 public:
  explicit TNumEdit(QWidget* parent = nullptr);

  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool on) { autoSelect_ = on; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  bool autoSelect_ = true;
};

}  // namespace plendo::controls
