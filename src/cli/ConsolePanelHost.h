#pragma once
// The panel of plendo-batch: no window, one line per file. The path of a
// written file goes to the standard output; a file that failed gets
// "plendo-batch: FILE: reason: message" on the standard error (the reason in
// the system's or the decoder's words, then the panel's message on one
// line), and a skipped one says why it was skipped.
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/BatchOptions.h"
#include "platform/Language.h"
#include "engine/PanelHost.h"

namespace plendo::cli {

// How much is printed per file.
struct ReportStyle {
  bool quiet = false;    // failures and the count only
  bool verbose = false;  // each output with its pixel size, bytes and time
  bool dry_run = false;  // "SOURCE -> OUTPUT" for each file that would be written
  platform::Language language = platform::Language::English;  // of everything but the paths
};

class ConsolePanelHost : public engine::PanelHost {
 public:
  ConsolePanelHost(const BatchJob& job, std::vector<std::filesystem::path> items, std::ostream& out,
                   std::ostream& err, bool show_progress);

  // Asked between two files; true stops the batch (Ctrl-C).
  std::function<bool()> stop_requested;
  // Called when a stop is asked for: clears the engine's Running.
  std::function<void()> on_stop;

  void SetReport(const ReportStyle& style) { style_ = style; }

  // Prints the line of the last file, the tally when not every file was
  // written, and the count.
  void Finish(int output_count);
  int FailedCount() const { return failed_; }
  bool Stopped() const { return stopped_; }

  void ShowMonitorMessage(engine::Colour colour, const std::string& text) override;
  void ClearMonitorMessage() override;
  bool IsActualSize() const override { return size_text_ == kActualSizeText; }
  std::string SizeText() const override { return size_text_; }
  engine::SizeSide Side() const override { return side_; }
  std::string WOPath() const override { return wo_path_; }
  void LightOn(engine::Lamp) override {}
  void LightOff(engine::Lamp) override {}
  void SetLampStatus(engine::Lamp, bool) override {}
  void SetSizeCaption(const std::string&) override {}
  void LoadPreview(const std::filesystem::path&, std::unique_ptr<preview::TGraphic>) override {
    reached_pipeline_ = true;
  }
  void ClearPreview() override {}
  void SetTermCaption(const std::string&, bool) override {}
  void ChangeButtonsEnabled(bool) override {}
  void ProcessPendingMessages() override;
  void OutputFacts(const WrittenFacts& facts) override { facts_.push_back(facts); }
  void OutputWritten(const std::filesystem::path& output) override;
  void FailureReason(const std::string& reason) override { reason_ = reason; }

 private:
  void EndItem();
  void ClearProgress();
  void PrintTally(int output_count);
  void PrintWritten(const std::string& source);

  std::string size_text_;
  engine::SizeSide side_;
  std::string wo_path_;
  std::vector<std::filesystem::path> items_;
  std::ostream& out_;
  std::ostream& err_;
  bool show_progress_;

  // The item under way: -1 before the first.
  long current_ = -1;
  bool started_ = false;          // the batch got past its stop check for it
  bool reached_pipeline_ = false;  // the type filter let it through
  std::string error_;             // its last red message
  std::string reason_;            // why it failed, when the engine knows
  std::vector<std::filesystem::path> written_;
  std::vector<WrittenFacts> facts_;  // with written_, when the engine told them
  ReportStyle style_;
  int failed_ = 0;
  int skipped_existing_ = 0;  // the overwrite rule kept an earlier output
  int skipped_type_ = 0;      // the type filter passed it by
  int not_converted_ = 0;     // after a stop
  bool stopped_ = false;
};

}  // namespace plendo::cli
