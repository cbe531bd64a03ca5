#pragma once
// A borderless container (WOBASE, CSBASE). Made unusable during a batch with
// XQTDisp on, it swallows input to itself and its children without disabling
// them, so the buttons inside keep their normal look.
#include <QWidget>

namespace plendo::app {

class TPanelBase : public QWidget {
  Q_OBJECT
 public:
  explicit TPanelBase(QWidget* parent = nullptr);

  bool Usable() const { return usable_; }
  void SetUsable(bool usable);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void childEvent(QChildEvent* event) override;

 private:
  bool usable_ = true;
};

// The same for a container that is not a TPanelBase (GSizeBox): swallows input
// to the container and everything in it while unusable, without greying it.
class InputGate : public QObject {
 public:
  explicit InputGate(QWidget* container) : QObject(container), container_(container) {}
  void SetUsable(bool usable);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* container_;
  bool usable_ = true;
};

}  // namespace plendo::app
