// ExtTextOut: the characters placed one by one at the record's own advances,
// so a substituted font never runs wider than the text the file laid out.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>
#include <string>

#include "codecs/MetafileDc.h"

namespace plendo::codecs::metafile {
namespace {

// Text alignment bits.
constexpr std::uint32_t kTaUpdateCp = 1, kTaRight = 2, kTaCenter = 6, kTaBottom = 8, kTaBaseline = 24;
constexpr std::uint32_t kEtoOpaque = 2, kEtoClipped = 4;

constexpr const char* kJapaneseGothic = "IPAPGothic";

bool Contains(const std::string& haystack, const char* needle) {
  std::string h = haystack, n = needle;
  for (char& c : h) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (char& c : n) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return h.find(n) != std::string::npos;
}

bool IsAscii(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The family fontconfig is asked for: the face itself where the system may
// have it, a metric-alike family for the common Windows faces, and a
// Japanese font for Japanese faces and character sets.
std::string FamilyFor(const Font& font) {
  const std::string& f = font.face;
  if (f.empty()) return font.charset == 128 ? kJapaneseGothic : "sans-serif";
  if (Contains(f, "mincho") || f.find("明朝") != std::string::npos) return "IPAMincho";
  if (Contains(f, "gothic") || Contains(f, "meiryo") || f.find("ゴシック") != std::string::npos ||
      f.find("メイリオ") != std::string::npos)
    return kJapaneseGothic;
  if (font.charset == 128 || !IsAscii(f)) return kJapaneseGothic;
  for (const char* serif : {"times", "georgia", "cambria", "garamond", "book antiqua", "century", "palatino",
                            "euclid", "bookman"})
    if (Contains(f, serif)) return "DejaVu Serif";
  for (const char* mono : {"courier", "consolas", "lucida console", "fixedsys", "terminal"})
    if (Contains(f, mono)) return "DejaVu Sans Mono";
  return f;
}

// CJK, kana, Hangul and the full-width forms, which the Latin faces lack.
bool NeedsCjkFont(char32_t c) {
  return (c >= 0x2E80 && c < 0xA000) || (c >= 0xAC00 && c < 0xD7B0) || (c >= 0xF900 && c < 0xFB00) ||
         (c >= 0xFF00 && c < 0xFFF0) || (c >= 0x3000 && c < 0x3100);
}

void SelectFace(cairo_t* cr, const std::string& family, const Font& font, double em) {
  cairo_select_font_face(cr, family.c_str(), font.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                         font.weight >= 600 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, em);
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

void MetafileDc::TextOut(Point ref, const std::vector<TextChar>& text, const std::vector<double>& advances,
                         std::uint32_t options, const Region::Rect* rect) {
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
  cairo_t* cr = canvas_.BeginDraw(clipped);
  cairo_font_options_t* fo = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(fo, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_antialias(fo, CAIRO_ANTIALIAS_GRAY);
  cairo_set_font_options(cr, fo);
  cairo_font_options_destroy(fo);
  cairo_translate(cr, at.x, at.y);
  cairo_rotate(cr, angle);

  const std::string family = FamilyFor(font);
  SelectFace(cr, family, font, 1);
  const double em = std::clamp(FontEm(cr, scale_y), 0.0, 1.0e5);
  if (em < 0.05) {
    canvas_.EndDraw();
    return;
  }
  SelectFace(cr, family, font, em);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);

  // Pen positions along the baseline, in picture pixels.
  std::vector<double> xs(text.size() + 1, 0);
  std::size_t unit = 0;
  const double extra = state_.char_extra * scale_x;
  for (std::size_t i = 0; i < text.size(); ++i) {
    double advance = 0;
    if (unit < advances.size()) {
      for (std::uint32_t k = 0; k < text[i].units && unit < advances.size(); ++k) advance += advances[unit++];
      advance *= scale_x;
    } else {
      const std::string utf8 = ToUtf8(text[i].code);
      if (NeedsCjkFont(text[i].code) && family != kJapaneseGothic) SelectFace(cr, kJapaneseGothic, font, em);
      cairo_text_extents_t te;
      cairo_text_extents(cr, utf8.c_str(), &te);
      advance = te.x_advance + extra;
      if (NeedsCjkFont(text[i].code) && family != kJapaneseGothic) SelectFace(cr, family, font, em);
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
  cairo_set_source_rgb(cr, c.r, c.g, c.b);
  bool cjk_face = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t code = text[i].code;
    if (code < 0x20) continue;
    const bool want_cjk = NeedsCjkFont(code) && family != kJapaneseGothic;
    if (want_cjk != cjk_face) {
      SelectFace(cr, want_cjk ? std::string(kJapaneseGothic) : family, font, em);
      cjk_face = want_cjk;
    }
    const std::string utf8 = ToUtf8(code);
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    if (cairo_scaled_font_text_to_glyphs(cairo_get_scaled_font(cr), shift_x + xs[i], shift_y, utf8.c_str(),
                                         static_cast<int>(utf8.size()), &glyphs, &count, nullptr, nullptr,
                                         nullptr) == CAIRO_STATUS_SUCCESS) {
      cairo_show_glyphs(cr, glyphs, count);
      cairo_glyph_free(glyphs);
    }
  }
  const double line = std::max(em / 14, 1.0);
  if (font.underline) cairo_rectangle(cr, shift_x, shift_y + em * 0.12, total, line);
  if (font.strikeout) cairo_rectangle(cr, shift_x, shift_y - em * 0.3, total, line);
  cairo_fill(cr);
  canvas_.EndDraw();

  if ((state_.text_align & kTaUpdateCp) && scale_x > 0) {
    const double dx = total / scale_x;
    state_.position = {origin.x + (m.xx < 0 ? -dx : dx), origin.y};
  }
}

}  // namespace plendo::codecs::metafile
