// Filled rectangles, lines and outlined shapes with GDI's pixel rules:
// fills cover left..right-1 and top..bottom-1, one-pixel lines leave out
// their last pixel, outlines lie inside the bounding box. Antialiasing is
// off so every filled pixel has the exact colour asked for.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "gdi/dc.h"

namespace platform::gdi {
namespace {

void FillPixels(DeviceContext& dc, long long left, long long top, long long right, long long bottom,
                COLORREF colour) {
  left = ClampCoordinate(left);
  top = ClampCoordinate(top);
  right = ClampCoordinate(right);
  bottom = ClampCoordinate(bottom);
  if (right <= left || bottom <= top) return;
  cairo_t* cr = CairoOf(dc);
  SetSourceColour(cr, colour);
  cairo_rectangle(cr, left, top, right - left, bottom - top);
  cairo_fill(cr);
}

constexpr int kLongLine = 8192;

// A one-pixel line from (x0, y0) towards (x1, y1), the end point left out.
// The caller has clamped the coordinates.
void ThinLine(DeviceContext& dc, int x0, int y0, int x1, int y1, COLORREF colour) {
  if (y0 == y1) {
    if (x1 > x0) FillPixels(dc, x0, y0, x1, y0 + 1, colour);
    if (x1 < x0) FillPixels(dc, x1 + 1, y0, x0 + 1, y0 + 1, colour);
    return;
  }
  if (x0 == x1) {
    if (y1 > y0) FillPixels(dc, x0, y0, x0 + 1, y1, colour);
    if (y1 < y0) FillPixels(dc, x0, y1 + 1, x0 + 1, y0 + 1, colour);
    return;
  }
  cairo_t* cr = CairoOf(dc);
  SetSourceColour(cr, colour);
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  if (dx > kLongLine || -dy > kLongLine) {
    // Pixel by pixel would take too long; a plain stroke is close enough.
    cairo_move_to(cr, x0 + 0.5, y0 + 0.5);
    cairo_line_to(cr, x1 + 0.5, y1 + 0.5);
    cairo_set_line_width(cr, 1);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_stroke(cr);
    return;
  }
  const int stepX = x0 < x1 ? 1 : -1, stepY = y0 < y1 ? 1 : -1;
  int error = dx + dy;
  int x = x0, y = y0;
  while (x != x1 || y != y1) {
    cairo_rectangle(cr, x, y, 1, 1);
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x += stepX;
    }
    if (twice <= dx) {
      error += dx;
      y += stepY;
    }
  }
  cairo_fill(cr);
}

// Odd widths are centred on pixel centres, even widths on pixel corners,
// so a stroke covers whole pixels.
double PenOffset(int width) { return width % 2 ? 0.5 : 0.0; }

bool AllStraight(const POINT* points, int count) {
  for (int i = 1; i < count; ++i) {
    if (points[i - 1].x != points[i].x && points[i - 1].y != points[i].y) return false;
  }
  return true;
}

// Widths 2 and 3 cover exactly the square around every point of the line,
// caps and joins included: horizontal and vertical strokes are rectangles,
// filled without tessellating round caps.
void StraightWideLines(DeviceContext& dc, const POINT* points, int count, int width, COLORREF colour) {
  const int before = width / 2, after = width - width / 2;
  for (int i = 1; i < count; ++i) {
    const POINT& a = points[i - 1];
    const POINT& b = points[i];
    const long long left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    const long long right = std::max(a.x, b.x), bottom = std::max(a.y, b.y);
    FillPixels(dc, left - before, top - before, right + after, bottom + after, colour);
  }
}

void StrokePolyline(DeviceContext& dc, const POINT* points, int count) {
  const GdiObject& pen = *dc.pen;
  if (pen.null || count < 2) return;
  if (pen.penWidth == 1) {
    for (int i = 1; i < count; ++i) {
      ThinLine(dc, points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, pen.colour);
    }
    return;
  }
  if ((pen.penWidth == 2 || pen.penWidth == 3) && AllStraight(points, count)) {
    StraightWideLines(dc, points, count, pen.penWidth, pen.colour);
    return;
  }
  cairo_t* cr = CairoOf(dc);
  const double offset = PenOffset(pen.penWidth);
  cairo_move_to(cr, points[0].x + offset, points[0].y + offset);
  for (int i = 1; i < count; ++i) cairo_line_to(cr, points[i].x + offset, points[i].y + offset);
  SetSourceColour(cr, pen.colour);
  cairo_set_line_width(cr, pen.penWidth);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
}

void CornerArc(cairo_t* cr, double cx, double cy, double rx, double ry, double from, double to) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  cairo_arc(cr, 0, 0, 1, from, to);
  cairo_restore(cr);
}

