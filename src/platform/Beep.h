#pragma once
// The default beep. The panel installs the toolkit's beep; tests install a
// counter; without a handler a beep is silent.
#include <functional>

namespace plendo::platform {

using BeepHandler = std::function<void()>;

// Replaces the handler and returns the previous one.
BeepHandler SetBeepHandler(BeepHandler handler);
void Beep();

}  // namespace plendo::platform
