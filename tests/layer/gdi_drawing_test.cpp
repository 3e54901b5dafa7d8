// Pixel rules of fills, lines and shapes, exact colours, BitBlt, and the
// origin and clip of a window's DC.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "gdi/gdi_internal.h"
#include "gdi_test_canvas.h"
#include "win32_layer.h"

using gdi_test::Canvas;

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);

void Fill(HDC dc, RECT r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

// Selects a pen and a brush for one drawing and puts the old ones back.
class PenAndBrush {
 public:
  PenAndBrush(HDC dc, int width, COLORREF penColour, HGDIOBJ brush)
      : dc_(dc), pen_(CreatePen(PS_SOLID, width, penColour)), brush_(brush) {
    oldPen_ = SelectObject(dc_, pen_);
    oldBrush_ = SelectObject(dc_, brush_);
  }
  ~PenAndBrush() {
    SelectObject(dc_, oldBrush_);
    SelectObject(dc_, oldPen_);
    DeleteObject(pen_);
    DeleteObject(brush_);
  }

 private:
  HDC dc_;
  HPEN pen_;
  HGDIOBJ brush_, oldPen_, oldBrush_;
};

TEST(GdiFill, FillRectCoversLeftTopAndLeavesOutRightBottom) {
  Canvas canvas(20, 20);
  Fill(canvas.dc(), RECT{3, 4, 10, 12}, RGB(200, 100, 50));
  EXPECT_EQ(canvas.At(3, 4), RGB(200, 100, 50));
  EXPECT_EQ(canvas.At(9, 11), RGB(200, 100, 50));
  EXPECT_EQ(canvas.At(10, 11), kBlack);
  EXPECT_EQ(canvas.At(9, 12), kBlack);
  EXPECT_EQ(canvas.At(2, 4), kBlack);
  EXPECT_EQ(canvas.At(3, 3), kBlack);
  EXPECT_EQ(canvas.Count(RGB(200, 100, 50)), 7 * 8);
  // Empty and inverted rectangles, and the stock null brush, paint nothing.
  Fill(canvas.dc(), RECT{15, 15, 15, 18}, RGB(1, 1, 1));
  Fill(canvas.dc(), RECT{18, 18, 16, 16}, RGB(1, 1, 1));
  EXPECT_EQ(canvas.Count(RGB(1, 1, 1)), 0);
  RECT all{0, 0, 20, 20};
  EXPECT_NE(FillRect(canvas.dc(), &all, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))), 0);
  EXPECT_EQ(canvas.Count(kBlack), 20 * 20 - 7 * 8);
}

// A COLORREF is stored as cairo's RGB with red high, every channel value
// exactly.
TEST(GdiFill, EveryColourComesOutExactlyAsCairoRgbWithRedHigh) {
  Canvas canvas(4, 1);
  Fill(canvas.dc(), RECT{0, 0, 1, 1}, RGB(255, 0, 0));
  Fill(canvas.dc(), RECT{1, 0, 2, 1}, RGB(0, 255, 0));
  Fill(canvas.dc(), RECT{2, 0, 3, 1}, RGB(0, 0, 255));
  Fill(canvas.dc(), RECT{3, 0, 4, 1}, RGB(30, 32, 40));
  EXPECT_EQ(canvas.Raw(0, 0), 0xFF0000u);
  EXPECT_EQ(canvas.Raw(1, 0), 0x00FF00u);
  EXPECT_EQ(canvas.Raw(2, 0), 0x0000FFu);
  EXPECT_EQ(canvas.Raw(3, 0), 0x1E2028u);
  EXPECT_EQ(GetPixel(canvas.dc(), 3, 0), RGB(30, 32, 40));
  EXPECT_EQ(GetPixel(canvas.dc(), 4, 0), CLR_INVALID);

  Canvas ramp(256, 1);
  for (int i = 0; i < 256; ++i) Fill(ramp.dc(), RECT{i, 0, i + 1, 1}, RGB(i, 255 - i, i ^ 0x5A));
  for (int i = 0; i < 256; ++i) ASSERT_EQ(ramp.At(i, 0), RGB(i, 255 - i, i ^ 0x5A)) << i;
}

