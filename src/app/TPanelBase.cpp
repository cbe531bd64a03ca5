#include "app/TPanelBase.h"

#include <QChildEvent>
#include <QEvent>

namespace plendo::app {
namespace {

bool IsInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
      return true;
    default:
      return false;
  }
}

}  // namespace

TPanelBase::TPanelBase(QWidget* parent) : QWidget(parent) { installEventFilter(this); }

void TPanelBase::SetUsable(bool usable) {
  usable_ = usable;
  if (usable) return;
  // A focused child would still take Space; hand the focus on.
  if (QWidget* focused = focusWidget(); focused && isAncestorOf(focused)) focused->clearFocus();
}

void TPanelBase::childEvent(QChildEvent* event) {
  if (event->added() && event->child()->isWidgetType()) event->child()->installEventFilter(this);
  QWidget::childEvent(event);
}

bool TPanelBase::eventFilter(QObject* watched, QEvent* event) {
  if (!usable_ && IsInput(event->type())) return true;
  return QWidget::eventFilter(watched, event);
}

void InputGate::SetUsable(bool usable) {
  usable_ = usable;
  if (usable) return;
  // Installed now, so it sees the events before any other filter of the
  // children (GDot's typing and double-click).
  container_->installEventFilter(this);
  for (QWidget* child : container_->findChildren<QWidget*>()) child->installEventFilter(this);
  if (QWidget* focused = container_->focusWidget(); focused && container_->isAncestorOf(focused))
    focused->clearFocus();
}

bool InputGate::eventFilter(QObject* watched, QEvent* event) {
  if (!usable_ && IsInput(event->type())) return true;
  return QObject::eventFilter(watched, event);
}

}  // namespace plendo::app
