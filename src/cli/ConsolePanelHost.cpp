#include "cli/ConsolePanelHost.h"

#include <iomanip>
#include <ostream>
#include <sstream>

#include "cli/BatchTexts.h"
#include "engine/EngineTexts.h"

namespace plendo::cli {
namespace {

// The monitor label's two lines become one.
std::string OneLine(std::string text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    out += (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
  }
  return out;
}

}  // namespace

ConsolePanelHost::ConsolePanelHost(const BatchJob& job, std::vector<std::filesystem::path> items, std::ostream& out,
                                   std::ostream& err, bool show_progress)
    : size_text_(job.size_text),
      side_(job.side),
      wo_path_(job.wo_path),
      items_(std::move(items)),
      out_(out),
      err_(err),
      show_progress_(show_progress) {}

void ConsolePanelHost::ShowMonitorMessage(engine::Colour colour, const std::string& text) {
  if (colour == engine::kRed) error_ = text;
}

void ConsolePanelHost::ClearMonitorMessage() { started_ = true; }

void ConsolePanelHost::OutputWritten(const std::filesystem::path& output) { written_.push_back(output); }

// Called once before each item, whether it runs or the batch was stopped.
void ConsolePanelHost::ProcessPendingMessages() {
  EndItem();
  ++current_;
  if (stop_requested && !stopped_ && stop_requested()) {
    stopped_ = true;
    if (on_stop) on_stop();
  }
  if (show_progress_ && current_ < static_cast<long>(items_.size())) {
    err_ << "\r\033[K[" << current_ + 1 << "/" << items_.size() << "] " << items_[current_].filename().string()
         << std::flush;
  }
}

void ConsolePanelHost::EndItem() {
  if (current_ < 0 || current_ >= static_cast<long>(items_.size())) return;
  ClearProgress();
  const std::string source = items_[current_].string();
  const Language language = style_.language;
  if (!written_.empty()) {
    PrintWritten(source);
  } else if (!error_.empty()) {
    err_ << "plendo-batch: " << source << ": " << (reason_.empty() ? "" : EngineSays(language, reason_) + ": ")
         << OneLine(EngineSays(language, error_)) << '\n';
    ++failed_;
  } else if (!started_) {
    if (!style_.quiet) err_ << Say(language, PLENDO_TEXT("plendo-batch", "%1: not converted (stopped)"), {source}) << '\n';
    ++not_converted_;
  } else if (reached_pipeline_) {
    if (!style_.quiet)
      err_ << Say(language, PLENDO_TEXT("plendo-batch", "%1: skipped (the output file exists)"), {source}) << '\n';
    ++skipped_existing_;
  } else {
    if (!style_.quiet)
      err_ << Say(language, PLENDO_TEXT("plendo-batch", "%1: skipped (not of the chosen type)"), {source}) << '\n';
    ++skipped_type_;
  }
  out_.flush();
  err_.flush();
  started_ = reached_pipeline_ = false;
  error_.clear();
  reason_.clear();
  written_.clear();
  facts_.clear();
}

// "OUT", "SOURCE -> OUT" in a dry run; verbose adds "(640 x 480, 52113
// bytes, 0.042 s)", without the bytes in a dry run, where none are made.
void ConsolePanelHost::PrintWritten(const std::string& source) {
  if (style_.quiet) return;
  for (std::size_t i = 0; i < written_.size(); ++i) {
    if (style_.dry_run) out_ << source << " -> ";
    out_ << written_[i].string();
    if (style_.verbose && i < facts_.size()) {
      const WrittenFacts& f = facts_[i];
      std::ostringstream seconds;
      seconds << std::fixed << std::setprecision(3) << f.seconds;
      const std::vector<std::string> values = {std::to_string(f.width), std::to_string(f.height),
                                               style_.dry_run ? seconds.str() : std::to_string(f.bytes), seconds.str()};
      out_ << " ("
           << (style_.dry_run ? Say(style_.language, PLENDO_TEXT("plendo-batch", "%1 x %2, %3 s"), values)
                              : Say(style_.language, PLENDO_TEXT("plendo-batch", "%1 x %2, %3 bytes, %4 s"), values))
           << ")";
    }
    // A file written over its size limit carries the note after its path.
    if (!error_.empty()) out_ << "  (" << OneLine(EngineSays(style_.language, error_)) << ")";
    out_ << '\n';
  }
}

void ConsolePanelHost::ClearProgress() {
  if (show_progress_) err_ << "\r\033[K" << std::flush;
}

void ConsolePanelHost::Finish(int output_count) {
  EndItem();
  current_ = static_cast<long>(items_.size());
  ClearProgress();
  PrintTally(output_count);
  const std::string count = std::to_string(output_count);
  out_ << (style_.dry_run ? Say(style_.language, PLENDO_TEXT("plendo-batch", "%1 would be written"), {count})
                          : EngineSays(style_.language, engine::FillIn(engine::kCountCaption, {count})))
       << std::endl;
}

// On the standard output, so that it stands right above the count it explains.
void ConsolePanelHost::PrintTally(int output_count) {
  const int skipped = skipped_existing_ + skipped_type_;
  if (skipped == 0 && failed_ == 0 && not_converted_ == 0) return;
  const std::vector<std::string> values = {std::to_string(output_count), std::to_string(skipped),
                                           std::to_string(skipped_existing_), std::to_string(skipped_type_),
                                           std::to_string(failed_)};
  out_ << (style_.dry_run
               ? Say(style_.language,
                     PLENDO_TEXT("plendo-batch", "%1 would be written, %2 skipped (%3 output existed, %4 not of the "
                                                 "chosen type), %5 failed"),
                     values)
               : Say(style_.language,
                     PLENDO_TEXT("plendo-batch", "%1 written, %2 skipped (%3 output existed, %4 not of the chosen "
                                                 "type), %5 failed"),
                     values));
  if (not_converted_ > 0)
    out_ << Say(style_.language, PLENDO_TEXT("plendo-batch", ", %1 not converted (stopped)"),
                {std::to_string(not_converted_)});
  out_ << '\n';
}

}  // namespace plendo::cli
