#pragma once
// Shell completion scripts for plendo-batch, written from the same option
// table as its parser and --help, so the three never disagree. The build
// writes them with plendo-completions and installs them where bash-completion,
// zsh and fish look.
#include <string>

namespace plendo::cli {

std::string BashCompletion();  // for /usr/share/bash-completion/completions/plendo-batch
std::string ZshCompletion();   // for /usr/share/zsh/vendor-completions/_plendo-batch
std::string FishCompletion();  // for /usr/share/fish/vendor_completions.d/plendo-batch.fish

}  // namespace plendo::cli
