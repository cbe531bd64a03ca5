#pragma once
// What every file of a batch shares, fixed when the batch starts: the
// settings as they were, the job parameters, the size and side the panel
// showed and the output folder. Conversions on worker threads read only
// this, never the panel.
#include <string>

#include "engine/JobParameters.h"
#include "engine/PanelHost.h"
#include "settings/AppSettings.h"

namespace plendo::engine {

// The size box's choice, parsed once per batch.
struct SizeChoice {
  bool actual = false;   // 原寸: every source keeps its own size
  long long pixels = 0;  // the chosen side's length; 0 when the text is no usable number
  std::string text;      // exactly as shown: it goes into the output names

  bool Valid() const { return actual || pixels > 0; }
};

// A number too long for any integer reads as the largest one, so it is
// refused later as too large rather than as missing; a negative number, text
// that is not a number, or 0 give an invalid choice.
SizeChoice ParseSizeChoice(bool actual, const std::string& text);

struct BatchParameters {
  settings::AppSettings settings;
  TGlobalWorkValue work;
  SizeChoice size;
  SizeSide side = SizeSide::LongSide;
  std::string wo_path;  // empty when none was chosen

  bool EffectsAreOff() const { return EffectsOff(settings, size.actual); }
  // Beside the source an existing output is never replaced, whatever OverWrite says.
  bool OverwriteAllowed() const { return settings.OverWrite && !settings.OutOrigDir; }
};

}  // namespace plendo::engine
