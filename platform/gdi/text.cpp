// Text output and measurement with pango. A text's box is pango's logical
// rectangle: TextOutW puts its top-left corner at the given point and
// GetTextExtentPoint32W gives its size, so drawing and measuring agree.
#include "gdi/text.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

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

struct ShapedText {
  PangoLayout* layout = nullptr;
  int draws = 0;
  cairo_surface_t* picture = nullptr;  // A8 coverage, or null
  int pictureX = 0, pictureY = 0;      // its top-left, from the layout's top-left
  bool blank = false;                  // no ink at all
  bool sizeKnown = false;
  SIZE size{};
  bool reachKnown = false;
  RECT reach{};                        // pixels a draw may change, from the layout's top-left
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

  LayoutCache() = default;
  LayoutCache(const LayoutCache&) = delete;
  LayoutCache& operator=(const LayoutCache&) = delete;
  ~LayoutCache() {
    Release(recent);
    Release(older);
  }

  void Release(LayoutMap& layouts) {
    for (auto& entry : layouts) {
      g_object_unref(entry.second.layout);
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

ShapedText& LayoutFor(const GdiObject& font, const std::string& utf8) {
  LayoutCache& cache = Layouts();
  const LayoutKeyView key{font.face.get(), utf8};
  if (auto found = cache.recent.find(key); found != cache.recent.end()) return found->second;
  ShapedText shaped;
  if (auto found = cache.older.find(key); found != cache.older.end()) {
    shaped = found->second;
    cache.older.erase(found);
  } else {
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

// A layout never changes once made: its size is asked of pango once.
SIZE LayoutSize(ShapedText& shaped) {
  if (!shaped.sizeKnown) {
    int width = 0, height = 0;
    pango_layout_get_pixel_size(shaped.layout, &width, &height);
    shaped.size = SIZE{width, height};
    shaped.sizeKnown = true;
  }
  return shaped.size;
}

// Renders the glyphs' coverage once; leaves no picture when the budget is
// spent or the text has no ink.
void MakePicture(ShapedText& shaped) {
  PangoRectangle ink{}, logical{};
  pango_layout_get_pixel_extents(shaped.layout, &ink, &logical);
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
  pango_cairo_show_layout(cr, shaped.layout);
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
  pango_cairo_show_layout(cr, shaped.layout);
  cairo_restore(cr);
  cairo_new_path(cr);
}

// The pixels a draw of the layout may change: its logical box (the
// background) and its ink, with the margin of antialiased edges.
RECT ReachOf(ShapedText& shaped) {
  if (!shaped.reachKnown) {
    PangoRectangle ink{}, logical{};
    pango_layout_get_pixel_extents(shaped.layout, &ink, &logical);
    shaped.reach = RECT{std::min(ink.x, logical.x) - kPictureMargin, std::min(ink.y, logical.y) - kPictureMargin,
                        std::max(ink.x + ink.width, logical.x + logical.width) + kPictureMargin,
                        std::max(ink.y + ink.height, logical.y + logical.height) + kPictureMargin};
    shaped.reachKnown = true;
  }
  return shaped.reach;
}

// Draws (or keeps for later) a text with the top-left of its logical box at
// (x, y), cut to `clip` when there is one.
void DrawText(DeviceContext& dc, ShapedText& shaped, std::string utf8, int x, int y, const RECT* clip) {
  StepKey key('T');
  key.Add(x).Add(y).Add(clip != nullptr).Add(utf8);
  const RECT cut = clip ? *clip : kEverywhere;
  if (clip) key.Add(cut.left).Add(cut.top).Add(cut.right).Add(cut.bottom);
  Draw(dc, key, Intersect(Offset(ReachOf(shaped), x, y), cut), [utf8 = std::move(utf8), x, y, cut, clipped = clip != nullptr](DeviceContext& d) {
    DrawLayout(d, LayoutFor(*d.font, utf8), x, y, clipped ? &cut : nullptr);
  });
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
  return platform::ToUtf8(std::wstring_view(text, static_cast<std::size_t>(count)));
}

}  // namespace platform::gdi

using platform::gdi::DCFromHandle;
using platform::gdi::DeviceContext;

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, SIZE* size) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc || !size || count < 0 || (!text && count > 0)) return FALSE;
  platform::gdi::ShapedText& shaped = platform::gdi::LayoutFor(*dc->font, platform::gdi::ToUtf8(text, count));
  *size = platform::gdi::LayoutSize(shaped);
  return TRUE;
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc || count < 0 || (!text && count > 0)) return FALSE;
  std::string utf8 = platform::gdi::ToUtf8(text, count);
  platform::gdi::ShapedText& shaped = platform::gdi::LayoutFor(*dc->font, utf8);
  platform::gdi::DrawText(*dc, shaped, std::move(utf8), platform::gdi::ClampCoordinate(x),
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
  platform::gdi::DrawText(*dc, shaped, std::move(utf8), x, y, (format & kNoClip) ? nullptr : &box);
  if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | kBottom))) return y - box.top + size.cy;
  return size.cy;
}

// fontconfig keeps the parts of its patterns behind offsets rather than
// pointers, so a leak checker takes the patterns that pango caches for
// leaks. Used only by builds with a leak checker.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
