#include "platform/Beep.h"

#include <utility>

namespace plendo::platform {
namespace {
// The one process-wide hook: a beep has no owner but the program.
BeepHandler& Handler() {
  static BeepHandler handler;
  return handler;
}
}  // namespace

BeepHandler SetBeepHandler(BeepHandler handler) {
  return std::exchange(Handler(), std::move(handler));
}

void Beep() {
  if (Handler()) Handler()();
}

}  // namespace plendo::platform
