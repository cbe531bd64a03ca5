#pragma once
// WMF and EMF pictures, played record by record with cairo. Both the
// conversion and the preview draw them straight at the size they need, so
// lines and text stay sharp at any scale.
#include <cstdint>
#include <span>

#include "codecs/MetafileError.h"
#include "platform/Bitmap.h"

namespace plendo::codecs {

// A placeable or plain WMF, or an EMF, by its first bytes.
bool LooksLikeMetafile(std::span<const std::uint8_t> bytes);

// Size at 96 dpi: an EMF's frame (0.01 mm), a placeable WMF's box over its
// units per inch, a plain WMF's window extent. Reads the header only; throws
// MetafileError when it cannot be read.
struct MetafileSize {
  int width = 0;
  int height = 0;
};
MetafileSize ReadMetafileSize(std::span<const std::uint8_t> bytes);

// Which records of an EMF with EMF+ records draw it: the EMF+ ones (with
// the GDI records after their GetDC records), falling back to the GDI ones
// when the EMF+ records break or draw nothing; or only one kind, to compare
// the two.
enum class MetafileRecords { Chosen, Gdi, EmfPlus };

// The picture scaled to width x height picture pixels (unrounded) over what
// `target` holds (Bgr24), antialiased. A broken record stops the playing;
// what came before it stays. Throws MetafileError when the header cannot be
// read, when a broken file drew nothing, or when neither its EMF+ nor its
// GDI records draw anything.
void DrawMetafile(std::span<const std::uint8_t> bytes, platform::Bitmap& target, double width, double height,
                  MetafileRecords records = MetafileRecords::Chosen);

// Natural size, after a trial draw at a small size has shown that the file
// draws (the same errors as DrawMetafile).
MetafileSize InspectMetafile(std::span<const std::uint8_t> bytes);

}  // namespace plendo::codecs