TEST(GdiLines, OnePixelLinesLeaveOutTheirEndPoint) {
  Canvas canvas(20, 20);
  PenAndBrush tools(canvas.dc(), 1, RGB(255, 255, 255), GetStockObject(NULL_BRUSH));
  MoveToEx(canvas.dc(), 2, 3, nullptr);
  LineTo(canvas.dc(), 8, 3);  // right
  EXPECT_EQ(canvas.At(2, 3), RGB(255, 255, 255));
  EXPECT_EQ(canvas.At(7, 3), RGB(255, 255, 255));
  EXPECT_EQ(canvas.At(8, 3), kBlack);
  LineTo(canvas.dc(), 8, 10);  // down, from the current point
  EXPECT_EQ(canvas.At(8, 3), RGB(255, 255, 255));
  EXPECT_EQ(canvas.At(8, 9), RGB(255, 255, 255));
  EXPECT_EQ(canvas.At(8, 10), kBlack);
  LineTo(canvas.dc(), 2, 10);  // left
  LineTo(canvas.dc(), 2, 3);   // up, closing the outline
  // The four sides make a closed 7x8 outline without doubled or missing corners.
  EXPECT_EQ(canvas.Count(RGB(255, 255, 255)), 2 * 6 + 2 * 7);
  POINT current{};
  MoveToEx(canvas.dc(), 0, 0, &current);
  EXPECT_EQ(current.x, 2);
  EXPECT_EQ(current.y, 3);

  // A diagonal: every pixel from the start, one per column, the end left out.
  Canvas diagonal(10, 10);
  PenAndBrush diagonalTools(diagonal.dc(), 1, RGB(9, 8, 7), GetStockObject(NULL_BRUSH));
  const POINT points[2] = {{1, 1}, {6, 6}};
  EXPECT_TRUE(Polyline(diagonal.dc(), points, 2));
  EXPECT_EQ(diagonal.Count(RGB(9, 8, 7)), 5);
  EXPECT_EQ(diagonal.At(5, 5), RGB(9, 8, 7));
  EXPECT_EQ(diagonal.At(6, 6), kBlack);
}

TEST(GdiLines, WidePensDrawSolidExactColourAroundTheLine) {
  Canvas canvas(30, 30);
  {
    PenAndBrush tools(canvas.dc(), 2, RGB(55, 62, 78), GetStockObject(NULL_BRUSH));
    MoveToEx(canvas.dc(), 5, 10, nullptr);
    LineTo(canvas.dc(), 20, 10);
  }
  // Two rows thick, only the pen's colour (no antialiased edge), and no
  // wider than the line plus its caps.
  RECT box = canvas.InkBox(kBlack);
  EXPECT_EQ(box.bottom - box.top, 2);
  EXPECT_GE(box.left, 4);
  EXPECT_LE(box.right, 22);
  EXPECT_EQ(canvas.Count(RGB(55, 62, 78)), 30 * 30 - canvas.Count(kBlack));
  EXPECT_GE(canvas.Count(RGB(55, 62, 78)), 2 * 15);

  // The cross of the close button: two diagonal width-2 strokes.
  Canvas cross(40, 40);
  {
    PenAndBrush tools(cross.dc(), 2, RGB(255, 255, 255), GetStockObject(NULL_BRUSH));
    const POINT first[2] = {{10, 10}, {26, 26}};
    const POINT second[2] = {{10, 26}, {26, 10}};
    Polyline(cross.dc(), first, 2);
    Polyline(cross.dc(), second, 2);
  }
  EXPECT_EQ(cross.At(18, 18), RGB(255, 255, 255));
  EXPECT_EQ(cross.At(10, 26) == RGB(255, 255, 255) || cross.At(10, 25) == RGB(255, 255, 255), true);
  EXPECT_EQ(cross.Count(RGB(255, 255, 255)) + cross.Count(kBlack), 40 * 40);
  RECT crossBox = cross.InkBox(kBlack);
  EXPECT_GE(crossBox.left, 8);
  EXPECT_LE(crossBox.right, 28);
}

