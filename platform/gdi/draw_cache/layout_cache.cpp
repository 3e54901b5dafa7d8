#include "gdi/draw_cache/layout_cache.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "gdi/draw_cache/draw_cache.h"
#include "gdi/draw_cache/glyph_cache.h"
#include "gdi/draw_cache/quick_shaping.h"
#include "gdi/text.h"

namespace platform::draw_cache {
namespace {

using gdi::FontFace;
using gdi::GdiObject;

// Two generations: when the newer one is full the older one goes, so texts
// still in use survive (no frame has to shape all its texts anew).
constexpr std::size_t kLayoutGenerationSize = 256;

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

struct LayoutCache {
  LayoutMap recent, older;
  // The switch's generation the entries were made under.
  unsigned generation = Generation();
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
      if (entry.second.picture) ReleaseTextPicture(entry.second.picture);
    }
    layouts.clear();
  }
};

LayoutCache& Layouts() {
  static LayoutCache cache;
  return cache;
}

ShapedText& FindOrShape(LayoutCache& cache, const GdiObject& font, const std::string& utf8) {
  const LayoutKeyView key{font.face.get(), utf8};
  if (auto found = cache.recent.find(key); found != cache.recent.end()) return found->second;
  ShapedText shaped;
  if (auto found = cache.older.find(key); found != cache.older.end()) {
    shaped = found->second;
    cache.older.erase(found);
  } else if (!ShapeQuickly(*font.face, utf8, shaped)) {
    shaped.layout = pango_layout_new(gdi::SharedPangoContext());
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

}  // namespace

ShapedText& LayoutFor(const GdiObject& font, const std::string& utf8) {
  LayoutCache& cache = Layouts();
  // With the cache off every call lays its text out anew.
  if (cache.generation != Generation() || !Enabled()) {
    ForgetLayouts();
    cache.generation = Generation();
  }
  if (cache.last && cache.lastFace == font.face.get() && cache.lastText == utf8) return *cache.last;
  ShapedText& shaped = FindOrShape(cache, font, utf8);
  cache.lastFace = font.face.get();
  cache.lastText = utf8;
  cache.last = &shaped;
  return shaped;
}

void ForgetLayouts() {
  Layouts().Release(Layouts().recent);
  Layouts().Release(Layouts().older);
}

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

RECT BoundsOf(ShapedText& shaped) {
  if (!shaped.boundsKnown) {
    PangoRectangle ink{}, logical{};
    PixelExtents(shaped, &ink, &logical);
    shaped.bounds = RECT{std::min(ink.x, logical.x) - kPictureMargin, std::min(ink.y, logical.y) - kPictureMargin,
                         std::max(ink.x + ink.width, logical.x + logical.width) + kPictureMargin,
                         std::max(ink.y + ink.height, logical.y + logical.height) + kPictureMargin};
    shaped.boundsKnown = true;
  }
  return shaped.bounds;
}

}  // namespace platform::draw_cache
