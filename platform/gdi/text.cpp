// Text output and measurement with pango. A text's box is pango's logical
// rectangle: TextOutW puts its top-left corner at the given point and
// GetTextExtentPoint32W gives its size, so drawing and measuring agree.
#include "gdi/text.h"

#include <hb-ot.h>
#include <hb.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <cwchar>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "gdi/dc.h"
#include "gdi/pixels.h"
#include "gdi/recording.h"
#include "rect.h"
#include "utf8.h"

namespace platform::gdi {
namespace {

// Shaped layouts by font and text: a frame draws the same texts again and
// again, with fonts that are created anew each time. Two generations: when
// the newer one is full the older one goes, so texts still in use survive
// (no frame has to shape all its texts anew).
constexpr std::size_t kLayoutGenerationSize = 256;

// A text drawn more than once keeps a picture of its glyphs (their
// coverage, A8) and is then drawn with one composite instead of shaping
// and rasterising glyph by glyph, which is most of the cost of a frame.
// Pictures are bounded in total; past the bound texts are drawn directly.
constexpr std::size_t kPictureBudgetBytes = std::size_t{8} << 20;
// Antialiased edges may reach a little past the ink box that pango gives.
constexpr int kPictureMargin = 2;

// A shaped text is a layout, or for the quick texts below a glyph string
// in one font with the baseline where the layout would put it.
struct ShapedText {
  PangoLayout* layout = nullptr;
  PangoGlyphString* glyphs = nullptr;
  PangoFont* font = nullptr;  // the glyphs' font, held
  int baseline = 0;           // pango units below the logical box's top
  int draws = 0;
  cairo_surface_t* picture = nullptr;  // A8 coverage, or null
  int pictureX = 0, pictureY = 0;      // its top-left, from the layout's top-left
  bool blank = false;                  // no ink at all
  bool sizeKnown = false;
  SIZE size{};
  bool reachKnown = false;
  RECT reach{};                        // pixels a draw may change, from the layout's top-left
  enum { kUnknown, kByGlyph, kWhole } drawn = kUnknown;  // quick texts: glyph by glyph or whole
};

// A layout's font and text. Faces are shared by equal fonts, and an entry
// holds its face, so no other face can take its address while it lives.
struct LayoutKey {
  std::shared_ptr<const FontFace> face;
  std::string text;
};
struct LayoutKeyView {
  const FontFace* face;
  std::string_view text;
};
struct LayoutKeyHash {
  using is_transparent = void;
  std::size_t operator()(const LayoutKeyView& k) const {
    return std::hash<std::string_view>()(k.text) * 31 + std::hash<const void*>()(k.face);
  }
  std::size_t operator()(const LayoutKey& k) const { return (*this)(LayoutKeyView{k.face.get(), k.text}); }
};
struct LayoutKeyEqual {
  using is_transparent = void;
  static LayoutKeyView View(const LayoutKey& k) { return {k.face.get(), k.text}; }
  static LayoutKeyView View(const LayoutKeyView& k) { return k; }
  template <typename A, typename B>
  bool operator()(const A& a, const B& b) const {
    return View(a).face == View(b).face && View(a).text == View(b).text;
  }
};
using LayoutMap = std::unordered_map<LayoutKey, ShapedText, LayoutKeyHash, LayoutKeyEqual>;

std::size_t BytesOf(cairo_surface_t* picture) {
  return static_cast<std::size_t>(cairo_image_surface_get_stride(picture)) *
         static_cast<std::size_t>(cairo_image_surface_get_height(picture));
}

struct LayoutCache {
  LayoutMap recent, older;
  std::size_t pictureBytes = 0;
  // The last text asked for: the shell measures a text and then draws it.
  // Its entry holds the face, so the address names that face alone.
  const FontFace* lastFace = nullptr;
  std::string lastText;
  ShapedText* last = nullptr;

  LayoutCache() = default;
  LayoutCache(const LayoutCache&) = delete;
  LayoutCache& operator=(const LayoutCache&) = delete;
  ~LayoutCache() {
    Release(recent);
    Release(older);
  }

