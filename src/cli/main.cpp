// plendo-batch: the resize engine from a shell.
#include <unistd.h>

#include <csignal>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/BatchRun.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;

// The first Ctrl-C finishes the current file and stops; a second one ends
// the program at once.
extern "C" void OnInterrupt(int) {
  interrupted = 1;
  std::signal(SIGINT, SIG_DFL);
}

std::filesystem::path ExecutablePath(const char* argv0) {
  std::error_code ec;
  auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) return self;
  return std::filesystem::absolute(argv0, ec);
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::signal(SIGINT, OnInterrupt);
  plendo::cli::BatchEnvironment environment;
  environment.executable = ExecutablePath(argc > 0 ? argv[0] : "plendo-batch");
  environment.show_progress = ::isatty(STDERR_FILENO) == 1;
  environment.stop_requested = [] { return interrupted != 0; };
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return plendo::cli::RunBatch(args, std::cout, std::cerr, environment);
}
