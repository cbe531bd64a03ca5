#pragma once
// The resize engine: everything from a drop of files to written JPEGs. It
// works only through the PanelHost and the settings record, so the panel, the
// command-line front end and the tests drive the same code.
//
// One batch at a time: XQTDropFiles refuses to start while another batch is
// still inside its loop (a drop arriving during a batch is the panel's to refuse).
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/JobParameters.h"
#include "engine/PanelHost.h"
#include "engine/ResizeJob.h"
#include "exif/ExifInfo.h"
#include "settings/AppSettings.h"

namespace plendo::engine {

// Texts the engine shows on the monitor label.
inline constexpr const char* kMsgNoPreview = "このファイルは\r\nモニタ表示できません";
inline constexpr const char* kMsgUnprocessable = "このファイルは\r\n処理不能です (^_^;)";
inline constexpr const char* kMsgWriteError = "書き込みエラー！\r\n出力先に保存できません";
inline constexpr const char* kMsgTooLarge = "変換サイズが\r\n大きすぎます";
inline constexpr const char* kMsgNoSize = "変換サイズ 未設定";
inline constexpr const char* kMsgNoFolder = "画像出力先 未設定";
inline constexpr const char* kCaptionAbort = "中断";
inline constexpr const char* kCaptionEnd = "終了";

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

  // Runs one batch over `items`, in their order. Returns false, doing
  // nothing, when called while a batch is already running.
  bool XQTDropFiles(const std::vector<std::filesystem::path>& items);
  bool Running() const { return running_; }
  // The end button pressed during a batch: the remaining items are skipped.
  void ClearRunning() { running_ = false; }
  // True from the start of XQTDropFiles until it returns.
  bool InBatch() const { return in_batch_; }
  std::int32_t OutputCount() const { return output_count_; }

  // Converts one file; every outcome shows on the panel. Errors of the file
  // are reported there and never leave this call.
  void ResizeGRP(const std::filesystem::path& path);

  // Geometry steps: set TargetWidth, TargetHeight and OutName of `job` from its
  // source size, the size box and the job parameters. `size` is the size box's
  // number (ignored at actual size).
  void CalcSizeByWidth(ResizeJob& job, long long size) const;
  void CalcSizeByHeight(ResizeJob& job, long long size) const;
  void CalcSizeByLongSide(ResizeJob& job, long long size) const;

  // Draws, sharpens, encodes and writes `job` to job.OutPath.
  void WriteResizedJPEG(ResizeJob& job);

  // Per-file EXIF state, kept between the steps of one file.
  bool ExifFound() const { return exif_found_; }
  bool ExifWithThumbnail() const { return exif_with_thumbnail_; }
  void ClearExifFlags() { exif_found_ = exif_with_thumbnail_ = false; }
  // The EXIF component: holds the current source's EXIF data from the
  // preparation until the transfer into its output.
  exif::TExifInfo& ExifInfo() { return exif_info_; }

 private:
  void RunResizeGRP(const std::filesystem::path& path);
  bool ComputeGeometry(ResizeJob& job);
  std::string ComposeOutName(const ResizeJob& job, const char* suffix) const;
  std::string OutputFolderFor(const std::filesystem::path& source) const;
  bool OverwriteAllowed() const;
  void RunBatchItem(const std::filesystem::path& item);
  bool PassesTypeFilter(const std::filesystem::path& item) const;
  void DrawScaled(ResizeJob& job, int width, int height);
  void EncodeAndWrite(ResizeJob& job);
  void PrepareExif(const std::filesystem::path& source);
  void TransferExif(const std::filesystem::path& output);

  const settings::AppSettings& settings_;
  PanelHost& host_;
  TGlobalWorkValue global_work_value_;
  bool running_ = false;
  bool in_batch_ = false;
  std::int32_t output_count_ = 0;
  bool exif_found_ = false;
  bool exif_with_thumbnail_ = false;
  exif::TExifInfo exif_info_;
};

}  // namespace plendo::engine
