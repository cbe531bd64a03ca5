#pragma once
// One file converted without the panel: how far the pipeline got, what the
// panel must show for it, and the finished output. The batch's thread
// commits it (writes the bytes, replays the lamps, captions and messages),
// so the panel sees every file exactly as if it had been converted there.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "preview/Graphic.h"

namespace plendo::engine {

// How the write step ended on the worker.
enum class RenderOutcome {
  NotReached,  // an earlier step ended the file
  Existing,    // the output existed and the overwrite rule said skip: nothing made
  Refused,     // a side too large for a JPEG: refused before any pixel memory
  Failed,      // an error left the step (memory, the encoder): `message` after the lamps go out
  Ready,       // `bytes` hold the finished output
};

struct FileConversion {
  std::filesystem::path source;

  // The EXIF hand-over: the source carries a block that loaded, and its
  // thumbnail directory says JPEG.
  bool exif_found = false;
  bool exif_with_thumbnail = false;

  // The file's preview, loaded and decoded ahead when the panel shows one;
  // preview_failed: it could not be loaded ("モニタ表示できません").
  std::unique_ptr<preview::TGraphic> preview;
  bool preview_failed = false;

  bool decoded = false;  // false: "処理不能" right after the preview
  // Why the source could not be read or decoded, in the system's or the
  // decoder's words ("No such file or directory", "damaged JPEG data").
  std::string reason;
  std::uint32_t source_width = 0;
  std::uint32_t source_height = 0;
  bool size_missing = false;    // the size box held no usable number
  bool folder_missing = false;  // no output folder was chosen
  std::filesystem::path out_path;
  std::filesystem::path out_subfolder;  // the part of out_path's folder below the chosen one, made at the write
  std::uint32_t out_width = 0;          // the output's pixel size
  std::uint32_t out_height = 0;
  double seconds = 0;                   // how long the conversion took on its worker

  RenderOutcome render = RenderOutcome::NotReached;
  bool exif_lamp = false;       // ELED's status during the write step
  std::string message;          // with Refused and Failed
  std::vector<std::uint8_t> bytes;
  bool exif_failed = false;     // the block could not go in: `bytes` hold the JPEG alone
  // Written though over the size limit: even the lowest quality was larger.
  // Shown after the file is written; empty when it fits or has no limit.
  std::string size_note;
};

}  // namespace plendo::engine
