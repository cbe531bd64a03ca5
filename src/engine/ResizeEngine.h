#pragma once
// The resize engine: everything from a drop of files to written JPEGs. It
// works only through the PanelHost and the settings record, so the panel, the
// command-line front end and the tests drive the same code.
//
// One batch at a time: XQTDropFiles refuses to start while another batch is
// still inside its loop (a drop arriving during a batch is the panel's to refuse).
//
// Threads: files are converted (FileConverter) on a pool of workers, a few
// ahead; everything the panel sees and every write happens on the thread
// that called XQTDropFiles, one file after the other in the batch's order.
// The panel runs that on a thread of its own and hands the host's calls to
// its user-interface thread; Running, ClearRunning and InBatch may be used
// from any thread.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "engine/BatchItem.h"
#include "engine/BatchParameters.h"
#include "engine/FileConversion.h"
#include "engine/JobParameters.h"
#include "engine/PanelHost.h"
#include "engine/ResizeJob.h"
#include "platform/Language.h"
#include "settings/AppSettings.h"

namespace plendo::engine {

// Texts the engine shows on the monitor label.
inline constexpr const char* kMsgNoPreview = PLENDO_TEXT("Engine", "このファイルは\r\nモニタ表示できません");
inline constexpr const char* kMsgUnprocessable = PLENDO_TEXT("Engine", "このファイルは\r\n処理不能です (^_^;)");
inline constexpr const char* kMsgWriteError = PLENDO_TEXT("Engine", "書き込みエラー！\r\n出力先に保存できません");
inline constexpr const char* kMsgTooLarge = PLENDO_TEXT("Engine", "変換サイズが\r\n大きすぎます");
inline constexpr const char* kMsgNoSize = PLENDO_TEXT("Engine", "変換サイズ 未設定");
inline constexpr const char* kMsgNoFolder = PLENDO_TEXT("Engine", "画像出力先 未設定");
inline constexpr const char* kCaptionAbort = PLENDO_TEXT("Engine", "中断");
inline constexpr const char* kCaptionEnd = PLENDO_TEXT("Engine", "終了");

// JPEG cannot hold a side longer than this.
inline constexpr int kMaxJpegSide = 65500;

// Rounds to the nearest integer, halves to the even neighbour (852.5 -> 852,
// 853.5 -> 854), as the working bitmap is sized.
long long RoundHalfToEven(double value);

class ResizeEngine {
 public:
  ResizeEngine(const settings::AppSettings& settings, PanelHost& host);
  ~ResizeEngine();
  ResizeEngine(const ResizeEngine&) = delete;
  ResizeEngine& operator=(const ResizeEngine&) = delete;

  // Job parameters of a batch; also clears Running and OutputCount.
  void SetGlobalWorkValue();
  const TGlobalWorkValue& GlobalWorkValue() const { return global_work_value_; }

  // Runs one batch over `items`: converted on worker threads (the setting
  // Jobs), committed here in their order. With FolderDrop a dropped folder
  // gives the files below it, walked as the batch goes, their outputs
  // placed as the tree below it in a chosen output folder. Returns false,
  // doing nothing, when called while a batch is already running.
  bool XQTDropFiles(const std::vector<std::filesystem::path>& items);
  // The same over items as `feed` hands them out.
  bool XQTDropItems(ItemFeed& feed);
  // Every file is taken as far as its output name and the overwrite rule,
  // and reported as written; nothing is drawn or written.
  void SetDryRun(bool dry_run) { dry_run_ = dry_run; }
  bool Running() const { return running_; }
  // The end button pressed during a batch: the file being committed is
  // finished, the remaining items are skipped and nothing more is written.
  void ClearRunning() { running_ = false; }
  // True from the start of XQTDropFiles until it returns.
  bool InBatch() const { return in_batch_; }
  std::int32_t OutputCount() const { return output_count_; }

  // Converts one file here and now; every outcome shows on the panel. Errors
  // of the file are reported there and never leave this call.
  void ResizeGRP(const std::filesystem::path& path);

  // Geometry steps: set TargetWidth, TargetHeight and OutName of `job` from its
  // source size, the size box and the job parameters. `size` is the size box's
  // number (ignored at actual size).
  void CalcSizeByWidth(ResizeJob& job, long long size) const;
  void CalcSizeByHeight(ResizeJob& job, long long size) const;
  void CalcSizeByLongSide(ResizeJob& job, long long size) const;

  // Per-file EXIF state of the file last committed.
  bool ExifFound() const { return exif_found_; }
  bool ExifWithThumbnail() const { return exif_with_thumbnail_; }
  void ClearExifFlags() { exif_found_ = exif_with_thumbnail_ = false; }

 private:
  // The batch's parameters as the settings and the panel stand now.
  BatchParameters CurrentParameters() const;
  bool PassesTypeFilter(const std::filesystem::path& item) const;
  // Shows one converted file on the panel and writes its output.
  void Commit(FileConversion& conversion, const BatchParameters& parameters);
  void CommitWriteStep(FileConversion& conversion, const BatchParameters& parameters);
  bool WriteOutput(const FileConversion& conversion, const BatchParameters& parameters);
  // `wanted`, or NAME_2.EXT, NAME_3.EXT ... when this batch has written it.
  std::filesystem::path UnclaimedOutPath(const std::filesystem::path& wanted) const;

  const settings::AppSettings& settings_;
  PanelHost& host_;
  TGlobalWorkValue global_work_value_;
  // Set and read by the batch's thread and the panel's thread alike.
  std::atomic<bool> running_ = false;
  std::atomic<bool> in_batch_ = false;
  std::int32_t output_count_ = 0;
  bool exif_found_ = false;
  bool exif_with_thumbnail_ = false;
  bool dry_run_ = false;
  // Outputs written by the batch under way: a later item reading one of them
  // must see what was written, as if the batch ran one file at a time, and a
  // later output of the same name is numbered instead of replacing it.
  std::set<std::filesystem::path> written_;
};

}  // namespace plendo::engine
