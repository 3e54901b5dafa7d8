// Windows font descriptions (LOGFONTW) as pango font descriptions.
#pragma once

#include <pango/pango.h>

#include "win32_layer.h"

namespace platform::gdi {

// The character height of a font asked for with height 0.
constexpr int kDefaultCharHeight = 12;

// A new description the caller frees with pango_font_description_free.
// Negative heights are character (em) heights in pixels, positive ones cell
// heights (ascent + descent), 0 the default size.
PangoFontDescription* FontDescriptionFromLogFont(const LOGFONTW& logFont);

struct GdiObject;
// A new font object, not yet registered as live.
GdiObject* NewFontObject(const LOGFONTW& logFont);

}  // namespace platform::gdi
