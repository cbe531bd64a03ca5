#pragma once
// EMF+ records, carried inside EMF comment records, played onto the canvas
// the EMF player draws on. The EMF player hands over each comment's records
// and asks after each whether the GDI records that follow are to be drawn
// (after a GetDC record, until the next EMF+ record).
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/EmfPlusObjects.h"
#include "codecs/MetafileCanvas.h"
#include "codecs/MetafileDc.h"

namespace plendo::codecs::metafile {

class EmfPlusPlayer {
 public:
  // `device`: the recording device's pixels to picture pixels. `depth`: how
  // many metafiles this one is drawn inside.
  EmfPlusPlayer(MetafileCanvas& canvas, const cairo_matrix_t& device, int depth);

  // The records after a comment's "EMF+" tag.
  void PlayComment(std::span<const std::uint8_t> records);

  bool GdiAllowed() const { return gdi_; }
  // A record was damaged; the EMF+ records after it are not played.
  bool Broken() const { return broken_; }
  bool Drew() const { return drew_; }

 private:
  struct State {
    cairo_matrix_t world{1, 0, 0, 1, 0, 0};
    std::uint32_t page_unit = 1;  // display
    double page_scale = 1;
    DcState clip;  // the clip steps, in picture pixels
  };
  struct Saved {
    std::uint32_t index;
    State state;
  };
  // An object whose bytes arrive over several records.
  struct Pending {
    int id = -1, type = 0;
    std::uint32_t total = 0;
    std::vector<std::uint8_t> bytes;
  };

  void Record(std::uint16_t type, std::uint16_t flags, const RecordBytes& r);
  void ObjectRecord(std::uint16_t flags, const RecordBytes& r);
  void StoreObject(int id, int type, const RecordBytes& r);
  void Transform(std::uint16_t type, std::uint16_t flags, const RecordBytes& r);
  void ClipRecord(std::uint16_t type, std::uint16_t flags, const RecordBytes& r);
  void Fill(std::uint16_t type, std::uint16_t flags, const RecordBytes& r);
  void Draw(std::uint16_t type, std::uint16_t flags, const RecordBytes& r);
  void DrawImage(std::uint16_t type, std::uint16_t flags, const RecordBytes& r);
  void DrawString(std::uint16_t flags, const RecordBytes& r);
  void DrawDriverString(std::uint16_t flags, const RecordBytes& r);
  void Save(std::uint32_t index);
  void Restore(std::uint32_t index);

  // Page units to device pixels, and world units to picture pixels.
  double UnitPixels(std::uint32_t unit) const;
  cairo_matrix_t WorldToPicture() const;
  template <class T>
  const T* Get(std::uint32_t id) const;
  void FillPath(const Path& path, bool even_odd, std::uint32_t brush, bool colour);
  void StrokePath(const Path& path, std::uint32_t pen);
  // Counts work against the play's budget; throws MetafileError past it.
  void Spend(std::size_t work);
  // What drawing through the clip costs: its steps' path operations.
  std::size_t ClipWork() const;
  void Text(const plus::FontData& font, plus::Argb colour, const cairo_matrix_t& world, Point at,
            std::uint32_t align, const std::vector<TextChar>& text, const std::vector<double>& advances,
            const Region::Rect* clip);

  MetafileCanvas& canvas_;
  cairo_matrix_t device_;
  int depth_;
  double dpi_x_ = 96, dpi_y_ = 96;
  bool video_ = true;
  State state_;
  std::vector<Saved> saved_;
  std::array<plus::Object, 64> objects_;
  Pending pending_;
  MetafileDc text_;  // draws DrawString and DrawDriverString through the metafile text code
  std::size_t budget_;
  int nested_left_;
  bool gdi_ = true, broken_ = false, drew_ = false;
};

template <class T>
const T* EmfPlusPlayer::Get(std::uint32_t id) const {
  return id < objects_.size() ? std::get_if<T>(&objects_[id]) : nullptr;
}

}  // namespace plendo::codecs::metafile
