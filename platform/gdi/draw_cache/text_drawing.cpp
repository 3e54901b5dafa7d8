#include "gdi/draw_cache/text_drawing.h"

#include <pango/pangocairo.h>

#include <algorithm>

#include "gdi/draw_cache/display_list.h"
#include "gdi/draw_cache/draw_cache.h"
#include "gdi/draw_cache/glyph_cache.h"
#include "gdi/pixels.h"
#include "rect.h"

namespace platform::draw_cache {
namespace {

using gdi::DeviceContext;
using gdi::FontFace;
using gdi::kEverywhere;
using gdi::PixelWriter;

// Draws a layout with the top-left of its logical box at (x, y), over the
// DC's background colour in OPAQUE mode; `clip` (DC coordinates) limits it.
void DrawLayout(DeviceContext& dc, ShapedText& shaped, int x, int y, const RECT* clip) {
  if (++shaped.draws == 2) MakeTextPicture(shaped);
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
  cairo_t* cr = gdi::CairoOf(dc);
  cairo_save(cr);
  if (clip) {
    cairo_rectangle(cr, clip->left, clip->top, clip->right - clip->left, clip->bottom - clip->top);
    cairo_clip(cr);
  }
  gdi::SetSourceColour(cr, dc.textColour);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
  cairo_move_to(cr, x, y);
  ShowText(cr, shaped);
  cairo_restore(cr);
  cairo_new_path(cr);
}

// A quickly shaped text is drawn glyph by glyph from the glyph cache, the
// pictures laid over one another as cairo lays them, and each glyph is a
// call of its own in the display list: when a running time changes its
// last digit, the frame replays and sends that digit alone.
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
    CallKey key('t');
    key.Add(box.left).Add(box.top).Add(box.right).Add(box.bottom);
    key.Add(cut.left).Add(cut.top).Add(cut.right).Add(cut.bottom);
    DrawOrRecord(dc, key, Intersect(box, cut), [box, cut](DeviceContext& d) {
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
    const RECT bounds{left, top, left + cairo_image_surface_get_width(glyph.picture),
                      top + cairo_image_surface_get_height(glyph.picture)};
    CallKey key('g');
    key.Add(info.glyph).Add(xPart).Add(yPart).Add(left).Add(top);
    key.Add(cut.left).Add(cut.top).Add(cut.right).Add(cut.bottom);
    DrawOrRecord(dc, key, Intersect(bounds, cut), [id = info.glyph, xPart, yPart, left, top, cut](DeviceContext& d) {
      const GlyphPicture& picture = GlyphPictureOf(*d.font->face, id, xPart, yPart);
      if (picture.picture) PixelWriter(d).Cover(picture.picture, left, top, cut, d.textColour);
    });
  }
  return true;
}

void DrawText(DeviceContext& dc, ShapedText& shaped, const std::string& utf8, int x, int y, const RECT* clip) {
  if (DrawGlyphByGlyph(dc, shaped, x, y, clip)) return;
  CallKey key('T');
  key.Add(x).Add(y).Add(clip != nullptr).Add(utf8);
  const RECT cut = clip ? *clip : kEverywhere;
  if (clip) key.Add(cut.left).Add(cut.top).Add(cut.right).Add(cut.bottom);
  // The text is copied into a call only when the call is new.
  bool fresh = false;
  if (RecordKey(dc, key, Intersect(Offset(BoundsOf(shaped), x, y), cut), fresh)) {
    if (fresh) {
      RecordCall(dc, [utf8, x, y, cut, clipped = clip != nullptr](DeviceContext& d) {
        DrawLayout(d, LayoutFor(*d.font, utf8), x, y, clipped ? &cut : nullptr);
      });
    }
    return;
  }
  // Looked up again: replaying the list may have turned the layout cache over.
  DrawLayout(dc, LayoutFor(*dc.font, utf8), x, y, clip ? &cut : nullptr);
}

}  // namespace

void DrawShapedText(DeviceContext& dc, ShapedText& shaped, const std::string& utf8, int x, int y, const RECT* clip) {
  // The direct path: no list, no pictures.
  if (!Enabled()) {
    BeforeDirectDraw(dc);
    DrawLayout(dc, shaped, x, y, clip);
    return;
  }
  DrawText(dc, shaped, utf8, x, y, clip);
}

}  // namespace platform::draw_cache
