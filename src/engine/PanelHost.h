#pragma once
// What the main panel offers the engine. The panel (Qt) implements it; the
// command-line front end and the tests implement it without a window. The
// engine never sees a widget, only this.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/Beep.h"
#include "preview/Graphic.h"
#include "preview/ImageControl.h"

namespace plendo::engine {

struct Colour {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Colour&, const Colour&) = default;
};
inline constexpr Colour kRed{255, 0, 0};       // every error message; beeps
inline constexpr Colour kGray{128, 128, 128};  // the ready prompt

// The three status lamps: read (RLED), EXIF (ELED), write (WLED).
enum class Lamp { Read, Exif, Write };

// Which side the chosen size applies to: RG1 長, RG2 横, RG3 縦.
enum class SizeSide { LongSide, Width, Height };

class PanelHost {
 public:
  virtual ~PanelHost() = default;

  // Clears the preview, shows `text` in `colour` on the monitor label and
  // repaints it at once; pure red also sounds the default beep.
  virtual void ShowMonitorMessage(Colour colour, const std::string& text) = 0;
  // Empties the monitor label and repaints it (before each item of a batch).
  virtual void ClearMonitorMessage() = 0;

  // True when the size box reads "原寸".
  virtual bool IsActualSize() const = 0;
  // The size box's text exactly as shown.
  virtual std::string SizeText() const = 0;
  // The checked side button.
  virtual SizeSide Side() const = 0;
  // The chosen output folder; empty when none was chosen.
  virtual std::string WOPath() const = 0;

  virtual void LightOn(Lamp lamp) = 0;
  virtual void LightOff(Lamp lamp) = 0;
  virtual void SetLampStatus(Lamp lamp, bool on) = 0;

  // The SSize text panel, repainted at once.
  virtual void SetSizeCaption(const std::string& text) = 0;

  // Shows the file in the preview and repaints it; throws when it cannot be
  // shown. `prepared` is its preview graphic, made on a worker from the
  // conversion's decode when the host shows previews; null: the host loads
  // the file.
  virtual void LoadPreview(const std::filesystem::path& path, std::unique_ptr<preview::TGraphic> prepared) = 0;
  // The preview picture's client size when the host shows previews (empty
  // otherwise): the workers then make each file's picture at that size, so
  // the panel's thread only puts it on screen.
  virtual preview::PreviewArea PreviewArea() const { return {}; }
  virtual void ClearPreview() = 0;

  // btTERM's caption, repainted at once; `focus` also gives it the keyboard focus.
  virtual void SetTermCaption(const std::string& caption, bool focus) = 0;
  virtual void ChangeButtonsEnabled(bool enabled) = 0;

  // Lets every pending window message run (repaints, the abort button).
  virtual void ProcessPendingMessages() = 0;

  // Called every few milliseconds while the batch waits for a file still
  // being converted; the panel lets its messages run so it stays responsive.
  virtual void KeepResponsive() {}

  // The default beep at the end of a batch.
  virtual void Beep() { platform::Beep(); }

  // What the command line's verbose report adds about a written file; called
  // right before OutputWritten.
  struct WrittenFacts {
    std::uint32_t width = 0, height = 0;
    std::size_t bytes = 0;
    double seconds = 0;  // the conversion's own time on its worker
  };
  virtual void OutputFacts(const WrittenFacts& /*facts*/) {}

  // A file was written and counted. The panel shows nothing for it; the
  // command line prints its path.
  virtual void OutputWritten(const std::filesystem::path& /*output*/) {}
  // Why the file failed, in the system's or the decoder's words, just before
  // its red message; the panel shows its message only.
  virtual void FailureReason(const std::string& /*reason*/) {}
};

}  // namespace plendo::engine
