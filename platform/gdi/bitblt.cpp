// Pixel copies between device contexts: exact, no filtering, clipped to
// the source's pixels and the destination's clip.
#include <algorithm>
#include <cstring>

#include "gdi/dc.h"
#include "gdi/draw_cache/copy_elision.h"
#include "gdi/draw_cache/display_list.h"

using platform::gdi::DCFromHandle;
using platform::gdi::DeviceContext;

namespace {

unsigned char* RowOf(cairo_surface_t* surface, int y) {
  return cairo_image_surface_get_data(surface) +
         static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface);
}

}  // namespace

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
  DeviceContext* to = DCFromHandle(dest);
  DeviceContext* from = DCFromHandle(src);
  if (!to || !from || rop != SRCCOPY) return FALSE;
  using platform::gdi::ClampCoordinate;
  cairo_surface_t* source = platform::gdi::TargetOf(*from);
  cairo_surface_t* target = platform::gdi::TargetOf(*to);
  // The destination box in the target's pixels, and how far the source
  // pixels lie from it.
  const int left = ClampCoordinate(x) + to->originX, top = ClampCoordinate(y) + to->originY;
  const int shiftX = ClampCoordinate(srcX) + from->originX - left;
  const int shiftY = ClampCoordinate(srcY) + from->originY - top;
  RECT box{left, top, left + std::max(ClampCoordinate(width), 0), top + std::max(ClampCoordinate(height), 0)};
  // Cut to the target, the destination's clip and the source's pixels.
  RECT limit{0, 0, cairo_image_surface_get_width(target), cairo_image_surface_get_height(target)};
  if (!to->memory) {
    limit = RECT{std::max(limit.left, to->clip.left), std::max(limit.top, to->clip.top),
                 std::min(limit.right, to->clip.right), std::min(limit.bottom, to->clip.bottom)};
  }
  box = RECT{std::max({box.left, limit.left, -shiftX}), std::max({box.top, limit.top, -shiftY}),
             std::min({box.right, limit.right, cairo_image_surface_get_width(source) - shiftX}),
             std::min({box.bottom, limit.bottom, cairo_image_surface_get_height(source) - shiftY})};
  if (box.right <= box.left || box.bottom <= box.top) return TRUE;

  // A recorded list is replayed before its pixels are read; a memory
  // destination is drawn over at once, so its own list is replayed first.
  platform::draw_cache::Replay(*from);
  if (to->memory) platform::draw_cache::BeforeDirectDraw(*to);
  const std::uint64_t content = platform::draw_cache::ContentId(*from);
  const POINT shift{shiftX, shiftY};
  const RECT whole = box;
  if (!to->memory) {
    box = platform::draw_cache::StillToCopy(*to, *from, whole, shift);
    if (box.right <= box.left || box.bottom <= box.top) return TRUE;
  }

  platform::gdi::AboutToChange(*to);
  // Both are RGB24 images: rows are copied as they are. Within one surface
  // the rows go in the order that reads each before it is overwritten.
  cairo_surface_flush(source);
  cairo_surface_flush(target);
  const std::size_t bytes = static_cast<std::size_t>(box.right - box.left) * 4;
  const bool upwards = source == target && shiftY < 0;
  // A window's frame goes to the screen where it changed: a frame that is
  // redrawn each tick but looks the same must cost no transfer, so rows
  // that already hold these pixels are left alone. With the drawing cache
  // off the whole box counts as changed.
  const bool onFrame = !to->memory;
  const bool compareRows = onFrame && platform::draw_cache::Enabled();
  int firstChanged = compareRows ? box.bottom : box.top, lastChanged = compareRows ? box.top - 1 : box.bottom - 1;
  for (int row = 0; row < box.bottom - box.top; ++row) {
    const int dy = upwards ? box.bottom - 1 - row : box.top + row;
    unsigned char* toRow = RowOf(target, dy) + static_cast<std::ptrdiff_t>(box.left) * 4;
    const unsigned char* fromRow = RowOf(source, dy + shiftY) + static_cast<std::ptrdiff_t>(box.left + shiftX) * 4;
    if (compareRows) {
      if (std::memcmp(toRow, fromRow, bytes) == 0) continue;
      firstChanged = std::min(firstChanged, dy);
      lastChanged = std::max(lastChanged, dy);
    }
    std::memmove(toRow, fromRow, bytes);
  }
  if (onFrame && lastChanged >= firstChanged) {
    platform::gdi::MarkChanged(*to, RECT{box.left, firstChanged, box.right, lastChanged + 1});
  }
  cairo_surface_mark_dirty_rectangle(target, box.left, box.top, box.right - box.left, box.bottom - box.top);
  if (onFrame) platform::draw_cache::RememberShown(*to, content, whole, shift);
  return TRUE;
}