// Straight wide lines cover the square around each point of the line:
// width 2 one pixel either side of the corner line, width 3 one pixel
// either side of the centre pixel. So the outline of a box drawn with four
// LineTo calls is solid and its corners are square.
TEST(GdiLines, StraightWidePensCoverTheSquareAroundEveryPoint) {
  struct Segment {
    POINT from, to;
  };
  const Segment segments[] = {
      {{5, 10}, {20, 10}},  {{20, 12}, {5, 12}},  {{7, 3}, {7, 25}},    {{9, 25}, {9, 3}},
      {{14, 14}, {14, 14}}, {{-5, 27}, {40, 27}}, {{28, -3}, {28, 40}}, {{0, 0}, {1, 0}},
  };
  for (int width : {2, 3}) {
    for (const Segment& s : segments) {
      Canvas canvas(32, 32);
      {
        PenAndBrush tools(canvas.dc(), width, RGB(55, 62, 78), GetStockObject(NULL_BRUSH));
        MoveToEx(canvas.dc(), s.from.x, s.from.y, nullptr);
        LineTo(canvas.dc(), s.to.x, s.to.y);
      }
      // Even widths sit on pixel corners, odd ones on pixel centres.
      const int before = width / 2, after = width - width / 2;
      const int left = std::min(s.from.x, s.to.x) - before, right = std::max(s.from.x, s.to.x) + after;
      const int top = std::min(s.from.y, s.to.y) - before, bottom = std::max(s.from.y, s.to.y) + after;
      for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
          const bool inside = x >= left && x < right && y >= top && y < bottom;
          ASSERT_EQ(canvas.At(x, y), inside ? RGB(55, 62, 78) : kBlack)
              << "width " << width << " from " << s.from.x << "," << s.from.y << " to " << s.to.x << "," << s.to.y
              << " at " << x << "," << y;
        }
      }
    }
  }

  // A box outline as the tab bar draws it, on a DC with an origin and clip.
  Canvas box(40, 30, 3, 2, RECT{0, 0, 30, 30});
  {
    PenAndBrush tools(box.dc(), 2, RGB(200, 10, 10), GetStockObject(NULL_BRUSH));
    MoveToEx(box.dc(), 2, 2, nullptr);
    LineTo(box.dc(), 34, 2);
    LineTo(box.dc(), 34, 20);
    LineTo(box.dc(), 2, 20);
    LineTo(box.dc(), 2, 2);
  }
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      const bool onEdge = (y == 4 || y == 3 || y == 21 || y == 22) || (x == 4 || x == 5);
      const bool inBox = x >= 4 && x < 38 && y >= 3 && y < 23;
      const bool drawn = inBox && onEdge && x < 30;  // the right edge lies beyond the clip
      ASSERT_EQ(box.At(x, y), drawn ? RGB(200, 10, 10) : kBlack) << x << "," << y;
    }
  }
}

