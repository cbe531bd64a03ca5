#include "engine/ResizeGeometry.h"

#include "engine/OutputNaming.h"
#include "engine/ResizeEngine.h"

namespace plendo::engine {

TargetSize ComputeTargetSize(std::uint32_t source_width, std::uint32_t source_height, const SizeChoice& size,
                             SizeSide side, bool no_enlarge) {
  const auto own_width = static_cast<double>(source_width), own_height = static_cast<double>(source_height);
  if (size.actual) return {own_width, own_height, "_"};
  if (side == SizeSide::LongSide) side = source_width < source_height ? SizeSide::Height : SizeSide::Width;
  const auto n = static_cast<double>(size.pixels);
  if (no_enlarge && (side == SizeSide::Width ? own_width : own_height) <= n)
    return {own_width, own_height, side == SizeSide::Width ? "_w" : "_v"};
  // Divided first, then multiplied: 640 / 3000 * 4000 is the height of a
  // 3000 x 4000 source at width 640.
  if (side == SizeSide::Width) return {n, n / source_width * source_height, "_w"};
  return {n / source_height * source_width, n, "_v"};
}

std::string ComposeOutName(const std::string& source_path, const char* suffix, const std::string& size_text,
                           const TGlobalWorkValue& work) {
  return ExtractFileBaseName(source_path) + suffix + size_text + work.GSMark + work.OutExt;
}

namespace {

void ApplyTargetSize(ResizeJob& job, const TargetSize& target, const std::string& size_text,
                     const TGlobalWorkValue& work) {
  job.TargetWidth = target.width;
  job.TargetHeight = target.height;
  job.OutName = ComposeOutName(job.SourcePath.string(), target.suffix, size_text, work);
}

}  // namespace

void ResizeEngine::CalcSizeByWidth(ResizeJob& job, long long size) const {
  const SizeChoice choice{host_.IsActualSize(), size, host_.SizeText()};
  const TargetSize target =
      ComputeTargetSize(job.SourceWidth, job.SourceHeight, choice, SizeSide::Width, settings_.NoEnlarge);
  ApplyTargetSize(job, target, choice.text, global_work_value_);
}

void ResizeEngine::CalcSizeByHeight(ResizeJob& job, long long size) const {
  const SizeChoice choice{host_.IsActualSize(), size, host_.SizeText()};
  const TargetSize target =
      ComputeTargetSize(job.SourceWidth, job.SourceHeight, choice, SizeSide::Height, settings_.NoEnlarge);
  ApplyTargetSize(job, target, choice.text, global_work_value_);
}

void ResizeEngine::CalcSizeByLongSide(ResizeJob& job, long long size) const {
  const SizeChoice choice{host_.IsActualSize(), size, host_.SizeText()};
  const TargetSize target =
      ComputeTargetSize(job.SourceWidth, job.SourceHeight, choice, SizeSide::LongSide, settings_.NoEnlarge);
  ApplyTargetSize(job, target, choice.text, global_work_value_);
}

}  // namespace plendo::engine