  void Release(LayoutMap& layouts) {
    last = nullptr;
    for (auto& entry : layouts) {
      if (entry.second.layout) g_object_unref(entry.second.layout);
      if (entry.second.glyphs) pango_glyph_string_free(entry.second.glyphs);
      if (entry.second.font) g_object_unref(entry.second.font);
      if (cairo_surface_t* picture = entry.second.picture) {
        pictureBytes -= BytesOf(picture);
        cairo_surface_destroy(picture);
      }
    }
    layouts.clear();
  }
};

LayoutCache& Layouts() {
  static LayoutCache cache;
  return cache;
}

// A running timer shows a new time every frame, and a layout (itemising,
// finding breaks, shaping) of a text never seen costs several times what
// shaping alone does. Digits and the signs between them belong to no
// script, so such a text is one run in one font: where the face's font for
// "0" is the font a layout takes for each of its characters, the text is
// shaped straight into glyphs, exactly as the layout would shape it.
constexpr std::string_view kQuickCharacters = "0123456789:.,+-";

// A glyph's coverage (A8) with its top-left from the glyph's origin; no
// picture when it has no ink.
struct GlyphPicture {
  cairo_surface_t* picture = nullptr;
  int x = 0, y = 0;
  RECT ink{};  // pixels from the glyph's origin, rounded outwards
};

struct QuickFont {
  PangoLayout* sample = nullptr;             // "0": its run gives the font and analysis
  const PangoAnalysis* analysis = nullptr;   // null: no quick texts in this face
  std::bitset<128> usable;
  // A face that keeps showing new texts (a running time) gets a table of
  // each character's glyph by the characters either side of it; its texts
  // are then put together from the table instead of shaped.
  int shapedTexts = 0;
  bool tableTried = false;
  std::string chars;                          // the usable characters
  std::array<int, 128> place{};               // a character's place in chars
  std::vector<PangoGlyphInfo> byNeighbours;   // empty: texts are shaped
  std::unordered_map<std::uint64_t, GlyphPicture> glyphs;  // by GlyphPlace
};

// A glyph and where its origin falls inside a pixel (pango units, 0 to
// PANGO_SCALE - 1 each way): kerning can leave a digit off the pixel grid,
// and such a digit is rendered as pango renders it there.
std::uint64_t GlyphPlace(PangoGlyph glyph, int xPart, int yPart) {
  return (std::uint64_t{glyph} << 32) | (static_cast<std::uint64_t>(xPart) << 16) | static_cast<std::uint64_t>(yPart);
}

// Pango units to a whole pixel at or before them, and what is left over.
int WholePixels(int units) { return units >= 0 ? units / PANGO_SCALE : -((-units + PANGO_SCALE - 1) / PANGO_SCALE); }
int PixelPart(int units) { return units - WholePixels(units) * PANGO_SCALE; }

// Glyph pictures a face keeps at most: a glyph has one for each place
// inside a pixel that kerning gives it, which are few.
constexpr std::size_t kMaxGlyphPictures = 1024;

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
  PangoContext* context = SharedPangoContext();
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

// The face's quick font, by the description's key (equal descriptions,
// equal fonts). Few faces are ever made; the bound is for safety.
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

// A glyph of the face's quick font at a place inside a pixel, rendered by
// pango as a text of that one glyph would be, once.
const GlyphPicture& GlyphPictureOf(const FontFace& face, PangoGlyph glyph, int xPart, int yPart) {
  QuickFont& quick = QuickFontFor(face);
  const std::uint64_t place = GlyphPlace(glyph, xPart, yPart);
  if (auto found = quick.glyphs.find(place); found != quick.glyphs.end()) return found->second;
  GlyphPicture made;
  PangoFont* font = quick.analysis ? quick.analysis->font : nullptr;
  PangoRectangle ink{};
  if (font) {
    pango_font_get_glyph_extents(font, glyph, &ink, nullptr);
    pango_extents_to_pixels(&ink, nullptr);
  }
  if (ink.width > 0 && ink.height > 0) {
    made.ink = RECT{ink.x, ink.y, ink.x + ink.width, ink.y + ink.height};
    // A glyph off the grid may reach one more pixel right or down.
    const int extraX = xPart != 0 ? 1 : 0, extraY = yPart != 0 ? 1 : 0;
    made.x = ink.x - kPictureMargin;
    made.y = ink.y - kPictureMargin;
    made.picture = cairo_image_surface_create(CAIRO_FORMAT_A8, ink.width + 2 * kPictureMargin + extraX,
                                              ink.height + 2 * kPictureMargin + extraY);
    if (cairo_surface_status(made.picture) == CAIRO_STATUS_SUCCESS) {
      PangoGlyphString* one = pango_glyph_string_new();
      pango_glyph_string_set_size(one, 1);
      one->glyphs[0] = PangoGlyphInfo{glyph, {0, 0, 0}, {1, 0}};
      one->log_clusters[0] = 0;
      cairo_t* cr = cairo_create(made.picture);
      cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
      cairo_move_to(cr, -made.x + static_cast<double>(xPart) / PANGO_SCALE,
                    -made.y + static_cast<double>(yPart) / PANGO_SCALE);
      pango_cairo_show_glyph_string(cr, font, one);
      cairo_destroy(cr);
      cairo_surface_flush(made.picture);
      pango_glyph_string_free(one);
    } else {
      cairo_surface_destroy(made.picture);
      made.picture = nullptr;
    }
  }
  return quick.glyphs.emplace(place, made).first->second;
}

bool ShapeQuickly(const FontFace& face, const std::string& utf8, ShapedText& shaped) {
  if (!quickShaping || utf8.empty() || utf8.find_first_not_of(kQuickCharacters) != std::string::npos) return false;
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

ShapedText& FindOrShape(LayoutCache& cache, const GdiObject& font, const std::string& utf8) {
  const LayoutKeyView key{font.face.get(), utf8};
  if (auto found = cache.recent.find(key); found != cache.recent.end()) return found->second;
  ShapedText shaped;
  if (auto found = cache.older.find(key); found != cache.older.end()) {
    shaped = found->second;
    cache.older.erase(found);
  } else if (!ShapeQuickly(*font.face, utf8, shaped)) {
    shaped.layout = pango_layout_new(SharedPangoContext());
    pango_layout_set_font_description(shaped.layout, font.face->description);
    // One line, as a GDI text call draws: separators are glyphs, not breaks.
    pango_layout_set_single_paragraph_mode(shaped.layout, TRUE);
    pango_layout_set_text(shaped.layout, utf8.data(), static_cast<int>(utf8.size()));
  }
  if (cache.recent.size() >= kLayoutGenerationSize) {
    cache.Release(cache.older);
    std::swap(cache.older, cache.recent);
  }
  return cache.recent.emplace(LayoutKey{font.face, utf8}, shaped).first->second;
}

ShapedText& LayoutFor(const GdiObject& font, const std::string& utf8) {
  LayoutCache& cache = Layouts();
  if (cache.last && cache.lastFace == font.face.get() && cache.lastText == utf8) return *cache.last;
  ShapedText& shaped = FindOrShape(cache, font, utf8);
  cache.lastFace = font.face.get();
  cache.lastText = utf8;
  cache.last = &shaped;
  return shaped;
}

// The ink and logical boxes in pixels, from the logical box's top-left, as
// pango_layout_get_pixel_extents gives them.
void PixelExtents(const ShapedText& shaped, PangoRectangle* ink, PangoRectangle* logical) {
  if (shaped.layout) {
    pango_layout_get_pixel_extents(shaped.layout, ink, logical);
    return;
  }
  PangoRectangle glyphInk{}, glyphLogical{};
  pango_glyph_string_extents(shaped.glyphs, shaped.font, &glyphInk, &glyphLogical);
  *ink = PangoRectangle{glyphInk.x, glyphInk.y + shaped.baseline, glyphInk.width, glyphInk.height};
  *logical = PangoRectangle{glyphLogical.x, 0, glyphLogical.width, glyphLogical.height};
  pango_extents_to_pixels(ink, nullptr);
  pango_extents_to_pixels(logical, nullptr);
}

// Draws the text with the top-left of its logical box at the current point.
void ShowText(cairo_t* cr, const ShapedText& shaped) {
  if (shaped.layout) {
    pango_cairo_show_layout(cr, shaped.layout);
    return;
  }
  double x = 0, y = 0;
  cairo_get_current_point(cr, &x, &y);
  cairo_move_to(cr, x, y + static_cast<double>(shaped.baseline) / PANGO_SCALE);
  pango_cairo_show_glyph_string(cr, shaped.font, shaped.glyphs);
}

// A layout never changes once made: its size is asked of pango once.
SIZE LayoutSize(ShapedText& shaped) {
  if (!shaped.sizeKnown) {
    PangoRectangle ink{}, logical{};
    PixelExtents(shaped, &ink, &logical);
    shaped.size = SIZE{logical.width, logical.height};
    shaped.sizeKnown = true;
  }
  return shaped.size;
}

// Renders the glyphs' coverage once; leaves no picture when the budget is
// spent or the text has no ink.
void MakePicture(ShapedText& shaped) {
  PangoRectangle ink{}, logical{};
  PixelExtents(shaped, &ink, &logical);
  if (ink.width <= 0 || ink.height <= 0) {
    shaped.blank = true;
    return;
  }
  const int width = ink.width + 2 * kPictureMargin, height = ink.height + 2 * kPictureMargin;
  cairo_surface_t* picture = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
  if (cairo_surface_status(picture) != CAIRO_STATUS_SUCCESS ||
      Layouts().pictureBytes + BytesOf(picture) > kPictureBudgetBytes) {
    cairo_surface_destroy(picture);
    return;
  }
  shaped.pictureX = ink.x - kPictureMargin;
  shaped.pictureY = ink.y - kPictureMargin;
  cairo_t* cr = cairo_create(picture);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
  cairo_move_to(cr, -shaped.pictureX, -shaped.pictureY);
  ShowText(cr, shaped);
  cairo_destroy(cr);
  cairo_surface_flush(picture);
  shaped.picture = picture;
  Layouts().pictureBytes += BytesOf(picture);
}

// Draws a layout with the top-left of its logical box at (x, y), over the
// DC's background colour in OPAQUE mode; `clip` (DC coordinates) limits it.
void DrawLayout(DeviceContext& dc, ShapedText& shaped, int x, int y, const RECT* clip) {
  if (++shaped.draws == 2) MakePicture(shaped);
  const SIZE size = LayoutSize(shaped);
  const RECT& cut = clip ? *clip : kEverywhere;
  if (dc.bkMode == OPAQUE) {
    PixelWriter(dc).Fill(std::max(x, cut.left), std::max(y, cut.top), std::min(x + size.cx, cut.right),
                         std::min(y + size.cy, cut.bottom), dc.bkColour);
  }
  if (shaped.picture) {
    PixelWriter(dc).Cover(shaped.picture, x + shaped.pictureX, y + shaped.pictureY, cut, dc.textColour);
    return;
  }
  if (shaped.blank) return;
  // A text's first draw: pango draws it.
  cairo_t* cr = CairoOf(dc);
  cairo_save(cr);
  if (clip) {
    cairo_rectangle(cr, clip->left, clip->top, clip->right - clip->left, clip->bottom - clip->top);
    cairo_clip(cr);
  }
  SetSourceColour(cr, dc.textColour);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
  cairo_move_to(cr, x, y);
  ShowText(cr, shaped);
  cairo_restore(cr);
  cairo_new_path(cr);
}

// The pixels a draw of the layout may change: its logical box (the
// background) and its ink, with the margin of antialiased edges.
RECT ReachOf(ShapedText& shaped) {
  if (!shaped.reachKnown) {
    PangoRectangle ink{}, logical{};
    PixelExtents(shaped, &ink, &logical);
    shaped.reach = RECT{std::min(ink.x, logical.x) - kPictureMargin, std::min(ink.y, logical.y) - kPictureMargin,
                        std::max(ink.x + ink.width, logical.x + logical.width) + kPictureMargin,
                        std::max(ink.y + ink.height, logical.y + logical.height) + kPictureMargin};
    shaped.reachKnown = true;
  }
  return shaped.reach;
}

// Whether a quick text can be drawn glyph by glyph: every glyph known, a
// picture for each at its place inside a pixel made or within the bound,
// and no two glyphs' boxes overlapping as cairo finds them. Where they
// overlap cairo adds their coverage up before blending, which laying them
// over one another does not give where two glyphs share a pixel. Each box
// is where cairo puts the glyph, its origin rounded to the nearest pixel,
// against the box of all the glyphs before it.
bool DrawableGlyphByGlyph(const FontFace& face, const PangoGlyphString& glyphs, int baseline) {
  const QuickFont& quick = QuickFontFor(face);
  RECT before{};
  for (int i = 0, advance = 0; i < glyphs.num_glyphs; advance += glyphs.glyphs[i++].geometry.width) {
    const PangoGlyphInfo& info = glyphs.glyphs[i];
    if (info.glyph & PANGO_GLYPH_UNKNOWN_FLAG) return false;
    if (info.glyph == PANGO_GLYPH_EMPTY) continue;
    const int originX = advance + info.geometry.x_offset, originY = baseline + info.geometry.y_offset;
    if (quick.glyphs.size() >= kMaxGlyphPictures &&
        !quick.glyphs.contains(GlyphPlace(info.glyph, PixelPart(originX), PixelPart(originY))))
      return false;
    const RECT& ink = GlyphPictureOf(face, info.glyph, 0, 0).ink;
    if (IsEmpty(ink)) continue;
    const RECT box = Offset(ink, WholePixels(originX + PANGO_SCALE / 2), WholePixels(originY + PANGO_SCALE / 2));
    if (!IsEmpty(before) && !IsEmpty(Intersect(box, before))) return false;
    before = IsEmpty(before) ? box : Union(before, box);
  }
  return true;
}

// Draws (or keeps for later) a text with the top-left of its logical box at
// (x, y), cut to `clip` when there is one.
// A quick text is drawn glyph by glyph from the glyphs' pictures, laid
// over one another as cairo lays them, and each glyph is a step of its
// own: when a running time changes its last digit, the frame redraws and
// sends that digit alone.
bool DrawGlyphByGlyph(DeviceContext& dc, ShapedText& shaped, int x, int y, const RECT* clip) {
  if (!shaped.glyphs) return false;
  const PangoGlyphString& glyphs = *shaped.glyphs;
  const FontFace& face = *dc.font->face;
  if (shaped.drawn == ShapedText::kUnknown) {
    shaped.drawn = DrawableGlyphByGlyph(face, glyphs, shaped.baseline) ? ShapedText::kByGlyph : ShapedText::kWhole;
  }
  if (shaped.drawn == ShapedText::kWhole) return false;
  const RECT cut = clip ? *clip : kEverywhere;
  if (dc.bkMode == OPAQUE) {
    const SIZE size = LayoutSize(shaped);
    const RECT box{x, y, x + size.cx, y + size.cy};
    StepKey key('t');
    key.Add(box.left).Add(box.top).Add(box.right).Add(box.bottom).Add(cut.left).Add(cut.top).Add(cut.right).Add(cut.bottom);
    Draw(dc, key, Intersect(box, cut), [box, cut](DeviceContext& d) {
      const RECT r = Intersect(box, cut);
      PixelWriter(d).Fill(r.left, r.top, r.right, r.bottom, d.bkColour);
    });
  }
  for (int i = 0, advance = 0; i < glyphs.num_glyphs; advance += glyphs.glyphs[i++].geometry.width) {
    const PangoGlyphInfo& info = glyphs.glyphs[i];
    if (info.glyph == PANGO_GLYPH_EMPTY) continue;
    const int originX = advance + info.geometry.x_offset, originY = shaped.baseline + info.geometry.y_offset;
    const int xPart = PixelPart(originX), yPart = PixelPart(originY);
    const GlyphPicture& glyph = GlyphPictureOf(face, info.glyph, xPart, yPart);
    if (!glyph.picture) continue;
    const int left = x + WholePixels(originX) + glyph.x;
    const int top = y + WholePixels(originY) + glyph.y;
    const RECT reach{left, top, left + cairo_image_surface_get_width(glyph.picture),
                     top + cairo_image_surface_get_height(glyph.picture)};
    StepKey key('g');
    key.Add(info.glyph).Add(xPart).Add(yPart).Add(left).Add(top).Add(cut.left).Add(cut.top).Add(cut.right).Add(cut.bottom);
    Draw(dc, key, Intersect(reach, cut), [id = info.glyph, xPart, yPart, left, top, cut](DeviceContext& d) {
      const GlyphPicture& picture = GlyphPictureOf(*d.font->face, id, xPart, yPart);
      if (picture.picture) PixelWriter(d).Cover(picture.picture, left, top, cut, d.textColour);
    });
  }
  return true;
}

void DrawText(DeviceContext& dc, ShapedText& shaped, const std::string& utf8, int x, int y, const RECT* clip) {
  if (DrawGlyphByGlyph(dc, shaped, x, y, clip)) return;
  StepKey key('T');
  key.Add(x).Add(y).Add(clip != nullptr).Add(utf8);
  const RECT cut = clip ? *clip : kEverywhere;
  if (clip) key.Add(cut.left).Add(cut.top).Add(cut.right).Add(cut.bottom);
  // The text is copied into a step only when the step is new.
  bool fresh = false;
  if (KeepKey(dc, key, Intersect(Offset(ReachOf(shaped), x, y), cut), fresh)) {
    if (fresh) {
      KeepClosure(dc, [utf8, x, y, cut, clipped = clip != nullptr](DeviceContext& d) {
        DrawLayout(d, LayoutFor(*d.font, utf8), x, y, clipped ? &cut : nullptr);
      });
    }
    return;
  }
  // Looked up again: drawing what was kept may have turned the cache over.
  DrawLayout(dc, LayoutFor(*dc.font, utf8), x, y, clip ? &cut : nullptr);
}

// The text in UTF-8, in storage kept from call to call.
const std::string& Utf8Scratch(const wchar_t* text, int count) {
  static std::string scratch;
  if (!text) {
    scratch.clear();
  } else {
    if (count < 0) count = static_cast<int>(std::wcslen(text));
    utf8::ToUtf8(std::wstring_view(text, static_cast<std::size_t>(count)), scratch);
  }
  return scratch;
}

// DrawTextW's prefix rule: "&x" shows "x", "&&" shows "&".
std::wstring WithoutPrefixes(const wchar_t* text, int count) {
  std::wstring shown;
  shown.reserve(count);
  for (int i = 0; i < count; ++i) {
    if (text[i] == L'&' && ++i == count) break;
    shown += text[i];
  }
  return shown;
}

}  // namespace

void SetQuickShaping(bool on) {
  quickShaping = on;
  Layouts().Release(Layouts().recent);
  Layouts().Release(Layouts().older);
}

PangoContext* SharedPangoContext() {
  static PangoContext* context = [] {
    // Our own font map, held here: the default one lives in thread-local
    // storage, where leak checkers cannot see that it is still in use.
    static PangoFontMap* fontMap = pango_cairo_font_map_new();
    PangoContext* created = pango_font_map_create_context(fontMap);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(created, options);
    cairo_font_options_destroy(options);
    pango_cairo_context_set_resolution(created, 96);
    return created;
  }();
  return context;
}

std::string ToUtf8(const wchar_t* text, int count) {
  if (!text) return {};
  if (count < 0) count = static_cast<int>(std::wcslen(text));
  return utf8::ToUtf8(std::wstring_view(text, static_cast<std::size_t>(count)));
}

}  // namespace platform::gdi

using platform::gdi::DCFromHandle;
using platform::gdi::DeviceContext;

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, SIZE* size) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc || !size || count < 0 || (!text && count > 0)) return FALSE;
  platform::gdi::ShapedText& shaped = platform::gdi::LayoutFor(*dc->font, platform::gdi::Utf8Scratch(text, count));
  *size = platform::gdi::LayoutSize(shaped);
  return TRUE;
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc || count < 0 || (!text && count > 0)) return FALSE;
  const std::string& utf8 = platform::gdi::Utf8Scratch(text, count);
  platform::gdi::ShapedText& shaped = platform::gdi::LayoutFor(*dc->font, utf8);
  platform::gdi::DrawText(*dc, shaped, utf8, platform::gdi::ClampCoordinate(x),
                          platform::gdi::ClampCoordinate(y), nullptr);
  return TRUE;
}

int DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format) {
  constexpr UINT kBottom = 0x8, kNoClip = 0x100, kCalcRect = 0x400;
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc || !text || !rect) return 0;
  if (count < 0) count = static_cast<int>(std::wcslen(text));
  std::string utf8 = (format & DT_NOPREFIX)
                         ? platform::gdi::ToUtf8(text, count)
                         : platform::gdi::ToUtf8(platform::gdi::WithoutPrefixes(text, count).c_str(), -1);
  platform::gdi::ShapedText& shaped = platform::gdi::LayoutFor(*dc->font, utf8);
  const SIZE size = platform::gdi::LayoutSize(shaped);
  if (format & kCalcRect) {
    rect->right = platform::gdi::ClampCoordinate(static_cast<long long>(rect->left) + size.cx);
    rect->bottom = platform::gdi::ClampCoordinate(static_cast<long long>(rect->top) + size.cy);
    return size.cy;
  }
  using platform::gdi::ClampCoordinate;
  const RECT box{ClampCoordinate(rect->left), ClampCoordinate(rect->top), ClampCoordinate(rect->right),
                 ClampCoordinate(rect->bottom)};
  int x = box.left;
  if (format & DT_CENTER) x = box.left + (box.right - box.left - size.cx) / 2;
  else if (format & DT_RIGHT) x = box.right - size.cx;
  int y = box.top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) y = box.top + (box.bottom - box.top - size.cy) / 2;
    else if (format & kBottom) y = box.bottom - size.cy;
  }
  platform::gdi::DrawText(*dc, shaped, utf8, x, y, (format & kNoClip) ? nullptr : &box);
  if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | kBottom))) return y - box.top + size.cy;
  return size.cy;
}

// fontconfig keeps the parts of its patterns behind offsets rather than
// pointers, so a leak checker takes the patterns that pango caches for
// leaks. Used only by builds with a leak checker.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
