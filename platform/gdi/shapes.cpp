// Filled rectangles, lines and outlined shapes with GDI's pixel rules:
// fills cover left..right-1 and top..bottom-1, one-pixel lines leave out
// their last pixel, one-pixel outlines lie inside the bounding box and wider
// ones straddle it. A pixel belongs
// to a shape or not by its centre, with no antialiasing, so every drawn
// pixel has the exact colour asked for.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "gdi/dc.h"
#include "gdi/pixels.h"
#include "gdi/draw_cache/display_list.h"

namespace platform::gdi {
namespace {

void FillPixels(DeviceContext& dc, long long left, long long top, long long right, long long bottom, COLORREF colour) {
  PixelWriter(dc).Fill(left, top, right, bottom, colour);
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

// The columns of row y (as [first, end)) whose pixel centres lie within
// `radius` of the segment from a to b: a wide pen's line with round caps.
std::pair<int, int> CapsuleRow(double ax, double ay, double bx, double by, double radius, int y) {
  const double centre = y + 0.5;
  double low = HUGE_VAL, high = -HUGE_VAL;
  const auto take = [&](double from, double to) {
    if (from > to) return;
    low = std::min(low, from);
    high = std::max(high, to);
  };
  // The round ends.
  for (const auto& [px, py] : {std::pair{ax, ay}, std::pair{bx, by}}) {
    const double dy = centre - py;
    if (std::abs(dy) <= radius) {
      const double half = std::sqrt(radius * radius - dy * dy);
      take(px - half, px + half);
    }
  }
  // The band along the segment: points whose projection falls on it and
  // whose distance from its line is at most the radius. Both conditions are
  // linear in x along the row.
  const double dx = bx - ax, dy = by - ay, length = std::hypot(dx, dy), v = centre - ay;
  if (length > 0) {
    double from = -HUGE_VAL, to = HUGE_VAL;
    const auto within = [&](double k, double constant, double min, double max) {
      // min <= k * u + constant <= max, for u = x - ax
      if (k == 0) {
        if (constant < min || constant > max) from = HUGE_VAL;
        return;
      }
      double a = (min - constant) / k, b = (max - constant) / k;
      if (a > b) std::swap(a, b);
      from = std::max(from, a);
      to = std::min(to, b);
    };
    within(dx, v * dy, 0, length * length);
    within(dy, -v * dx, -radius * length, radius * length);
    take(ax + from, ax + to);
  }
  if (low > high) return {0, 0};
  const int first = static_cast<int>(std::ceil(low - 0.5));
  const int end = static_cast<int>(std::floor(high - 0.5)) + 1;
  return {first, std::max(first, end)};
}

// A wide line of any slope, row by row.
void WideLine(DeviceContext& dc, const POINT& a, const POINT& b, int width, COLORREF colour) {
  const double offset = PenOffset(width), radius = width / 2.0;
  const double ax = a.x + offset, ay = a.y + offset, bx = b.x + offset, by = b.y + offset;
  PixelWriter writer(dc);
  const int top = std::max(static_cast<int>(std::floor(std::min(ay, by) - radius)), writer.FirstRow());
  const int bottom = std::min(static_cast<int>(std::ceil(std::max(ay, by) + radius)), writer.EndRow());
  for (int y = top; y < bottom; ++y) {
    const auto row = CapsuleRow(ax, ay, bx, by, radius, y);
    writer.Fill(row.first, y, row.second, y + 1, colour);
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
  // Round joins are where the round ends of two segments overlap.
  for (int i = 1; i < count; ++i) WideLine(dc, points[i - 1], points[i], pen.penWidth, pen.colour);
}

// A box [left, right) x [top, bottom) whose corners are quarter ellipses
// with radii rx, ry (0: square corners); an ellipse when the radii are half
// the box. Its pixels are those whose centres lie inside, row by row.
struct RoundedBox {
  int left, top, right, bottom;
  double rx, ry;

  // Columns [first, end) of row y; empty outside the box.
  std::pair<int, int> Row(int y) const {
    if (y < top || y >= bottom) return {0, 0};
    const double centre = y + 0.5;
    double dy = 0;
    if (centre < top + ry) dy = top + ry - centre;
    if (centre > bottom - ry) dy = centre - (bottom - ry);
    const double inset = dy > 0 ? rx - rx * std::sqrt(std::max(0.0, 1 - (dy / ry) * (dy / ry))) : 0.0;
    const int first = static_cast<int>(std::ceil(left + inset - 0.5));
    const int end = static_cast<int>(std::floor(right - inset - 0.5)) + 1;
    return {first, std::max(first, end)};
  }

  // The columns of row y lying `width` or more pixels inside the shape
  // (every pixel within that distance, diagonals included, is inside). The
  // shape is convex, so the rows `width` above and below bound the row.
  std::pair<int, int> InnerRow(int y, int width) const {
    if (y - width < top || y + width >= bottom) return {0, 0};
    const auto above = Row(y - width), below = Row(y + width);
    const int first = std::max(above.first, below.first) + width;
    const int end = std::min(above.second, below.second) - width;
    return {first, std::max(first, end)};
  }
};

// The shape inside the box [left, right) x [top, bottom) with corner
// ellipses cornerW x cornerH: filled with the brush, outlined with the pen.
// The outline is the band of pixels less than a pen width inside the edge
// of the shape grown for the pen, so it is closed.
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
  if (pen.null && brush.null) return;
  PixelWriter writer(dc);
  const int width = pen.null ? 0 : pen.penWidth;
  if (width > 1) {
    // A wide pen is centred on where the one-pixel outline would be: half
    // of it (the larger half) outside on the left and top, the rest
    // outside on the right and bottom.
    left = ClampCoordinate(static_cast<long long>(left) - width / 2);
    top = ClampCoordinate(static_cast<long long>(top) - width / 2);
    right = ClampCoordinate(static_cast<long long>(right) + (width - 1) / 2);
    bottom = ClampCoordinate(static_cast<long long>(bottom) + (width - 1) / 2);
    cornerW = ClampCoordinate(static_cast<long long>(std::abs(cornerW)) + (cornerW ? width - 1 : 0));
    cornerH = ClampCoordinate(static_cast<long long>(std::abs(cornerH)) + (cornerH ? width - 1 : 0));
  }
  if (width > 0 && (right - left <= width || bottom - top <= width)) {
    // Thinner than the pen: all outline.
    writer.Fill(left, top, right, bottom, pen.colour);
    return;
  }
  const RoundedBox box{left,
                       top,
                       right,
                       bottom,
                       std::min(std::abs(cornerW) / 2.0, (right - left) / 2.0),
                       std::min(std::abs(cornerH) / 2.0, (bottom - top) / 2.0)};
  const bool oneColour = !pen.null && !brush.null && brush.colour == pen.colour;
  using Span = std::pair<int, int>;
  struct Spans {
    Span outer, inner;
    bool operator==(const Spans&) const = default;
  };
  const auto spansOf = [&](int y) {
    Spans spans{box.Row(y), {0, 0}};
    if (!pen.null && !oneColour) spans.inner = box.InnerRow(y, width);
    return spans;
  };
  const auto paint = [&](const Spans& spans, int y0, int y1) {
    const Span& outer = spans.outer;
    const Span& inner = spans.inner;
    if (pen.null || oneColour || inner.second <= inner.first) {
      writer.Fill(outer.first, y0, outer.second, y1, pen.null ? brush.colour : pen.colour);
      return;
    }
    if (!brush.null) writer.Fill(inner.first, y0, inner.second, y1, brush.colour);
    writer.Fill(outer.first, y0, inner.first, y1, pen.colour);
    writer.Fill(inner.second, y0, outer.second, y1, pen.colour);
  };
  // Rows with the same spans go together: the straight middle of a shape
  // is one rectangle per colour.
  const int firstRow = std::max(top, writer.FirstRow()), endRow = std::min(bottom, writer.EndRow());
  if (firstRow >= endRow) return;
  Spans run = spansOf(firstRow);
  int runStart = firstRow;
  for (int y = firstRow + 1; y < endRow; ++y) {
    const Spans spans = spansOf(y);
    if (spans == run) continue;
    paint(run, runStart, y);
    run = spans;
    runStart = y;
  }
  paint(run, runStart, endRow);
}

}  // namespace
}  // namespace platform::gdi

using platform::gdi::DCFromHandle;
using platform::gdi::DeviceContext;
using platform::gdi::GdiObject;
using platform::gdi::ObjectKind;

namespace {

// Four coordinates as a recorded call's key.
platform::draw_cache::CallKey BoxKey(char kind, long long a, long long b, long long c, long long d) {
  platform::draw_cache::CallKey key(kind);
  key.Add(a).Add(b).Add(c).Add(d);
  return key;
}

bool CoversTarget(const DeviceContext& dc, const RECT& r) {
  cairo_surface_t* target = platform::gdi::TargetOf(dc);
  return r.left <= 0 && r.top <= 0 && r.right >= cairo_image_surface_get_width(target) &&
         r.bottom >= cairo_image_surface_get_height(target);
}

// The box around two corners, widened by `margin` on every side.
RECT BoxAround(int x0, int y0, int x1, int y1, int margin) {
  return RECT{std::min(x0, x1) - margin, std::min(y0, y1) - margin, std::max(x0, x1) + margin,
              std::max(y0, y1) + margin};
}

// A stroke stays within its pen's width of its points.
RECT StrokeBounds(const DeviceContext& dc, const POINT* points, int count) {
  RECT bounds{points[0].x, points[0].y, points[0].x, points[0].y};
  for (int i = 1; i < count; ++i) {
    bounds = RECT{std::min(bounds.left, points[i].x), std::min(bounds.top, points[i].y),
                  std::max(bounds.right, points[i].x), std::max(bounds.bottom, points[i].y)};
  }
  const int margin = dc.pen->penWidth + 1;
  return RECT{bounds.left - margin, bounds.top - margin, bounds.right + margin, bounds.bottom + margin};
}

void DrawShapeStep(DeviceContext& dc, char kind, int left, int top, int right, int bottom, int cornerW, int cornerH) {
  platform::draw_cache::CallKey key = BoxKey(kind, left, top, right, bottom);
  key.Add(cornerW).Add(cornerH);
  using platform::gdi::ClampCoordinate;
  // Shapes lie inside their box.
  const RECT bounds =
      BoxAround(ClampCoordinate(left), ClampCoordinate(top), ClampCoordinate(right), ClampCoordinate(bottom), 1);
  platform::draw_cache::DrawOrRecord(dc, key, bounds, [=](DeviceContext& d) {
    platform::gdi::DrawShape(d, left, top, right, bottom, cornerW, cornerH);
  });
}

}  // namespace

int FillRect(HDC hdc, const RECT* rect, HBRUSH handle) {
  DeviceContext* dc = DCFromHandle(hdc);
  GdiObject* brush = platform::gdi::ObjectFromHandle(handle);
  if (!dc || !rect || !brush || brush->kind != ObjectKind::Brush) return 0;
  if (brush->null) return 1;
  const RECT r = *rect;
  const COLORREF colour = brush->colour;
  // A fill of a whole memory bitmap: what was drawn on it before is gone.
  if (dc->memory && CoversTarget(*dc, r)) platform::draw_cache::StartRecording(*dc);
  platform::draw_cache::CallKey key = BoxKey('F', r.left, r.top, r.right, r.bottom);
  key.Add(colour);
  platform::draw_cache::DrawOrRecord(
      *dc, key, r, [=](DeviceContext& d) { platform::gdi::FillPixels(d, r.left, r.top, r.right, r.bottom, colour); });
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
  const POINT from = dc->position;
  const POINT to{platform::gdi::ClampCoordinate(x), platform::gdi::ClampCoordinate(y)};
  const POINT points[2] = {from, to};
  platform::draw_cache::DrawOrRecord(*dc, BoxKey('L', from.x, from.y, to.x, to.y), StrokeBounds(*dc, points, 2),
                                     [points](DeviceContext& d) { platform::gdi::StrokePolyline(d, points, 2); });
  dc->position = to;
  return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* points, int count) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc || !points || count < 2) return FALSE;
  std::vector<POINT> clamped(points, points + count);
  platform::draw_cache::CallKey key('P');
  for (POINT& p : clamped) {
    p = POINT{platform::gdi::ClampCoordinate(p.x), platform::gdi::ClampCoordinate(p.y)};
    key.Add(p.x).Add(p.y);
  }
  const RECT bounds = StrokeBounds(*dc, clamped.data(), count);
  platform::draw_cache::DrawOrRecord(*dc, key, bounds, [clamped = std::move(clamped)](DeviceContext& d) {
    platform::gdi::StrokePolyline(d, clamped.data(), static_cast<int>(clamped.size()));
  });
  return TRUE;
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc) return FALSE;
  DrawShapeStep(*dc, 'R', left, top, right, bottom, width, height);
  return TRUE;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc) return FALSE;
  DrawShapeStep(*dc, 'E', left, top, right, bottom,
                platform::gdi::ClampCoordinate(static_cast<long long>(right) - left),
                platform::gdi::ClampCoordinate(static_cast<long long>(bottom) - top));
  return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc) return FALSE;
  DrawShapeStep(*dc, 'R', left, top, right, bottom, 0, 0);
  return TRUE;
}
