#include "app/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <algorithm>

namespace plendo::app {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int columns,
                       QWidget* parent)
    : QGroupBox(caption, parent), columns_(std::max(columns, 1)) {
  auto* group = new QButtonGroup(this);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    group->addButton(button, i);
    buttons_.push_back(button);
  }
  connect(group, &QButtonGroup::idClicked, this, [this](int id) {
    if (id == index_) return;
    index_ = id;
    if (onClick_) onClick_();
  });
}

void RadioGroup::SetItemIndex(int index) {
  if (index < -1 || index >= Count() || index == index_) return;
  index_ = index;
  if (index >= 0) {
    buttons_[static_cast<std::size_t>(index)]->setChecked(true);
  } else {
    for (QRadioButton* b : buttons_) {
      b->setAutoExclusive(false);
      b->setChecked(false);
      b->setAutoExclusive(true);
    }
  }
  if (onClick_) onClick_();
}

void RadioGroup::resizeEvent(QResizeEvent* event) {
  QGroupBox::resizeEvent(event);
  Arrange();
}

// Rows below the caption share the height evenly; columns share the width.
void RadioGroup::Arrange() {
  if (buttons_.empty()) return;
  const int count = Count();
  const int rows = (count + columns_ - 1) / columns_;
  const int top = title().isEmpty() ? 4 : 14;
  const int left = 8;
  const int columnWidth = (width() - left - 2) / columns_;
  const int rowHeight = std::max((height() - top - 4) / rows, 14);
  for (int i = 0; i < count; ++i) {
    const int column = i / rows, row = i % rows;
    buttons_[static_cast<std::size_t>(i)]->setGeometry(
        left + column * columnWidth, top + row * rowHeight, columnWidth - 2, rowHeight);
  }
}

}  // namespace plendo::app
