#include "cli/BatchRun.h"

#include <ostream>
#include <system_error>

#include "BuildInfo.h"
#include "cli/BatchOptions.h"
#include "cli/ConsolePanelHost.h"
#include "engine/BatchParameters.h"
#include "engine/ResizeEngine.h"
#include "settings/SettingsLocation.h"
#include "settings/SettingsStore.h"

namespace plendo::cli {
namespace {

namespace fs = std::filesystem;

engine::SizeSide SideOf(int index) {
  switch (index) {
    case 1: return engine::SizeSide::Width;
    case 2: return engine::SizeSide::Height;
    default: return engine::SizeSide::LongSide;
  }
}

// The size box as the panel would show it at start: the selected item's text.
std::string StoredSizeText(const settings::MainPanelSettings& panel) {
  if (panel.GSize < 0 || static_cast<std::size_t>(panel.GSize) >= panel.RSize.size()) return {};
  return panel.RSize[static_cast<std::size_t>(panel.GSize)];
}

BatchJob ReadStoredState(const fs::path& file) {
  const settings::StartSettings start = settings::ReadStartSettings(file);
  BatchJob state;
  state.app = start.app;
  state.size_text = StoredSizeText(start.panel);
  state.side = SideOf(start.panel.SideIndex());
  state.wo_path = start.panel.WOPath;
  return state;
}

fs::path SettingsFileFor(const BatchOptions& options, const BatchEnvironment& environment) {
  if (!options.settings_file) return DefaultSettingsFile(environment.executable);
  std::error_code ec;
  if (!fs::is_regular_file(*options.settings_file, ec))
    throw UsageError("cannot read the settings file " + options.settings_file->string());
  return *options.settings_file;
}

// The panel takes a size it can use: 原寸 or a whole number above 0.
void CheckSize(const std::string& text) {
  if (!engine::ParseSizeChoice(text == kActualSizeText, text).Valid())
    throw UsageError("the size '" + text + "' is not a number of pixels: give --size N or --actual-size");
}

// The standard output carries what scripts read: when it cannot be written
// (a full disk, /dev/full), the run has failed, whatever else went well.
int CheckedOutput(std::ostream& out, std::ostream& err, int status) {
  out.flush();
  if (out) return status;
  err << "plendo-batch: write error on the standard output\n";
  return kExitSomeFailed;
}

int Usage(std::ostream& err, const std::string& message) {
  err << "plendo-batch: " << message << "\nTry 'plendo-batch --help'.\n";
  return kExitUsage;
}

}  // namespace

fs::path DefaultSettingsFile(const fs::path& executable) {
  return settings::ResolveSettingsLocation(executable.parent_path() / "plendo").readPath;
}

int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             const BatchEnvironment& environment) {
  BatchJob job;
  std::vector<fs::path> items;
  try {
    const BatchOptions options = ParseBatchOptions(args);
    if (options.help) {
      out << HelpText();
      return CheckedOutput(out, err, kExitOk);
    }
    if (options.version) {
      out << "plendo-batch " << build::kVersion << '\n';
      return CheckedOutput(out, err, kExitOk);
    }
    if (options.files.empty()) throw UsageError("no files given");
    job = MakeBatchJob(ReadStoredState(SettingsFileFor(options, environment)), options);
    CheckSize(job.size_text);
    for (const auto& f : options.files) items.emplace_back(f);
  } catch (const UsageError& e) {
    return Usage(err, e.Message());
  }

  std::error_code ec;
  if (!job.app.OutOrigDir && !fs::is_directory(job.wo_path, ec)) {
    err << "plendo-batch: 出力先フォルダが 存在しません！ (" << job.wo_path << ")\n";
    return kExitSomeFailed;
  }

  ConsolePanelHost host(job, items, out, err, environment.show_progress);
  engine::ResizeEngine engine(job.app, host);
  host.stop_requested = environment.stop_requested;
  host.on_stop = [&engine] { engine.ClearRunning(); };
  engine.XQTDropFiles(items);
  host.Finish(engine.OutputCount());
  return CheckedOutput(out, err, host.FailedCount() > 0 || host.Stopped() ? kExitSomeFailed : kExitOk);
}

}  // namespace plendo::cli