// Wide lines of any slope cover the pixels whose centres lie within half
// the pen's width of the line (round ends), and nothing else.
TEST(GdiLines, WideLinesCoverThePixelsNearTheLine) {
  const POINT ends[][2] = {{{10, 10}, {26, 26}}, {{10, 26}, {26, 10}}, {{3, 20}, {37, 9}},    {{20, 2}, {24, 38}},
                           {{5, 5}, {35, 6}},    {{30, 30}, {30, 30}}, {{-10, 15}, {50, 25}}, {{8, 33}, {9, 3}}};
  for (int width : {2, 3, 4, 5, 8}) {
    for (const auto& line : ends) {
      Canvas canvas(40, 40);
      {
        PenAndBrush tools(canvas.dc(), width, RGB(250, 250, 250), GetStockObject(NULL_BRUSH));
        Polyline(canvas.dc(), line, 2);
      }
      // Even widths lie on pixel corners, odd ones on pixel centres.
      const double offset = width % 2 ? 0.5 : 0.0, radius = width / 2.0;
      const double ax = line[0].x + offset, ay = line[0].y + offset;
      const double bx = line[1].x + offset, by = line[1].y + offset;
      for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
          const double px = x + 0.5, py = y + 0.5;
          const double dx = bx - ax, dy = by - ay, lengthSquared = dx * dx + dy * dy;
          const double t =
              lengthSquared > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / lengthSquared, 0.0, 1.0) : 0.0;
          const double distance = std::hypot(px - (ax + t * dx), py - (ay + t * dy));
          if (std::abs(distance - radius) < 1e-6) continue;  // on the edge: either is right
          ASSERT_EQ(canvas.At(x, y), distance < radius ? RGB(250, 250, 250) : kBlack)
              << "width " << width << " line " << line[0].x << "," << line[0].y << " to " << line[1].x << ","
              << line[1].y << " pixel " << x << "," << y << " at " << distance;
        }
      }
    }
  }
}

TEST(GdiLines, NullPenDrawsNothing) {
  Canvas canvas(10, 10);
  HGDIOBJ old = SelectObject(canvas.dc(), GetStockObject(NULL_PEN));
  MoveToEx(canvas.dc(), 0, 0, nullptr);
  LineTo(canvas.dc(), 9, 9);
  Ellipse(canvas.dc(), 0, 0, 10, 10);  // the default white brush still fills
  SelectObject(canvas.dc(), old);
  EXPECT_EQ(canvas.At(0, 0), kBlack);
  EXPECT_EQ(canvas.At(5, 5), RGB(255, 255, 255));
}

TEST(GdiShapes, RoundRectWithAWidePenStraddlesItsBoxAndFillsWithTheBrush) {
  Canvas canvas(60, 40);
  {
    PenAndBrush tools(canvas.dc(), 2, RGB(55, 62, 78), CreateSolidBrush(RGB(47, 51, 65)));
    RoundRect(canvas.dc(), 10, 5, 50, 35, 8, 8);
  }
  // The pen is centred on the one-pixel outline (10..49, 5..34), its
  // larger half outside on the left and top: 9..49 and 4..34.
  EXPECT_EQ(canvas.InkBox(kBlack).left, 9);
  EXPECT_EQ(canvas.InkBox(kBlack).top, 4);
  EXPECT_EQ(canvas.InkBox(kBlack).right, 50);
  EXPECT_EQ(canvas.InkBox(kBlack).bottom, 35);
  // Outline two pixels thick on each straight side, exact colour.
  EXPECT_EQ(canvas.At(30, 4), RGB(55, 62, 78));
  EXPECT_EQ(canvas.At(30, 5), RGB(55, 62, 78));
  EXPECT_EQ(canvas.At(30, 6), RGB(47, 51, 65));
  EXPECT_EQ(canvas.At(9, 20), RGB(55, 62, 78));
  EXPECT_EQ(canvas.At(10, 20), RGB(55, 62, 78));
  EXPECT_EQ(canvas.At(11, 20), RGB(47, 51, 65));
  EXPECT_EQ(canvas.At(49, 20), RGB(55, 62, 78));
  EXPECT_EQ(canvas.At(48, 20), RGB(55, 62, 78));
  EXPECT_EQ(canvas.At(47, 20), RGB(47, 51, 65));
  EXPECT_EQ(canvas.At(30, 34), RGB(55, 62, 78));
  EXPECT_EQ(canvas.At(30, 32), RGB(47, 51, 65));
  // Rounded: the corner pixels stay untouched.
  EXPECT_EQ(canvas.At(9, 4), kBlack);
  EXPECT_EQ(canvas.At(49, 34), kBlack);
  // Nothing but the three colours.
  EXPECT_EQ(canvas.Count(kBlack) + canvas.Count(RGB(55, 62, 78)) + canvas.Count(RGB(47, 51, 65)), 60 * 40);
}

