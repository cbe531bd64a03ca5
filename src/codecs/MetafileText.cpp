// ExtTextOut: the characters placed one by one at the record's own advances,
// so a substituted font never runs wider than the text the file laid out.
#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>
#include <string>
#include <vector>

#include "codecs/MetafileDc.h"
#include "codecs/MetafileFonts.h"

namespace plendo::codecs::metafile {
namespace {

// Text alignment bits.
constexpr std::uint32_t kTaUpdateCp = 1, kTaRight = 2, kTaCenter = 6, kTaBottom = 8, kTaBaseline = 24;
constexpr std::uint32_t kEtoOpaque = 2, kEtoClipped = 4;

// FreeType refuses sizes from 65536 pixels up, and a refused font puts the
// whole drawing into cairo's error state: nothing after it would be drawn.
// Far larger than any picture's letters, so only damaged records meet it.
constexpr double kMaxEmPixels = 32768;

// Text is drawn by one thread at a time. cairo opens the faces of every
// thread's fonts through one FreeType library and calls FT_New_Face without
// a lock of its own, while FreeType allows one library across threads only
// if opening and closing faces is serialised; drawing text in many families
// on several threads at once crashed inside FreeType. The fonts chosen for a
// text are also let go while the lock is held: releasing a cached font can
// close a face.
std::mutex& TextLock() {
  static std::mutex lock;
  return lock;
}

// The canvas's drawing state for one text, under the text lock; ended on
// every way out, before the lock opens.
class TextDraw {
 public:
  TextDraw(MetafileCanvas& canvas, const DcState& clipped) : canvas_(canvas), cr_(canvas.BeginDraw(clipped)) {}
  ~TextDraw() { canvas_.EndDraw(); }
  TextDraw(const TextDraw&) = delete;
  TextDraw& operator=(const TextDraw&) = delete;
  cairo_t* Context() const { return cr_; }

 private:
  std::lock_guard<std::mutex> lock_{TextLock()};
  MetafileCanvas& canvas_;
  cairo_t* cr_;
};

void SelectFace(cairo_t* cr, const std::string& family, const Font& font, double em) {
  cairo_select_font_face(cr, family.c_str(), font.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                         font.weight >= 600 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, em);
}

// The selected font's glyph for one character; 0, its box, where it has none.
unsigned long GlyphOf(cairo_t* cr, char32_t code) {
  const std::string utf8 = ToUtf8(code);
  cairo_glyph_t* glyphs = nullptr;
  int count = 0;
  unsigned long index = 0;
  if (cairo_scaled_font_text_to_glyphs(cairo_get_scaled_font(cr), 0, 0, utf8.c_str(), static_cast<int>(utf8.size()),
                                       &glyphs, &count, nullptr, nullptr, nullptr) == CAIRO_STATUS_SUCCESS &&
      count > 0)
    index = glyphs[0].index;
  cairo_glyph_free(glyphs);
  return index;
}

// One character as it is drawn: from faces[face], its glyph and its own
// advance in picture pixels.
struct Shaped {
  std::size_t face = 0;
  unsigned long glyph = 0;
  double advance = 0;
  bool drawn = false;
};

// Each character from the first face (the family asked for) that has it:
// that one, else the fallback fontconfig names for it, else the first face's
// box. `faces` starts with the family asked for; fallbacks are added.
std::vector<Shaped> Shape(cairo_t* cr, const std::vector<TextChar>& text, std::vector<std::string>& faces,
                          const Font& font, double em, FontFallback& fallback) {
  std::vector<Shaped> shaped(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i].code < 0x20) continue;
    shaped[i].drawn = true;
    shaped[i].glyph = GlyphOf(cr, text[i].code);
    if (shaped[i].glyph != 0) continue;
    const std::string& other = fallback.FamilyWith(text[i].code, faces[0], font);
    if (other.empty() || other == faces[0]) continue;
    shaped[i].face = static_cast<std::size_t>(std::find(faces.begin(), faces.end(), other) - faces.begin());
    if (shaped[i].face == faces.size()) faces.push_back(other);
  }
  for (std::size_t f = 0; f < faces.size(); ++f) {
    SelectFace(cr, faces[f], font, em);
    for (std::size_t i = 0; i < text.size(); ++i) {
      Shaped& s = shaped[i];
      if (!s.drawn || s.face != f) continue;
      if (f > 0) s.glyph = GlyphOf(cr, text[i].code);
      cairo_glyph_t g{s.glyph, 0, 0};
      cairo_text_extents_t te;
      cairo_glyph_extents(cr, &g, 1, &te);
      s.advance = te.x_advance;
    }
  }
  return shaped;
}

}  // namespace

double MetafileDc::FontEm(cairo_t* cr, double scale_y) const {
  const Font& font = state_.font;
  if (font.height < 0) return -font.height * scale_y;
  // The default font: about 16 pixels of the device the file was made for.
  if (font.height == 0) return 16 * std::sqrt(std::abs(device_.xx * device_.yy - device_.xy * device_.yx));
  // A positive height is the cell (ascent plus descent), not the em.
  cairo_set_font_size(cr, 1);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  const double cell = fe.ascent + fe.descent;
  return font.height * scale_y / (cell > 0.5 ? cell : 1.0);
}

