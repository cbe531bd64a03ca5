// One file as the panel sees it: the conversion's outcome replayed step by
// step (lamps, preview, size, messages) with the output written in its
// place, exactly as if the whole file had been converted on this thread.
#include <exception>
#include <stdexcept>
#include <system_error>

#include "engine/FileConverter.h"
#include "engine/OutputNaming.h"
#include "engine/OutputFile.h"
#include "engine/ResizeEngine.h"
#include "engine/ScopeExit.h"

namespace plendo::engine {

BatchParameters ResizeEngine::CurrentParameters() const {
  BatchParameters p;
  p.settings = settings_;
  p.work = global_work_value_;
  p.size = ParseSizeChoice(host_.IsActualSize(), host_.SizeText());
  p.side = host_.Side();
  p.wo_path = host_.WOPath();
  p.preview_area = host_.PreviewArea();
  p.dry_run = dry_run_;
  return p;
}

void ResizeEngine::ResizeGRP(const std::filesystem::path& path) {
  const BatchParameters parameters = CurrentParameters();
  written_.clear();  // one file is a batch of its own
  FileConversion conversion = FileConverter(parameters).Convert(path);
  Commit(conversion, parameters);
}

void ResizeEngine::Commit(FileConversion& c, const BatchParameters& parameters) {
  host_.LightOn(Lamp::Read);
  exif_found_ = c.exif_found;
  exif_with_thumbnail_ = c.exif_with_thumbnail;

  // The conversion does not depend on the preview.
  try {
    if (c.preview_failed) throw std::runtime_error("no preview");
    host_.LoadPreview(c.source, std::move(c.preview));
  } catch (...) {
    host_.ShowMonitorMessage(kRed, kMsgNoPreview);
  }
  if (!c.decoded) {
    host_.FailureReason(c.reason);
    host_.ShowMonitorMessage(kRed, kMsgUnprocessable);  // the read lamp stays lit
    return;
  }
  host_.SetSizeCaption(SizeCaption(c.source_width, c.source_height));
  // Only a source that cannot be read leaves the read lamp lit.
  host_.LightOff(Lamp::Read);
  if (c.size_missing) {
    host_.ShowMonitorMessage(kRed, kMsgNoSize);
    return;
  }
  if (c.folder_missing) {
    host_.ShowMonitorMessage(kRed, kMsgNoFolder);
    return;
  }
  // A batch never replaces its own work: a name it has written already
  // (two sources of the same name) takes the first numbered name it has not.
  const std::filesystem::path out_path = UnclaimedOutPath(c.out_path);
  // The overwrite rule looks again now, at the name the file gets: the file
  // there may have gone meanwhile, or been left by an earlier batch.
  if (!parameters.OverwriteAllowed() && FileExistsAt(out_path)) return;
  if (c.render == RenderOutcome::Existing) {
    BatchParameters again = parameters;
    again.check_existing = false;
    c = FileConverter(again).Convert(c.source, c.out_subfolder);
    exif_found_ = c.exif_found;
    exif_with_thumbnail_ = c.exif_with_thumbnail;
  }
  c.out_path = out_path;
  CommitWriteStep(c, parameters);
}

void ResizeEngine::CommitWriteStep(FileConversion& c, const BatchParameters& parameters) {
  std::string escaped;  // an error that left the step shows after the lamps go out
  {
    host_.LightOn(Lamp::Write);
    host_.SetLampStatus(Lamp::Exif, c.exif_lamp);
    ScopeExit lamps_off([this] {
      host_.LightOff(Lamp::Exif);
      host_.LightOff(Lamp::Write);
    });
    switch (c.render) {
      case RenderOutcome::Refused: host_.ShowMonitorMessage(kRed, c.message); break;
      case RenderOutcome::Failed: escaped = c.message; break;
      case RenderOutcome::Ready:
        if (WriteOutput(c, parameters)) {
          host_.OutputFacts({c.out_width, c.out_height, c.bytes.size(), c.seconds});
          host_.OutputWritten(c.out_path);
          if (!c.size_note.empty()) escaped = c.size_note;
        }
        break;
      case RenderOutcome::NotReached:
      case RenderOutcome::Existing: break;
    }
  }
  if (!escaped.empty()) host_.ShowMonitorMessage(kRed, escaped);
}

std::filesystem::path ResizeEngine::UnclaimedOutPath(const std::filesystem::path& wanted) const {
  const auto claimed = [this](const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
    return !ec && written_.count(canonical) != 0;
  };
  if (!claimed(wanted)) return wanted;
  const std::string name = wanted.filename().string();
  for (int n = 2;; ++n) {
    std::filesystem::path numbered = wanted.parent_path() / NumberedName(name, n);
    if (!claimed(numbered)) return numbered;
  }
}

// True when the file was written and counted.
bool ResizeEngine::WriteOutput(const FileConversion& c, const BatchParameters& parameters) {
  std::error_code ec;
  if (parameters.dry_run) {
    written_.insert(std::filesystem::weakly_canonical(c.out_path, ec));
    ++output_count_;
    return true;
  }
  try {
    // A walked folder's tree is made below the chosen output folder as its files arrive.
    if (!c.out_subfolder.empty()) std::filesystem::create_directories(c.out_path.parent_path());
    if (WriteFileAtomically(c.out_path, c.bytes, parameters.OverwriteAllowed()) == WriteOutcome::AlreadyExists)
      return false;  // appeared since the overwrite rule looked: skipped like any existing output
    written_.insert(std::filesystem::weakly_canonical(c.out_path, ec));
    if (c.exif_failed) throw OutputFileError("the EXIF data could not be put into " + c.out_path.string(),
                                          "the EXIF data could not be put in");
    ++output_count_;
    return true;
  } catch (const OutputFileError& e) {
    host_.FailureReason(e.Reason());
    host_.ShowMonitorMessage(kRed, kMsgWriteError);
    return false;
  } catch (const std::exception&) {
    host_.ShowMonitorMessage(kRed, kMsgWriteError);
    return false;
  }
}

}  // namespace plendo::engine
