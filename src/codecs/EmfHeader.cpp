// The EMF header: where the picture lies and how large it is.
#include <algorithm>
#include <cmath>

#include "codecs/EmfPlayer.h"
#include "codecs/MetafileBytes.h"

namespace plendo::codecs::metafile {
namespace {

constexpr std::uint32_t kHeaderRecord = 1;
constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"

}  // namespace

double EmfHeader::FrameLeft() const {
  return frame.right > frame.left ? frame.left + frame_shift.x : bounds.left * 100.0 / DevicePerMmX();
}
double EmfHeader::FrameTop() const {
  return frame.bottom > frame.top ? frame.top + frame_shift.y : bounds.top * 100.0 / DevicePerMmY();
}
double EmfHeader::FrameWidth() const {
  return frame.right > frame.left ? double(frame.right) - frame.left
                                  : (double(bounds.right) - bounds.left) * 100 / DevicePerMmX();
}
double EmfHeader::FrameHeight() const {
  return frame.bottom > frame.top ? double(frame.bottom) - frame.top
                                  : (double(bounds.bottom) - bounds.top) * 100 / DevicePerMmY();
}
double EmfHeader::DevicePerMmX() const { return device_w > 0 && mm_w > 0 ? device_w / mm_w : 96 / 25.4; }
double EmfHeader::DevicePerMmY() const { return device_h > 0 && mm_h > 0 ? device_h / mm_h : 96 / 25.4; }

// EMR_HEADER: u32 type 1, u32 size, RECTL bounds, RECTL frame, u32 " EMF",
// u32 version, u32 bytes, u32 records, u16 handles, u16 reserved, u32
// description length and offset, u32 palette entries, SIZEL device (pixels),
// SIZEL millimetres; from 108 bytes on also SIZEL micrometres.
EmfHeader ParseEmfHeader(std::span<const std::uint8_t> bytes) {
  const RecordBytes all(bytes);
  if (!all.Has(0, 88) || all.U32(0) != kHeaderRecord || all.U32(40) != kEmfSignature)
    throw MetafileError("not an EMF header");
  const std::uint32_t size = all.U32(4);
  if (size < 88 || size > bytes.size()) throw MetafileError("EMF header size out of range");
  const RecordBytes r(bytes.first(size));
  // Both rectangles lie inside the 88 bytes checked above.
  const auto rect = [&r](std::size_t at) -> EmfHeader::RectL {
    return {r.I32(at), r.I32(at + 4), r.I32(at + 8), r.I32(at + 12)};
  };
  EmfHeader h;
  h.header_size = size;
  h.bounds = rect(8);
  h.frame = rect(24);
  h.handles = r.U16(52);
  h.device_w = r.I32(72), h.device_h = r.I32(76);
  h.mm_w = r.I32(80), h.mm_h = r.I32(84);
  // Micrometres refine the millimetres, where the header has them; a header
  // whose description starts at byte 100 has text there instead.
  if (size >= 108) {
    const double um_w = r.I32(100) / 1000.0, um_h = r.I32(104) / 1000.0;
    if (std::abs(um_w - h.mm_w) <= 1 && std::abs(um_h - h.mm_h) <= 1 && um_w > 0 && um_h > 0)
      h.mm_w = um_w, h.mm_h = um_h;
  }
  // Some writers give the frame right and the bounds somewhere else. When
  // the bounds lie mostly outside the frame, either the drawing was meant
  // with y up (above the origin, where y counts down; its text and figures
  // then read the right way round, the frame fits it, the bounds are the
  // writer's own arithmetic), or the frame is only misplaced and moves onto
  // the bounds.
  if (h.frame.right > h.frame.left && h.frame.bottom > h.frame.top && h.bounds.right > h.bounds.left &&
      h.bounds.bottom > h.bounds.top) {
    const double bl = h.bounds.left * 100.0 / h.DevicePerMmX(), bt = h.bounds.top * 100.0 / h.DevicePerMmY();
    const double br = h.bounds.right * 100.0 / h.DevicePerMmX(), bb = h.bounds.bottom * 100.0 / h.DevicePerMmY();
    const auto overlap = [&h, bl, br](double top, double bottom) {
      const double ow = std::min<double>(br, h.frame.right) - std::max<double>(bl, h.frame.left);
      const double oh = std::min<double>(bottom, h.frame.bottom) - std::max<double>(top, h.frame.top);
      return ow > 0 && oh > 0 ? ow * oh : 0;
    };
    const double half = 0.5 * (br - bl) * (bb - bt);
    if (overlap(bt, bb) < half) {
      if (overlap(-bb, -bt) >= half) h.y_up = true;
      else h.frame_shift = {bl - h.frame.left, bt - h.frame.top};
    }
  }
  const double w = h.FrameWidth(), hh = h.FrameHeight();
  if (!(w > 0) || !(hh > 0) || !std::isfinite(w) || !std::isfinite(hh)) throw MetafileError("EMF picture has no size");
  return h;
}

}  // namespace plendo::codecs::metafile