// A rectangle from (x0, y0) to (x1, y1) whose corners are quarter ellipses
// with radii rx, ry (0: square corners).
void RoundedRectPath(cairo_t* cr, double x0, double y0, double x1, double y1, double rx, double ry) {
  rx = std::min(rx, (x1 - x0) / 2);
  ry = std::min(ry, (y1 - y0) / 2);
  if (rx <= 0 || ry <= 0) {
    cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
    return;
  }
  const double pi = 3.14159265358979323846;
  cairo_new_sub_path(cr);
  CornerArc(cr, x1 - rx, y0 + ry, rx, ry, -pi / 2, 0);
  CornerArc(cr, x1 - rx, y1 - ry, rx, ry, 0, pi / 2);
  CornerArc(cr, x0 + rx, y1 - ry, rx, ry, pi / 2, pi);
  CornerArc(cr, x0 + rx, y0 + ry, rx, ry, pi, 3 * pi / 2);
  cairo_close_path(cr);
}

// The shape inside the box [left, right) x [top, bottom) with corner
// ellipses cornerW x cornerH: filled with the brush, outlined with the pen.
// The outline is the ring between the box's edge and the same shape `pen
// width` further in, filled: the same pixels a stroke would give, without
// the cost of stroking curves.
void DrawShape(DeviceContext& dc, int left, int top, int right, int bottom, int cornerW, int cornerH) {
  left = ClampCoordinate(left);
  top = ClampCoordinate(top);
  right = ClampCoordinate(right);
  bottom = ClampCoordinate(bottom);
  cornerW = ClampCoordinate(cornerW);
  cornerH = ClampCoordinate(cornerH);
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (right == left || bottom == top) return;
  const GdiObject& pen = *dc.pen;
  const GdiObject& brush = *dc.brush;
  const int width = pen.null ? 0 : pen.penWidth;
  if (!pen.null && (right - left <= width || bottom - top <= width)) {
    // Thinner than the pen: all outline.
    FillPixels(dc, left, top, right, bottom, pen.colour);
    return;
  }
  cairo_t* cr = CairoOf(dc);
  const double rx = std::abs(cornerW) / 2.0, ry = std::abs(cornerH) / 2.0;
  const auto outer = [&] { RoundedRectPath(cr, left, top, right, bottom, rx, ry); };
  const auto inner = [&] {
    RoundedRectPath(cr, left + width, top + width, right - width, bottom - width, rx - width, ry - width);
  };
  if (!brush.null && (pen.null || brush.colour == pen.colour)) {
    outer();
    SetSourceColour(cr, brush.colour);
    cairo_fill(cr);
    return;
  }
  if (!brush.null) {
    inner();
    SetSourceColour(cr, brush.colour);
    cairo_fill(cr);
  }
  if (!pen.null) {
    outer();
    inner();
    SetSourceColour(cr, pen.colour);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  }
}

}  // namespace
}  // namespace platform::gdi

using platform::gdi::DCFromHandle;
using platform::gdi::DeviceContext;
using platform::gdi::GdiObject;
using platform::gdi::ObjectKind;

int FillRect(HDC hdc, const RECT* rect, HBRUSH handle) {
  DeviceContext* dc = DCFromHandle(hdc);
  GdiObject* brush = platform::gdi::ObjectFromHandle(handle);
  if (!dc || !rect || !brush || brush->kind != ObjectKind::Brush) return 0;
  if (!brush->null) {
    platform::gdi::FillPixels(*dc, rect->left, rect->top, rect->right, rect->bottom, brush->colour);
  }
  return 1;
}

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT previous) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc) return FALSE;
  if (previous) *previous = dc->position;
  dc->position = POINT{platform::gdi::ClampCoordinate(x), platform::gdi::ClampCoordinate(y)};
  return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc) return FALSE;
  const POINT points[2] = {dc->position,
                           POINT{platform::gdi::ClampCoordinate(x), platform::gdi::ClampCoordinate(y)}};
  platform::gdi::StrokePolyline(*dc, points, 2);
  dc->position = points[1];
  return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* points, int count) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc || !points || count < 2) return FALSE;
  std::vector<POINT> clamped(points, points + count);
  for (POINT& p : clamped) p = POINT{platform::gdi::ClampCoordinate(p.x), platform::gdi::ClampCoordinate(p.y)};
  platform::gdi::StrokePolyline(*dc, clamped.data(), count);
  return TRUE;
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc) return FALSE;
  platform::gdi::DrawShape(*dc, left, top, right, bottom, width, height);
  return TRUE;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc) return FALSE;
  platform::gdi::DrawShape(*dc, left, top, right, bottom, platform::gdi::ClampCoordinate(static_cast<long long>(right) - left),
                           platform::gdi::ClampCoordinate(static_cast<long long>(bottom) - top));
  return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc) return FALSE;
  platform::gdi::DrawShape(*dc, left, top, right, bottom, 0, 0);
  return TRUE;
}
