// Device contexts: a drawing target (a window's frame or a memory DC's
// bitmap), an origin and a clip, and the selected objects and text state.
#pragma once

#include <cairo.h>

#include <functional>
#include <vector>

#include "gdi/objects.h"
#include "win32_layer.h"

namespace platform::gdi {

// Coordinates are held to +-4M px: far beyond any surface, and small
// enough that sums of coordinates cannot overflow and cairo stays exact.
constexpr int kCoordinateLimit = 1 << 22;
// Every pixel there may be: a clip or bounds that leave nothing out.
constexpr RECT kEverywhere{-kCoordinateLimit, -kCoordinateLimit, kCoordinateLimit, kCoordinateLimit};

struct DeviceContext {
  bool memory = false;
  // Frame DCs: the window's frame (a reference is held), origin and clip in
  // frame coordinates. Memory DCs draw on their selected bitmap at (0, 0),
  // clipped only while a display list is replayed in part.
  cairo_surface_t* frame = nullptr;
  int originX = 0, originY = 0;
  RECT clip = kEverywhere;
  // Frame DCs: the part of the frame that drawing through the DC may have
  // changed, so only that goes to the screen.
  RECT changed{};
  // Frame DCs: parts of the clip whose pixels are put back after the DC is
  // released (a parent's children), whatever drawing through it does.
  std::vector<RECT> childAreas;
  // Frame DCs: to run before the first change of the frame through the DC.
  std::function<void()> beforeFirstChange;
  GdiObject* pen = nullptr;
  GdiObject* brush = nullptr;
  GdiObject* font = nullptr;
  GdiObject* bitmap = nullptr;  // memory DCs only
  COLORREF textColour = RGB(0, 0, 0);
  COLORREF bkColour = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  POINT position{0, 0};
  // Made on first use and kept until the target changes.
  cairo_t* cairo = nullptr;
};

inline int ClampCoordinate(long long value) {
  return static_cast<int>(value < -kCoordinateLimit  ? -kCoordinateLimit
                          : value > kCoordinateLimit ? kCoordinateLimit
                                                     : value);
}

// The live device context behind a handle, or nullptr.
DeviceContext* DCFromHandle(HDC hdc);

// The target surface of a DC (never null for a live DC).
cairo_surface_t* TargetOf(const DeviceContext& dc);

// A cairo context on the DC's target, in the DC's coordinates, clipped,
// antialiasing off, ready for a fill or a stroke. Valid until the DC's
// target changes; callers save/restore around their own changes.
cairo_t* CairoOf(DeviceContext& dc);

// Before a frame DC writes pixels of its frame.
void AboutToChange(DeviceContext& dc);

// Adds `area` (frame coordinates) to what a frame DC has changed.
void MarkChanged(DeviceContext& dc, const RECT& area);

// 0x00BBGGRR to cairo's source colour.
void SetSourceColour(cairo_t* cr, COLORREF colour);

}  // namespace platform::gdi
