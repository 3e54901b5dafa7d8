// Text drawn through the drawing cache: recorded into a memory bitmap's
// display list, glyph by glyph from the glyph cache for quickly shaped
// texts, or whole from a text's picture.
#pragma once

#include <string>

#include "gdi/draw_cache/layout_cache.h"
#include "gdi/dc.h"

namespace platform::draw_cache {

// Draws (or records) `utf8`, shaped in `shaped`, with the top-left of its
// logical box at (x, y), over the DC's background colour in OPAQUE mode;
// `clip` (DC coordinates) limits it when given.
void DrawShapedText(gdi::DeviceContext& dc, ShapedText& shaped, const std::string& utf8, int x, int y,
                    const RECT* clip);

}  // namespace platform::draw_cache
