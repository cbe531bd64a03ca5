// plendo-completions SHELL: writes plendo-batch's completion script for bash,
// zsh or fish on the standard output. Run by the build, not installed.
#include <cstdio>
#include <string>

#include "cli/ShellCompletion.h"

int main(int argc, char** argv) {
  const std::string shell = argc == 2 ? argv[1] : "";
  std::string script;
  if (shell == "bash") script = plendo::cli::BashCompletion();
  else if (shell == "zsh") script = plendo::cli::ZshCompletion();
  else if (shell == "fish") script = plendo::cli::FishCompletion();
  if (script.empty()) {
    std::fputs("usage: plendo-completions bash|zsh|fish\n", stderr);
    return 2;
  }
  return std::fputs(script.c_str(), stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
}