// With the null brush only the outline is drawn: the inside keeps what was
// there, and an outline of the fill's colour makes a plain bar.
TEST(GdiShapes, RoundRectWithTheNullBrushKeepsTheInside) {
  Canvas canvas(40, 20);
  Fill(canvas.dc(), RECT{0, 0, 40, 20}, RGB(47, 51, 65));
  {
    PenAndBrush tools(canvas.dc(), 2, RGB(55, 62, 78), GetStockObject(NULL_BRUSH));
    RoundRect(canvas.dc(), 0, 0, 40, 20, 8, 8);
  }
  EXPECT_EQ(canvas.At(20, 10), RGB(47, 51, 65));
  EXPECT_EQ(canvas.At(20, 0), RGB(55, 62, 78));
  EXPECT_EQ(canvas.At(0, 10), RGB(55, 62, 78));
  EXPECT_EQ(canvas.At(39, 19), RGB(47, 51, 65));  // the square fill shows outside the corner

  // The separator bar: fill and outline of one colour, 7 px high.
  Canvas bar(320, 20);
  Fill(bar.dc(), RECT{20, 5, 300, 12}, RGB(55, 62, 78));
  {
    PenAndBrush tools(bar.dc(), 2, RGB(55, 62, 78), GetStockObject(NULL_BRUSH));
    RoundRect(bar.dc(), 20, 5, 300, 12, 4, 4);
  }
  // The pen's outer half adds a rounded rim on the left and top.
  const RECT box = bar.InkBox(kBlack);
  EXPECT_EQ(box.left, 19);
  EXPECT_EQ(box.top, 4);
  EXPECT_EQ(box.right, 300);
  EXPECT_EQ(box.bottom, 12);
  EXPECT_EQ(bar.Count(RGB(55, 62, 78)) + bar.Count(kBlack), 320 * 20);
  EXPECT_GE(bar.Count(RGB(55, 62, 78)), 280 * 7);
  EXPECT_LT(bar.Count(RGB(55, 62, 78)), 281 * 8);
}

TEST(GdiShapes, EllipseIsADiscGrownByHalfThePenInItsOwnColours) {
  // The close button's disc: {287, 11, 309, 33} shifted to the origin.
  Canvas canvas(30, 30);
  {
    PenAndBrush tools(canvas.dc(), 2, RGB(239, 71, 111), CreateSolidBrush(RGB(239, 71, 111)));
    Ellipse(canvas.dc(), 4, 4, 26, 26);
  }
  RECT box = canvas.InkBox(kBlack);
  EXPECT_EQ(box.left, 3);
  EXPECT_EQ(box.top, 3);
  EXPECT_EQ(box.right, 26);
  EXPECT_EQ(box.bottom, 26);
  EXPECT_EQ(canvas.At(15, 15), RGB(239, 71, 111));
  EXPECT_EQ(canvas.At(3, 15), RGB(239, 71, 111));
  EXPECT_EQ(canvas.At(3, 3), kBlack);
  EXPECT_EQ(canvas.At(25, 25), kBlack);
  // A solid disc of one exact colour: about pi * 11.5^2 pixels.
  const int disc = canvas.Count(RGB(239, 71, 111));
  EXPECT_EQ(disc + canvas.Count(kBlack), 30 * 30);
  EXPECT_NEAR(disc, 415, 25);

  // A one-pixel outline and the fill take their own colours.
  Canvas two(30, 30);
  {
    PenAndBrush tools(two.dc(), 1, RGB(255, 0, 0), CreateSolidBrush(RGB(0, 0, 255)));
    Ellipse(two.dc(), 0, 0, 30, 20);
  }
  EXPECT_EQ(two.At(15, 10), RGB(0, 0, 255));
  EXPECT_EQ(two.At(15, 0), RGB(255, 0, 0));
  EXPECT_EQ(two.At(0, 10), RGB(255, 0, 0));
  EXPECT_EQ(two.At(15, 20), kBlack);
}

