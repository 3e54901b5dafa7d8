// The glyph cache: coverage pictures (A8) of what pango draws. A text drawn
// more than once keeps a picture of all its glyphs and is then drawn with
// one composite instead of shaping and rasterising glyph by glyph, which is
// most of the cost of a frame. Quickly shaped texts (times, deltas) are
// drawn glyph by glyph from one picture per glyph and place inside a pixel.
#pragma once

#include <cairo.h>
#include <pango/pango.h>

#include <cstddef>
#include <cstdint>

#include "gdi/draw_cache/layout_cache.h"
#include "gdi/objects.h"
#include "win32_layer.h"

namespace platform::draw_cache {

// Antialiased edges may reach a little past the ink box that pango gives.
constexpr int kPictureMargin = 2;

// Glyph pictures a face keeps at most: a glyph has one for each place
// inside a pixel that kerning gives it, which are few.
constexpr std::size_t kMaxGlyphPictures = 1024;

// A glyph's coverage (A8) with its top-left from the glyph's origin; no
// picture when it has no ink.
struct GlyphPicture {
  cairo_surface_t* picture = nullptr;
  int x = 0, y = 0;
  RECT ink{};  // pixels from the glyph's origin, rounded outwards
};

// A glyph and where its origin falls inside a pixel (pango units, 0 to
// PANGO_SCALE - 1 each way): kerning can leave a digit off the pixel grid,
// and such a digit is rendered as pango renders it there.
inline std::uint64_t GlyphPlace(PangoGlyph glyph, int xPart, int yPart) {
  return (std::uint64_t{glyph} << 32) | (static_cast<std::uint64_t>(xPart) << 16) | static_cast<std::uint64_t>(yPart);
}

// Pango units to a whole pixel at or before them, and what is left over.
inline int WholePixels(int units) {
  return units >= 0 ? units / PANGO_SCALE : -((-units + PANGO_SCALE - 1) / PANGO_SCALE);
}
inline int PixelPart(int units) { return units - WholePixels(units) * PANGO_SCALE; }

// A glyph of the face's quick font at a place inside a pixel, rendered by
// pango as a text of that one glyph would be, once.
const GlyphPicture& GlyphPictureOf(const gdi::FontFace& face, PangoGlyph glyph, int xPart, int yPart);

// Whether a quickly shaped text can be drawn glyph by glyph: every glyph
// known, a picture for each at its place inside a pixel made or within the
// bound, and no two glyphs' boxes overlapping as cairo finds them. Where
// they overlap cairo adds their coverage up before blending, which laying
// them over one another does not give where two glyphs share a pixel. Each
// box is where cairo puts the glyph, its origin rounded to the nearest
// pixel, against the box of all the glyphs before it.
bool DrawableGlyphByGlyph(const gdi::FontFace& face, const PangoGlyphString& glyphs, int baseline);

// Renders a text's coverage once; leaves no picture when the budget is
// spent or the text has no ink (then `blank`).
void MakeTextPicture(ShapedText& shaped);
// Frees a picture MakeTextPicture made.
void ReleaseTextPicture(cairo_surface_t* picture);

}  // namespace platform::draw_cache
