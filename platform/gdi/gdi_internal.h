// What the window model needs from GDI: device contexts over a top-level
// window's frame surface, and a count of live objects for leak checks.
#pragma once

#include <cairo.h>

#include <functional>
#include <vector>

#include "win32_layer.h"

namespace platform::gdi {

// A device context that draws into a top-level window's frame: a cairo image
// surface (CAIRO_FORMAT_RGB24, pixel 0x00RRGGBB) the size of that window.
// Its coordinate origin is at (originX, originY) of the frame and every drawing
// is clipped to `clip` (frame coordinates). `childAreas` (frame coordinates) are
// parts the caller puts back as they were once the DC is released.
HDC CreateFrameDC(cairo_surface_t* frame, int originX, int originY, const RECT& clip,
                  std::vector<RECT> childAreas = {});
// Runs `prepare` once, before drawing through the frame DC first changes
// the frame (never when nothing is drawn or every copy is left out).
void BeforeFirstChange(HDC hdc, std::function<void()> prepare);
// Frees a frame DC; returns the part of the frame its drawing may have
// changed (empty when nothing was drawn or a copy changed no pixel).
RECT ReleaseFrameDC(HDC hdc);

// Pens, brushes, fonts, bitmaps and memory DCs that are alive (created and not
// yet deleted); stock objects and frame DCs do not count.
int LiveGdiObjectCount();

}  // namespace platform::gdi
