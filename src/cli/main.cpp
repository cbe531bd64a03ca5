// plendo-batch: the resize engine from a shell.
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/BatchRun.h"
#include "cli/BatchSignals.h"
#include "platform/MemoryReuse.h"

namespace {

std::filesystem::path ExecutablePath(const char* argv0) {
  std::error_code ec;
  auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) return self;
  return std::filesystem::absolute(argv0, ec);
}

}  // namespace

int main(int argc, char** argv) {
  plendo::platform::KeepFreedBuffersForReuse();
  const plendo::cli::BatchSignals signals;  // before any other thread starts
  std::ios::sync_with_stdio(false);
  plendo::cli::BatchEnvironment environment;
  environment.executable = ExecutablePath(argc > 0 ? argv[0] : "plendo-batch");
  environment.show_progress = ::isatty(STDERR_FILENO) == 1;
  environment.stop_requested = [&signals] { return signals.StopRequested(); };
  environment.input = &std::cin;
  environment.language = plendo::platform::LocaleLanguage([](const char* name) { return std::getenv(name); });
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const int status = plendo::cli::RunBatch(args, std::cout, std::cerr, environment);
  std::cout.flush();
  std::cerr.flush();
  signals.EndByCaughtSignal();
  return status;
}
