#include "app/PanelSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <csignal>

namespace plendo::app {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// The handler's only way to the panel: the write end of the pipe. A signal
// handler can reach nothing else.
volatile std::sig_atomic_t signalPipe = -1;

extern "C" void OnSignal(int sig) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(sig);
  if (signalPipe >= 0 && ::write(signalPipe, &byte, 1) < 0) {
    // A full pipe already holds a request to close.
  }
  errno = saved;
}

void SetHandler(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int sig : kSignals) sigaction(sig, &action, nullptr);
}

}  // namespace

CloseOnSignals::CloseOnSignals(QWidget& window) : window_(window) {
  if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;  // the signals keep their defaults
  notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &CloseOnSignals::CloseWindow);
  signalPipe = pipe_[1];
  SetHandler(OnSignal);
}

CloseOnSignals::~CloseOnSignals() {
  if (pipe_[0] < 0) return;
  SetHandler(SIG_DFL);
  signalPipe = -1;
  ::close(pipe_[0]);
  ::close(pipe_[1]);
}

void CloseOnSignals::CloseWindow() {
  unsigned char bytes[16];
  while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
  }
  // A dialog of the panel (settings, folder chooser, a message) goes first,
  // as the user would close it before pressing the end button.
  for (int i = 0; i < 8; ++i) {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == &window_) break;
    modal->close();
  }
  window_.close();
}

}  // namespace plendo::app
