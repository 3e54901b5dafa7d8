// The layout cache: texts shaped by pango, by font and text. A frame draws
// the same texts again and again, with fonts that are created anew each
// time. A text's box is pango's logical rectangle: TextOutW puts its
// top-left corner at the given point and GetTextExtentPoint32W gives its
// size, so drawing and measuring agree.
#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include <string>

#include "gdi/objects.h"
#include "win32_layer.h"

namespace platform::draw_cache {

// A shaped text is a layout, or for a quickly shaped text a glyph string in
// one font with the baseline where the layout would put it.
struct ShapedText {
  PangoLayout* layout = nullptr;
  PangoGlyphString* glyphs = nullptr;
  PangoFont* font = nullptr;  // the glyphs' font, held
  int baseline = 0;           // pango units below the logical box's top
  int draws = 0;
  cairo_surface_t* picture = nullptr;  // A8 coverage from the glyph cache, or null
  int pictureX = 0, pictureY = 0;      // its top-left, from the layout's top-left
  bool blank = false;                  // no ink at all
  bool sizeKnown = false;
  SIZE size{};
  bool boundsKnown = false;
  RECT bounds{};                                         // pixels a draw may change, from the layout's top-left
  enum { kUnknown, kByGlyph, kWhole } drawn = kUnknown;  // quickly shaped: glyph by glyph or whole
};

// The text shaped in the font, from the cache; with the cache off, shaped
// anew (valid until the next call).
ShapedText& LayoutFor(const gdi::GdiObject& font, const std::string& utf8);

// Drops every cached layout.
void ForgetLayouts();

// The ink and logical boxes in pixels, from the logical box's top-left, as
// pango_layout_get_pixel_extents gives them.
void PixelExtents(const ShapedText& shaped, PangoRectangle* ink, PangoRectangle* logical);

// Draws the text with the top-left of its logical box at the current point.
void ShowText(cairo_t* cr, const ShapedText& shaped);

// The logical box's size, asked of pango once.
SIZE LayoutSize(ShapedText& shaped);

// The pixels a draw of the text may change: its logical box (the
// background) and its ink, with the margin of antialiased edges.
RECT BoundsOf(ShapedText& shaped);

}  // namespace platform::draw_cache
