// Quick shaping. A running timer shows a new time every frame, and a
// layout (itemising, finding breaks, shaping) of a text never seen costs
// several times what shaping alone does. Digits and the signs between them
// belong to no script, so such a text is one run in one font: where the
// face's font for "0" is the font a layout takes for each of its
// characters, the text is shaped straight into glyphs, exactly as the
// layout would shape it, or put together from a table of each character's
// glyph by its neighbours.
#pragma once

#include <pango/pango.h>

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "gdi/draw_cache/glyph_cache.h"
#include "gdi/draw_cache/layout_cache.h"
#include "gdi/objects.h"

namespace platform::draw_cache {

constexpr std::string_view kQuickCharacters = "0123456789:.,+-";

// A face's font for quickly shaped texts, its neighbour table and its glyph pictures.
struct QuickFont {
  PangoLayout* sample = nullptr;            // "0": its run gives the font and analysis
  const PangoAnalysis* analysis = nullptr;  // null: no quick shaping in this face
  std::bitset<128> usable;
  // A face that keeps showing new texts (a running time) gets a table of
  // each character's glyph by the characters either side of it; its texts
  // are then put together from the table instead of shaped.
  int shapedTexts = 0;
  bool tableTried = false;
  std::string chars;                                       // the usable characters
  std::array<int, 128> place{};                            // a character's place in chars
  std::vector<PangoGlyphInfo> byNeighbours;                // empty: texts are shaped
  std::unordered_map<std::uint64_t, GlyphPicture> glyphs;  // by GlyphPlace
};

// The face's quick font, by the description's key (equal descriptions,
// equal fonts). Few faces are ever made; the bound is for safety.
QuickFont& QuickFontFor(const gdi::FontFace& face);

// Shapes a text of digits and signs into `shaped` as its layout would;
// false when the text or the face does not allow it, or the cache is off.
bool ShapeQuickly(const gdi::FontFace& face, const std::string& utf8, ShapedText& shaped);

// Whether quick shaping is used (the default) rather than layouts; both
// give the same pixels. For tests. Forgets the texts shaped so far.
void SetQuickShaping(bool on);

}  // namespace platform::draw_cache
