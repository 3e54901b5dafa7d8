// The one typeface of the window's text, shared by the painter and the
// split-name boxes.
#pragma once

#include "win32.h"

// "Segoe UI" with the given character height (negative) and weight; the
// caller deletes it.
inline HFONT CreateUiFont(int height, int weight) {
  return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_OUTLINE_PRECIS,
                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH, L"Segoe UI");
}
