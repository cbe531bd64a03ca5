#include "cli/BatchSignals.h"

#include <pthread.h>
#include <signal.h>

#include <csignal>
#include <thread>

#include "platform/TempFileList.h"

namespace plendo::cli {
namespace {

sigset_t Watched() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, sig);
  return set;
}

// The default action of `sig` (ending the process) for this thread.
void EndBy(int sig) {
  std::signal(sig, SIG_DFL);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, sig);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  raise(sig);
}

}  // namespace

BatchSignals::BatchSignals() : state_(std::make_shared<State>()) {
  const sigset_t set = Watched();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  // Detached: it waits until the process ends, and its state is shared.
  std::thread([state = state_, set] {
    for (;;) {
      int sig = 0;
      if (sigwait(&set, &sig) != 0) continue;
      int none = 0;
      if (state->first.compare_exchange_strong(none, sig)) continue;
      platform::ProcessTempFiles().RemoveAllForGood();
      EndBy(sig);
    }
  }).detach();
}

void BatchSignals::EndByCaughtSignal() const {
  if (const int sig = state_->first.load()) EndBy(sig);
}

}  // namespace plendo::cli