// An outline with the null brush is a closed ring of the pen's colour,
// inside the box: the inside does not leak out through a gap.
TEST(GdiShapes, OutlinesAreClosedRingsAroundTheirBox) {
  for (int width : {1, 2, 3}) {
    for (int shape = 0; shape < 2; ++shape) {
      Canvas canvas(50, 40);
      {
        PenAndBrush tools(canvas.dc(), width, RGB(200, 0, 0), GetStockObject(NULL_BRUSH));
        if (shape == 0) Ellipse(canvas.dc(), 5, 4, 44, 33);
        if (shape == 1) RoundRect(canvas.dc(), 5, 4, 44, 33, 14, 10);
      }
      // Wide pens reach width / 2 out on the left and top, the rest out
      // on the right and bottom.
      const RECT box = canvas.InkBox(kBlack);
      EXPECT_EQ(box.left, 5 - (width > 1 ? width / 2 : 0));
      EXPECT_EQ(box.top, 4 - (width > 1 ? width / 2 : 0));
      EXPECT_EQ(box.right, 44 + (width - 1) / 2);
      EXPECT_EQ(box.bottom, 33 + (width - 1) / 2);
      // Flood the black inside from the centre, four ways.
      std::vector<bool> seen(50 * 40, false);
      std::vector<POINT> todo{{24, 18}};
      bool leaked = false;
      while (!todo.empty()) {
        const POINT p = todo.back();
        todo.pop_back();
        if (p.x < 0 || p.y < 0 || p.x >= 50 || p.y >= 40) continue;
        if (seen[p.y * 50 + p.x] || canvas.At(p.x, p.y) != kBlack) continue;
        seen[p.y * 50 + p.x] = true;
        if (p.x < 5 || p.y < 4 || p.x >= 44 || p.y >= 33) leaked = true;
        todo.insert(todo.end(), {{p.x + 1, p.y}, {p.x - 1, p.y}, {p.x, p.y + 1}, {p.x, p.y - 1}});
      }
      EXPECT_FALSE(leaked) << "width " << width << " shape " << shape;
      EXPECT_EQ(canvas.Count(RGB(200, 0, 0)) + canvas.Count(kBlack), 50 * 40);
    }
  }
}

