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
  long long pixels = 0;  // the chosen side's length; 0 when the text is no usable size
  std::string text;      // exactly as shown: it goes into the output names

  bool Valid() const { return actual || pixels > 0; }
};

// The one rule for a size, wherever it comes from (the size box, the settings
// file, the command line): 原寸, or digits only (no sign, no blanks) making a
// 32-bit number above 0. Anything else is an invalid choice.
SizeChoice ParseSizeChoice(bool actual, const std::string& text);

struct BatchParameters {
  settings::AppSettings settings;
  TGlobalWorkValue work;
  SizeChoice size;
  SizeSide side = SizeSide::LongSide;
  std::string wo_path;  // empty when none was chosen
  preview::PreviewArea preview_area;  // empty: no preview is made
  bool dry_run = false;  // name and place each output, draw and write nothing
  // False when the commit has applied the overwrite rule already, to the
  // name the file really gets (a numbered one).
  bool check_existing = true;

  bool EffectsAreOff() const { return EffectsOff(settings, size.actual); }
  // Beside the source an existing output is never replaced, whatever OverWrite says.
  bool OverwriteAllowed() const { return settings.OverWrite && !settings.OutOrigDir; }
};

}  // namespace plendo::engine
