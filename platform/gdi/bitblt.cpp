// Pixel copies between device contexts: exact, no filtering, clipped to
// the source's pixels and the destination's clip.
#include <algorithm>

#include "gdi/dc.h"

using platform::gdi::DCFromHandle;
using platform::gdi::DeviceContext;

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
  DeviceContext* to = DCFromHandle(dest);
  DeviceContext* from = DCFromHandle(src);
  if (!to || !from || rop != SRCCOPY) return FALSE;
  using platform::gdi::ClampCoordinate;
  x = ClampCoordinate(x);
  y = ClampCoordinate(y);
  width = ClampCoordinate(width);
  height = ClampCoordinate(height);
  srcX = ClampCoordinate(srcX);
  srcY = ClampCoordinate(srcY);
  cairo_surface_t* source = platform::gdi::TargetOf(*from);
  // The source rectangle in the source surface's pixels, cut to its size.
  int left = srcX + from->originX, top = srcY + from->originY;
  int right = left + std::max(width, 0), bottom = top + std::max(height, 0);
  const int cutLeft = std::max(0, -left), cutTop = std::max(0, -top);
  left += cutLeft;
  top += cutTop;
  right = std::min(right, cairo_image_surface_get_width(source));
  bottom = std::min(bottom, cairo_image_surface_get_height(source));
  if (right <= left || bottom <= top) return TRUE;
  x += cutLeft;
  y += cutTop;

  cairo_surface_flush(source);
  cairo_surface_t* copy = nullptr;
  if (source == platform::gdi::TargetOf(*to)) {
    // Overlapping copies within one surface read from a snapshot.
    copy = cairo_image_surface_create(CAIRO_FORMAT_RGB24, right - left, bottom - top);
    cairo_t* snap = cairo_create(copy);
    cairo_set_source_surface(snap, source, -left, -top);
    cairo_set_operator(snap, CAIRO_OPERATOR_SOURCE);
    cairo_paint(snap);
    cairo_destroy(snap);
    right -= left;
    bottom -= top;
    left = top = 0;
    source = copy;
  }

  cairo_t* cr = platform::gdi::CairoOf(*to);
  cairo_save(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, source, x - left, y - top);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_rectangle(cr, x, y, right - left, bottom - top);
  cairo_fill(cr);
  cairo_restore(cr);
  if (copy) cairo_surface_destroy(copy);
  return TRUE;
}