TEST(GdiBitBlt, CopiesExactPixelsWithOffsets) {
  Canvas window(50, 40);
  HDC memory = CreateCompatibleDC(window.dc());
  HBITMAP bitmap = CreateCompatibleBitmap(window.dc(), 20, 10);
  HGDIOBJ old = SelectObject(memory, bitmap);
  // A new bitmap's content is undefined (a freed image may be reused), so
  // the test paints all of it.
  Fill(memory, RECT{0, 0, 20, 10}, RGB(30, 32, 40));
  Fill(memory, RECT{5, 2, 6, 3}, RGB(12, 34, 56));
  window.Fill(RGB(200, 200, 200));

  EXPECT_TRUE(BitBlt(window.dc(), 10, 20, 20, 10, memory, 0, 0, SRCCOPY));
  EXPECT_EQ(window.At(15, 22), RGB(12, 34, 56));
  EXPECT_EQ(window.At(10, 20), RGB(30, 32, 40));
  EXPECT_EQ(window.At(29, 29), RGB(30, 32, 40));
  EXPECT_EQ(window.At(30, 29), RGB(200, 200, 200));
  EXPECT_EQ(window.At(9, 20), RGB(200, 200, 200));
  EXPECT_EQ(window.Count(RGB(30, 32, 40)), 20 * 10 - 1);

  // A source offset picks the pixel at (srcX, srcY) for the destination's corner.
  EXPECT_TRUE(BitBlt(window.dc(), 0, 0, 3, 3, memory, 5, 2, SRCCOPY));
  EXPECT_EQ(window.At(0, 0), RGB(12, 34, 56));
  EXPECT_EQ(window.At(1, 1), RGB(30, 32, 40));

  // Parts beyond the source bitmap leave the destination as it was.
  window.Fill(RGB(200, 200, 200));
  EXPECT_TRUE(BitBlt(window.dc(), 0, 0, 50, 40, memory, 10, 0, SRCCOPY));
  EXPECT_EQ(window.Count(RGB(30, 32, 40)), 10 * 10);
  EXPECT_EQ(window.At(10, 0), RGB(200, 200, 200));
  EXPECT_FALSE(BitBlt(window.dc(), 0, 0, 5, 5, memory, 0, 0, 0x00EE0086));

  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

TEST(GdiBitBlt, CopyWithinOneSurfaceReadsTheOriginalPixels) {
  Canvas canvas(10, 1);
  for (int x = 0; x < 10; ++x) Fill(canvas.dc(), RECT{x, 0, x + 1, 1}, RGB(x, 0, 0));
  EXPECT_TRUE(BitBlt(canvas.dc(), 1, 0, 9, 1, canvas.dc(), 0, 0, SRCCOPY));
  for (int x = 1; x < 10; ++x) EXPECT_EQ(canvas.At(x, 0), RGB(x - 1, 0, 0)) << x;

  // Overlapping rows, moved down and then back up.
  Canvas rows(2, 10);
  for (int y = 0; y < 10; ++y) Fill(rows.dc(), RECT{0, y, 2, y + 1}, RGB(0, y, 0));
  EXPECT_TRUE(BitBlt(rows.dc(), 0, 3, 2, 7, rows.dc(), 0, 0, SRCCOPY));
  for (int y = 3; y < 10; ++y) EXPECT_EQ(rows.At(1, y), RGB(0, y - 3, 0)) << y;
  EXPECT_TRUE(BitBlt(rows.dc(), 0, 0, 2, 7, rows.dc(), 0, 3, SRCCOPY));
  for (int y = 0; y < 7; ++y) EXPECT_EQ(rows.At(0, y), RGB(0, y, 0)) << y;
}

TEST(GdiFrameDC, DrawsAtItsOriginAndOnlyInsideItsClip) {
  // A child at (10, 5) of the frame, 20 x 10, clipped to itself.
  Canvas frame(50, 30, 10, 5, RECT{10, 5, 30, 15});
  Fill(frame.dc(), RECT{0, 0, 2, 2}, RGB(1, 2, 3));
  EXPECT_EQ(frame.At(10, 5), RGB(1, 2, 3));
  EXPECT_EQ(frame.At(11, 6), RGB(1, 2, 3));
  EXPECT_EQ(frame.At(0, 0), kBlack);
  EXPECT_EQ(GetPixel(frame.dc(), 1, 1), RGB(1, 2, 3));

  Fill(frame.dc(), RECT{-100, -100, 100, 100}, RGB(9, 9, 9));
  EXPECT_EQ(frame.Count(RGB(9, 9, 9)), 20 * 10);
  EXPECT_EQ(frame.InkBox(kBlack).left, 10);
  EXPECT_EQ(frame.InkBox(kBlack).top, 5);
  EXPECT_EQ(frame.InkBox(kBlack).right, 30);
  EXPECT_EQ(frame.InkBox(kBlack).bottom, 15);

  // Lines, shapes and copies are clipped too.
  Canvas other(50, 30, 10, 5, RECT{10, 5, 30, 15});
  {
    PenAndBrush tools(other.dc(), 3, RGB(4, 4, 4), CreateSolidBrush(RGB(5, 5, 5)));
    MoveToEx(other.dc(), -20, 4, nullptr);
    LineTo(other.dc(), 60, 4);
    Ellipse(other.dc(), -30, -30, 60, 60);
  }
  RECT ink = other.InkBox(kBlack);
  EXPECT_GE(ink.left, 10);
  EXPECT_GE(ink.top, 5);
  EXPECT_LE(ink.right, 30);
  EXPECT_LE(ink.bottom, 15);
  HDC memory = CreateCompatibleDC(other.dc());
  HBITMAP bitmap = CreateCompatibleBitmap(other.dc(), 40, 40);
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  Fill(memory, RECT{0, 0, 40, 40}, RGB(6, 6, 6));
  EXPECT_TRUE(BitBlt(other.dc(), -15, -15, 40, 40, memory, 0, 0, SRCCOPY));
  EXPECT_EQ(other.Count(RGB(6, 6, 6)) + other.Count(RGB(4, 4, 4)) + other.Count(RGB(5, 5, 5)), 20 * 10);
  EXPECT_EQ(other.At(10, 5), RGB(6, 6, 6));
  EXPECT_EQ(other.At(29, 14), RGB(6, 6, 6));
  EXPECT_EQ(other.At(9, 5), kBlack);
  EXPECT_EQ(other.At(30, 14), kBlack);
  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
  // Outside the clip there is no pixel to read.
  EXPECT_EQ(GetPixel(other.dc(), -1, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(other.dc(), 20, 0), CLR_INVALID);
}

TEST(GdiFrameDC, ExtremeCoordinatesDrawWhatLiesOnTheSurfaceAndNothingElse) {
  constexpr LONG kMin = -2147483647 - 1, kMax = 2147483647;
  Canvas canvas(20, 20, 5, 5, RECT{0, 0, 20, 20});
  Fill(canvas.dc(), RECT{kMin, kMin, kMax, kMax}, RGB(1, 2, 3));
  EXPECT_EQ(canvas.Count(RGB(1, 2, 3)), 20 * 20);
  {
    PenAndBrush tools(canvas.dc(), 1, RGB(4, 5, 6), CreateSolidBrush(RGB(7, 8, 9)));
    SetTextColor(canvas.dc(), RGB(10, 11, 12));
    MoveToEx(canvas.dc(), kMin, kMin, nullptr);
    LineTo(canvas.dc(), kMax, kMax);
    const POINT far[3] = {{kMax, kMin}, {kMin, 3}, {4, kMax}};
    Polyline(canvas.dc(), far, 3);
    RoundRect(canvas.dc(), kMin, kMin, kMax, kMax, kMax, kMin);
    Ellipse(canvas.dc(), kMax, kMax, kMin, kMin);
    TextOutW(canvas.dc(), kMax, kMin, L"x", 1);
    RECT text{kMin, kMin, kMax, kMax};
    DrawTextW(canvas.dc(), L"x", -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    BitBlt(canvas.dc(), kMin, kMin, kMax, kMax, canvas.dc(), kMax, kMin, SRCCOPY);
  }
  EXPECT_EQ(GetPixel(canvas.dc(), kMax, kMax), CLR_INVALID);
  EXPECT_EQ(GetPixel(canvas.dc(), kMin, 0), CLR_INVALID);
  // The surface holds only what was drawn on it.
  EXPECT_EQ(canvas.Count(RGB(0, 0, 0)), 0);
}

TEST(GdiFrameDC, FrameSurvivesItsOwnerLettingGoBeforeTheRelease) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 8, 8);
  HDC dc = platform::gdi::CreateFrameDC(surface, 0, 0, RECT{0, 0, 8, 8});
  cairo_surface_destroy(surface);            // the window model resized the frame
  Fill(dc, RECT{0, 0, 8, 8}, RGB(1, 1, 1));  // still a valid target
  EXPECT_EQ(GetPixel(dc, 7, 7), RGB(1, 1, 1));
  platform::gdi::ReleaseFrameDC(dc);
  EXPECT_EQ(SetBkMode(dc, OPAQUE), 0);  // released: no longer a DC
}

}  // namespace
