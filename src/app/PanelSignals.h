#pragma once
// SIGTERM (a logout, a shutdown), SIGHUP and SIGINT end the panel the way its
// end button does: a running batch stops after the current file, the
// settings are written and the socket is removed, all through the window's
// own close. The signal handler only writes the signal's number into a pipe;
// the panel's thread reads it and closes the window.
#include <QObject>

class QSocketNotifier;
class QWidget;

namespace plendo::app {

class CloseOnSignals : public QObject {
 public:
  // Hooks the signals for `window`; a signal that came before the message
  // loop runs takes effect once it does.
  explicit CloseOnSignals(QWidget& window);
  ~CloseOnSignals() override;
  CloseOnSignals(const CloseOnSignals&) = delete;
  CloseOnSignals& operator=(const CloseOnSignals&) = delete;

 private:
  void CloseWindow();

  QWidget& window_;
  int pipe_[2] = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace plendo::app
