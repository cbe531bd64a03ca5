#pragma once
// A framed group of radio buttons laid out in columns, filled column by
// column, with one index. Setting the index from code runs the click
// reaction as a user's click does, but only when the index really changes.
#include <QGroupBox>
#include <QStringList>
#include <functional>
#include <vector>

class QRadioButton;

namespace plendo::app {

class RadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  RadioGroup(const QString& caption, const QStringList& items, int columns,
             QWidget* parent = nullptr);

  int ItemIndex() const { return index_; }
  void SetItemIndex(int index);
  QRadioButton* Button(int index) const { return buttons_.at(static_cast<std::size_t>(index)); }
  int Count() const { return static_cast<int>(buttons_.size()); }
  void SetOnClick(std::function<void()> onClick) { onClick_ = std::move(onClick); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Arrange();

  std::vector<QRadioButton*> buttons_;
  int columns_ = 1;
  int index_ = -1;  // none until set, so the first setting always reacts
  std::function<void()> onClick_;
};

}  // namespace plendo::app
