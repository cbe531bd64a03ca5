#include "cli/BatchRun.h"

#include <fstream>
#include <istream>
#include <optional>
#include <ostream>
#include <set>
#include <system_error>

#include "BuildInfo.h"
#include "cli/BatchOptions.h"
#include "cli/BatchTexts.h"
#include "cli/ConsolePanelHost.h"
#include "engine/BatchParameters.h"
#include "engine/DropFeed.h"
#include "engine/FolderWalk.h"
#include "engine/ResizeEngine.h"
#include "settings/SettingsLocation.h"
#include "settings/SettingsStore.h"

namespace plendo::cli {
namespace {

namespace fs = std::filesystem;

// A folder given without -r.
constexpr const char* kMsgFolderWithoutRecursive = PLENDO_TEXT("plendo-batch", "Is a directory (use -r)");

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
    throw UsageError(PLENDO_TEXT("plendo-batch", "cannot read the settings file %1"), {options.settings_file->string()});
  return *options.settings_file;
}

// The panel takes a size it can use: 原寸 or a whole number above 0.
void CheckSize(const std::string& text) {
  if (!engine::ParseSizeChoice(text == kActualSizeText, text).Valid())
    throw UsageError(
        PLENDO_TEXT("plendo-batch", "the size '%1' is not a number of pixels: give --size N or --actual-size"), {text});
}

// The standard output carries what scripts read: when it cannot be written
// (a full disk, /dev/full), the run has failed, whatever else went well.
int CheckedOutput(std::ostream& out, std::ostream& err, Language language, int status) {
  out.flush();
  if (out) return status;
  err << "plendo-batch: " << Say(language, PLENDO_TEXT("plendo-batch", "write error on the standard output")) << '\n';
  return kExitSomeFailed;
}

// The names of a --files-from list: one a line (a last line without its
// newline counts; empty lines do not), or ended by NUL bytes.
std::vector<std::string> ReadNames(std::istream& in, bool null_separated) {
  std::vector<std::string> names;
  std::string name;
  while (std::getline(in, name, null_separated ? '\0' : '\n'))
    if (!name.empty()) names.push_back(name);
  return names;
}

std::vector<std::string> ListedNames(const std::string& list, bool null_separated, std::istream* input) {
  if (list == "-") {
    if (!input) throw UsageError(PLENDO_TEXT("plendo-batch", "--files-from - has no standard input to read"));
    return ReadNames(*input, null_separated);
  }
  std::ifstream file(list, std::ios::binary);
  if (!file) throw UsageError(PLENDO_TEXT("plendo-batch", "cannot read the list %1"), {list});
  return ReadNames(file, null_separated);
}

// Each name as an item of the batch, in order: a folder's files with -r (its
// unreadable folders as items that say so; the output folder passed by), a
// folder without -r refused, and a file met before left out.
std::vector<engine::BatchItem> BatchItems(const std::vector<std::string>& names, bool recursive,
                                          const fs::path& output_folder) {
  std::vector<engine::BatchItem> items;
  std::set<fs::path> met;
  const auto add = [&](engine::BatchItem item) {
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(item.source, ec);
    if (ec) canonical = item.source;
    if (met.insert(canonical).second) items.push_back(std::move(item));
  };
  for (const std::string& name : names) {
    std::error_code ec;
    if (!fs::is_directory(name, ec)) {
      add({name, {}, {}});
    } else if (!recursive) {
      add({name, {}, kMsgFolderWithoutRecursive});
    } else {
      engine::FolderWalk walk(name, output_folder);
      while (const std::optional<engine::WalkEntry> entry = walk.Next())
        if (std::optional<engine::BatchItem> item = engine::ItemOf(*entry)) add(std::move(*item));
    }
  }
  return items;
}

int Usage(std::ostream& err, Language language, const std::string& message) {
  err << "plendo-batch: " << message << '\n'
      << Say(language, PLENDO_TEXT("plendo-batch", "Try 'plendo-batch --help'.")) << '\n';
  return kExitUsage;
}

}  // namespace

fs::path DefaultSettingsFile(const fs::path& executable) {
  return settings::ResolveSettingsLocation(executable.parent_path() / "plendo").readPath;
}

int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             const BatchEnvironment& environment) {
  const Language language = environment.language;
  BatchJob job;
  BatchOptions options;
  std::vector<engine::BatchItem> items;
  try {
    options = ParseBatchOptions(args);
    if (options.help) {
      out << HelpText(language);
      return CheckedOutput(out, err, language, kExitOk);
    }
    if (options.version) {
      out << "plendo-batch " << build::kVersion << '\n';
      return CheckedOutput(out, err, language, kExitOk);
    }
    std::vector<std::string> names = options.files;
    if (options.files_from) {
      const std::vector<std::string> listed = ListedNames(*options.files_from, options.null_separated, environment.input);
      names.insert(names.end(), listed.begin(), listed.end());
    }
    if (names.empty() && !options.files_from) throw UsageError(PLENDO_TEXT("plendo-batch", "no files given"));
    job = MakeBatchJob(ReadStoredState(SettingsFileFor(options, environment)), options);
    CheckSize(job.size_text);
    items = BatchItems(names, options.recursive, job.app.OutOrigDir ? fs::path() : fs::path(job.wo_path));
  } catch (const UsageError& e) {
    return Usage(err, language, e.Message(language));
  }

  std::error_code ec;
  if (!job.app.OutOrigDir && !fs::is_directory(job.wo_path, ec)) {
    err << "plendo-batch: "
        << Say(language, PLENDO_TEXT("plendo-batch", "the output folder does not exist (%1)"), {job.wo_path}) << '\n';
    return kExitSomeFailed;
  }

  std::vector<fs::path> sources;
  for (const auto& item : items) sources.push_back(item.source);
  ConsolePanelHost host(job, sources, out, err, environment.show_progress);
  host.SetReport({options.quiet, options.verbose, options.dry_run, language});
  engine::ResizeEngine engine(job.app, host);
  engine.SetDryRun(options.dry_run);
  host.stop_requested = environment.stop_requested;
  host.on_stop = [&engine] { engine.ClearRunning(); };
  engine::ItemList feed(std::move(items));
  engine.XQTDropItems(feed);
  host.Finish(engine.OutputCount());
  return CheckedOutput(out, err, language, host.FailedCount() > 0 || host.Stopped() ? kExitSomeFailed : kExitOk);
}

}  // namespace plendo::cli