void MetafileDc::TextOut(Point ref, const std::vector<TextChar>& given, const std::vector<double>& advances,
                         std::uint32_t options, const Region::Rect* rect) {
  std::vector<TextChar> symbols;
  if (IsSymbolFace(state_.font.face)) {
    symbols = given;
    MapSymbolFont(symbols);
  }
  const std::vector<TextChar>& text = symbols.empty() ? given : symbols;
  const cairo_matrix_t m = LogicalToPicture();
  if (!Usable(m) || in_path_) return;
  if (rect && (options & kEtoOpaque)) {
    Path box;
    AppendRectangle(box, m, rect->left, rect->top, rect->right, rect->bottom);
    canvas_.FillColour(box, state_.bk_colour, state_);
  }
  if (text.empty()) return;
  DcState clipped = state_;
  if (rect && (options & kEtoClipped)) {
    Path box;
    AppendRectangle(box, m, rect->left, rect->top, rect->right, rect->bottom);
    clipped.clip.push_back({std::move(box), false, false});
  }
  const Font& font = state_.font;
  const double scale_x = std::hypot(m.xx, m.yx), scale_y = std::hypot(m.xy, m.yy);
  const double angle = std::atan2(m.yx, m.xx) - font.escapement * std::numbers::pi / 1800;
  const Point origin = (state_.text_align & kTaUpdateCp) ? state_.position : ref;
  const Point at = Apply(m, origin);

  canvas_.Extend(at);
  const TextDraw draw(canvas_, clipped);
  cairo_t* cr = draw.Context();
  cairo_font_options_t* fo = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(fo, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_antialias(fo, CAIRO_ANTIALIAS_GRAY);
  cairo_set_font_options(cr, fo);
  cairo_font_options_destroy(fo);
  cairo_translate(cr, at.x, at.y);
  cairo_rotate(cr, angle);

  std::vector<std::string> faces{FamilyFor(font)};
  SelectFace(cr, faces[0], font, 1);
  const double em = std::clamp(FontEm(cr, scale_y), 0.0, kMaxEmPixels);
  if (em < 0.05) return;
  SelectFace(cr, faces[0], font, em);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  const std::vector<Shaped> shaped = Shape(cr, text, faces, font, em, fonts_);

  // Pen positions along the baseline, in picture pixels: the record's
  // advances where it has them, else the glyphs' own.
  std::vector<double> xs(text.size() + 1, 0);
  std::size_t unit = 0;
  const double extra = state_.char_extra * scale_x;
  for (std::size_t i = 0; i < text.size(); ++i) {
    double advance = shaped[i].advance + extra;
    if (unit < advances.size()) {
      advance = 0;
      for (std::uint32_t k = 0; k < text[i].units && unit < advances.size(); ++k) advance += advances[unit++];
      advance *= scale_x;
    }
    xs[i + 1] = xs[i] + (std::isfinite(advance) ? advance : 0);
  }
  const double total = xs.back();
  double shift_x = 0, shift_y = 0;
  const std::uint32_t horizontal = state_.text_align & kTaCenter;
  if (horizontal == kTaCenter) shift_x = -total / 2;
  else if (horizontal == kTaRight) shift_x = -total;
  const std::uint32_t vertical = state_.text_align & kTaBaseline;
  if (vertical == 0) shift_y = fe.ascent;
  else if (vertical == kTaBottom) shift_y = -fe.descent;

  if (state_.bk_mode == 2) {
    cairo_rectangle(cr, shift_x, shift_y - fe.ascent, total, fe.ascent + fe.descent);
    cairo_set_source_rgb(cr, state_.bk_colour.r, state_.bk_colour.g, state_.bk_colour.b);
    cairo_fill(cr);
  }
  const Colour& c = state_.text_colour;
  cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
  // Runs of characters from one face, each run one call.
  std::vector<cairo_glyph_t> run;
  for (std::size_t i = 0; i < text.size();) {
    if (!shaped[i].drawn) {
      ++i;
      continue;
    }
    const std::size_t face = shaped[i].face;
    run.clear();
    for (; i < text.size() && (!shaped[i].drawn || shaped[i].face == face); ++i)
      if (shaped[i].drawn) run.push_back({shaped[i].glyph, shift_x + xs[i], shift_y});
    SelectFace(cr, faces[face], font, em);
    cairo_show_glyphs(cr, run.data(), static_cast<int>(run.size()));
  }
  const double line = std::max(em / 14, 1.0);
  if (font.underline) cairo_rectangle(cr, shift_x, shift_y + em * 0.12, total, line);
  if (font.strikeout) cairo_rectangle(cr, shift_x, shift_y - em * 0.3, total, line);
  cairo_fill(cr);

  if ((state_.text_align & kTaUpdateCp) && scale_x > 0) {
    const double dx = total / scale_x;
    state_.position = {origin.x + (m.xx < 0 ? -dx : dx), origin.y};
  }
}

}  // namespace plendo::codecs::metafile
