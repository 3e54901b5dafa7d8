#include "gdi/draw_cache/quick_shaping.h"

#include <hb-ot.h>
#include <hb.h>

#include "gdi/draw_cache/draw_cache.h"
#include "gdi/text.h"

namespace platform::draw_cache {
namespace {

using gdi::FontFace;

// Texts shaped in a face before it gets its table.
constexpr int kShapedBeforeTable = 16;

PangoGlyphString* ShapeRun(const PangoAnalysis& analysis, std::string_view text) {
  PangoGlyphString* glyphs = pango_glyph_string_new();
  const int length = static_cast<int>(text.size());
  pango_shape_with_flags(text.data(), length, text.data(), length, &analysis, glyphs, PANGO_SHAPE_ROUND_POSITIONS);
  return glyphs;
}

bool SameGlyph(const PangoGlyphInfo& a, const PangoGlyphInfo& b) {
  return a.glyph == b.glyph && a.geometry.width == b.geometry.width && a.geometry.x_offset == b.geometry.x_offset &&
         a.geometry.y_offset == b.geometry.y_offset && a.attr.is_cluster_start == b.attr.is_cluster_start;
}

// The table's entry for the character at `place` between `before` and
// `after`; a text's ends have chars.size() there.
PangoGlyphInfo& Entry(QuickFont& quick, std::size_t before, std::size_t place, std::size_t after) {
  const std::size_t sides = quick.chars.size() + 1;
  return quick.byNeighbours[(before * quick.chars.size() + place) * sides + after];
}

void Compose(QuickFont& quick, std::string_view text, PangoGlyphString* glyphs) {
  const int length = static_cast<int>(text.size());
  const std::size_t end = quick.chars.size();
  const auto placeAt = [&](int i) {
    return i < 0 || i >= length ? end : static_cast<std::size_t>(quick.place[static_cast<unsigned char>(text[i])]);
  };
  pango_glyph_string_set_size(glyphs, length);
  for (int i = 0; i < length; ++i) {
    glyphs->glyphs[i] = Entry(quick, placeAt(i - 1), placeAt(i), placeAt(i + 1));
    glyphs->log_clusters[i] = i;
  }
}

// Whether the text shapes as the table puts it together.
bool ComposesAsShaped(QuickFont& quick, std::string_view text) {
  PangoGlyphString* shaped = ShapeRun(*quick.analysis, text);
  PangoGlyphString* composed = pango_glyph_string_new();
  Compose(quick, text, composed);
  bool same = shaped->num_glyphs == composed->num_glyphs;
  for (int i = 0; same && i < shaped->num_glyphs; ++i) same = SameGlyph(shaped->glyphs[i], composed->glyphs[i]);
  pango_glyph_string_free(composed);
  pango_glyph_string_free(shaped);
  return same;
}

// Shapes every character between every two neighbours (or a text's end).
// Kerning and the usual substitutions look at the next glyph at most, so
// the table gives exactly what shaping gives; longer texts check it, and
// a face that fails, or has the state-machine tables that can look
// further, keeps shaping its texts.
void MakeNeighbourTable(QuickFont& quick) {
  quick.tableTried = true;
  hb_font_t* font = pango_font_get_hb_font(quick.analysis->font);
  if (!font) return;
  for (const char* table : {"morx", "mort", "kerx"}) {
    hb_blob_t* blob = hb_face_reference_table(hb_font_get_face(font), hb_tag_from_string(table, 4));
    const unsigned length = hb_blob_get_length(blob);
    hb_blob_destroy(blob);
    if (length > 0) return;
  }
  for (const char c : kQuickCharacters) {
    if (!quick.usable[static_cast<unsigned char>(c)]) continue;
    quick.place[static_cast<unsigned char>(c)] = static_cast<int>(quick.chars.size());
    quick.chars += c;
  }
  const std::size_t n = quick.chars.size();
  quick.byNeighbours.assign((n + 1) * n * (n + 1), PangoGlyphInfo{});
  std::string text;
  for (std::size_t before = 0; before <= n; ++before) {
    for (std::size_t place = 0; place < n; ++place) {
      for (std::size_t after = 0; after <= n; ++after) {
        text.clear();
        if (before < n) text += quick.chars[before];
        text += quick.chars[place];
        if (after < n) text += quick.chars[after];
        PangoGlyphString* shaped = ShapeRun(*quick.analysis, text);
        const bool oneEach = shaped->num_glyphs == static_cast<int>(text.size());
        if (oneEach) Entry(quick, before, place, after) = shaped->glyphs[before < n ? 1 : 0];
        pango_glyph_string_free(shaped);
        if (!oneEach) {
          quick.byNeighbours.clear();
          return;
        }
      }
    }
  }
  // Runs of one character, and all of them in a row both ways.
  std::vector<std::string> checks{quick.chars, std::string(quick.chars.rbegin(), quick.chars.rend())};
  for (const char c : quick.chars) checks.emplace_back(6, c);
  for (const std::string& check : checks) {
    if (!ComposesAsShaped(quick, check)) {
      quick.byNeighbours.clear();
      return;
    }
  }
}

void Release(QuickFont& quick) {
  for (auto& entry : quick.glyphs) {
    if (entry.second.picture) cairo_surface_destroy(entry.second.picture);
  }
  g_object_unref(quick.sample);
}

QuickFont MakeQuickFont(const FontFace& face) {
  QuickFont quick;
  PangoContext* context = gdi::SharedPangoContext();
  quick.sample = pango_layout_new(context);
  pango_layout_set_font_description(quick.sample, face.description);
  pango_layout_set_single_paragraph_mode(quick.sample, TRUE);
  pango_layout_set_text(quick.sample, "0", 1);
  PangoLayoutLine* line = pango_layout_get_line_readonly(quick.sample, 0);
  if (!line || !line->runs || line->runs->next) return quick;
  const PangoAnalysis& analysis = static_cast<PangoGlyphItem*>(line->runs->data)->item->analysis;
  if (!analysis.font || analysis.level != 0) return quick;
  // One paragraph mode marks the text to show its separators; nothing else
  // may change how the run is shaped.
  for (GSList* attr = analysis.extra_attrs; attr; attr = attr->next) {
    if (static_cast<PangoAttribute*>(attr->data)->klass->type != PANGO_ATTR_SHOW) return quick;
  }
  PangoFontset* fontset = pango_font_map_load_fontset(pango_context_get_font_map(context), context, face.description,
                                                      pango_context_get_language(context));
  if (!fontset) return quick;
  for (const char c : kQuickCharacters) {
    PangoFont* font = pango_fontset_get_font(fontset, static_cast<guint>(c));
    quick.usable[static_cast<unsigned char>(c)] = font == analysis.font && pango_font_has_char(font, c);
    if (font) g_object_unref(font);
  }
  g_object_unref(fontset);
  quick.analysis = &analysis;
  return quick;
}

bool quickShaping = true;

}  // namespace

QuickFont& QuickFontFor(const FontFace& face) {
  // Never destroyed: it holds pictures and layouts to the end, in sight of
  // leak checkers.
  static auto& fonts = *new std::unordered_map<std::string, QuickFont>;
  if (auto found = fonts.find(face.key); found != fonts.end()) return found->second;
  if (fonts.size() >= 64) {
    for (auto& entry : fonts) Release(entry.second);
    fonts.clear();
  }
  return fonts.emplace(face.key, MakeQuickFont(face)).first->second;
}

bool ShapeQuickly(const FontFace& face, const std::string& utf8, ShapedText& shaped) {
  if (!quickShaping || !Enabled() || utf8.empty()) return false;
  if (utf8.find_first_not_of(kQuickCharacters) != std::string::npos) return false;
  QuickFont& quick = QuickFontFor(face);
  if (!quick.analysis) return false;
  for (const char c : utf8) {
    if (!quick.usable[static_cast<unsigned char>(c)]) return false;
  }
  if (!quick.tableTried && ++quick.shapedTexts > kShapedBeforeTable) {
    MakeNeighbourTable(quick);
  }
  if (quick.byNeighbours.empty()) {
    shaped.glyphs = ShapeRun(*quick.analysis, utf8);
  } else {
    shaped.glyphs = pango_glyph_string_new();
    Compose(quick, utf8, shaped.glyphs);
  }
  shaped.font = PANGO_FONT(g_object_ref(quick.analysis->font));
  PangoRectangle logical{};
  pango_glyph_string_extents(shaped.glyphs, shaped.font, nullptr, &logical);
  shaped.baseline = -logical.y;
  return true;
}

void SetQuickShaping(bool on) {
  quickShaping = on;
  ForgetLayouts();
}

}  // namespace platform::draw_cache
