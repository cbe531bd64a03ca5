// Target size and output name of one file: which side the size box's number
// applies to, and the name that carries that number.
#include "engine/OutputNaming.h"
#include "engine/ResizeEngine.h"

namespace plendo::engine {

void ResizeEngine::CalcSizeByWidth(ResizeJob& job, long long size) const {
  const char* suffix = "_";
  if (host_.IsActualSize()) {
    job.TargetWidth = job.SourceWidth;
    job.TargetHeight = job.SourceHeight;
  } else {
    job.TargetWidth = static_cast<double>(size);
    job.TargetHeight = static_cast<double>(size) / job.SourceWidth * job.SourceHeight;
    suffix = "_w";
  }
  job.OutName = ComposeOutName(job, suffix);
}

void ResizeEngine::CalcSizeByHeight(ResizeJob& job, long long size) const {
  const char* suffix = "_";
  if (host_.IsActualSize()) {
    job.TargetWidth = job.SourceWidth;
    job.TargetHeight = job.SourceHeight;
  } else {
    job.TargetHeight = static_cast<double>(size);
    job.TargetWidth = static_cast<double>(size) / job.SourceHeight * job.SourceWidth;
    suffix = "_v";
  }
  job.OutName = ComposeOutName(job, suffix);
}

// Base name, size suffix, the size box's text exactly as shown, mark, extension.
std::string ResizeEngine::ComposeOutName(const ResizeJob& job, const char* suffix) const {
  return ExtractFileBaseName(job.SourcePath.string()) + suffix + host_.SizeText() + global_work_value_.GSMark +
         global_work_value_.OutExt;
}

void ResizeEngine::CalcSizeByLongSide(ResizeJob& job, long long size) const {
  if (job.SourceWidth < job.SourceHeight)
    CalcSizeByHeight(job, size);
  else
    CalcSizeByWidth(job, size);
}

}  // namespace plendo::engine
