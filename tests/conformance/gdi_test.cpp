// Exact GDI results on a memory DC: edges, outlines, copies, selection and
// text metrics that agree with drawing.
#include <string>
#include <vector>

#include "conformance.h"

namespace conformance {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

class Gdi : public ConformanceTest {
 protected:
  void SetUp() override {
    ConformanceTest::SetUp();
    top = CreateTop(0, 0, 100, 60);
    ASSERT_NE(top, nullptr);
    HDC windowDC = GetDC(top);
    dc = CreateCompatibleDC(windowDC);
    bitmap = CreateCompatibleBitmap(windowDC, 80, 40);
    ReleaseDC(top, windowDC);
    ASSERT_NE(dc, nullptr);
    ASSERT_NE(bitmap, nullptr);
    oldBitmap = SelectObject(dc, bitmap);
    Clear(kWhite);
  }
  void TearDown() override {
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ConformanceTest::TearDown();
  }
  void Clear(COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    RECT all{0, 0, 80, 40};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
  }
  // Columns [from, to) of row y that are not white.
  int InkedColumns(int y) {
    int count = 0;
    for (int x = 0; x < 80; ++x) count += GetPixel(dc, x, y) != kWhite;
    return count;
  }

  // Rows [y0, y0 + rows) of columns [x0, x0 + columns): '.' white, '#' blue,
  // 'o' red, '?' anything else.
  std::vector<std::string> Picture(int x0, int y0, int columns, int rows) {
    std::vector<std::string> out;
    for (int y = y0; y < y0 + rows; ++y) {
      std::string row;
      for (int x = x0; x < x0 + columns; ++x) {
        const COLORREF c = GetPixel(dc, x, y);
        row += c == kWhite ? '.' : c == kBlue ? '#' : c == kRed ? 'o' : '?';
      }
      out.push_back(row);
    }
    return out;
  }
  // Selects a solid blue pen of `width` and a red brush or the null brush.
  void UsePen(int width, bool nullBrush) {
    pen = CreatePen(PS_SOLID, width, kBlue);
    brush = CreateSolidBrush(kRed);
    oldPen = SelectObject(dc, pen);
    oldBrush = SelectObject(dc, nullBrush ? GetStockObject(NULL_BRUSH) : brush);
  }
  void DropPen() {
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    DeleteObject(brush);
    pen = nullptr;
    brush = nullptr;
  }
  // The box around every pixel that is not white, as {left, top, right, bottom}
  // inclusive; all -1 when nothing is inked.
  RECT Inked() {
    RECT box{-1, -1, -1, -1};
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 80; ++x) {
        if (GetPixel(dc, x, y) == kWhite) continue;
        if (box.left < 0 || x < box.left) box.left = x;
        if (box.top < 0) box.top = y;
        if (x > box.right) box.right = x;
        box.bottom = y;
      }
    }
    return box;
  }

  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
  HGDIOBJ oldPen = nullptr;
  HGDIOBJ oldBrush = nullptr;
  HWND top = nullptr;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
};

TEST_F(Gdi, FillRectCoversTheLeftAndTopEdgesButNotTheRightAndBottom) {
  HBRUSH red = CreateSolidBrush(kRed);
  RECT r{10, 5, 20, 15};
  EXPECT_TRUE(FillRect(dc, &r, red));
  DeleteObject(red);
  EXPECT_EQ(GetPixel(dc, 10, 5), kRed);
  EXPECT_EQ(GetPixel(dc, 19, 14), kRed);
  EXPECT_EQ(GetPixel(dc, 20, 14), kWhite);
  EXPECT_EQ(GetPixel(dc, 19, 15), kWhite);
  EXPECT_EQ(GetPixel(dc, 9, 5), kWhite);
  EXPECT_EQ(GetPixel(dc, 10, 4), kWhite);
  EXPECT_EQ(InkedColumns(10), 10);
}

TEST_F(Gdi, RectangleWithAOnePixelPenAndNullBrushDrawsOnlyTheOutline) {
  HPEN pen = CreatePen(PS_SOLID, 1, kBlue);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  EXPECT_TRUE(Rectangle(dc, 10, 5, 30, 25));
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  // The outline lies inside the rectangle: right and bottom at 29 and 24.
  for (int x : {10, 20, 29}) {
    EXPECT_EQ(GetPixel(dc, x, 5), kBlue) << x;
    EXPECT_EQ(GetPixel(dc, x, 24), kBlue) << x;
  }
  for (int y : {5, 15, 24}) {
    EXPECT_EQ(GetPixel(dc, 10, y), kBlue) << y;
    EXPECT_EQ(GetPixel(dc, 29, y), kBlue) << y;
  }
  EXPECT_EQ(GetPixel(dc, 30, 15), kWhite);
  EXPECT_EQ(GetPixel(dc, 20, 25), kWhite);
  EXPECT_EQ(GetPixel(dc, 11, 6), kWhite);
  EXPECT_EQ(GetPixel(dc, 20, 15), kWhite) << "the null brush leaves the inside alone";
  EXPECT_EQ(InkedColumns(15), 2);
}

TEST_F(Gdi, BitBltCopiesExactlyTheAskedArea) {
  HBRUSH red = CreateSolidBrush(kRed);
  RECT r{0, 0, 4, 4};
  FillRect(dc, &r, red);
  DeleteObject(red);
  EXPECT_TRUE(BitBlt(dc, 40, 20, 3, 2, dc, 1, 1, SRCCOPY));
  EXPECT_EQ(GetPixel(dc, 40, 20), kRed);
  EXPECT_EQ(GetPixel(dc, 42, 21), kRed);
  EXPECT_EQ(GetPixel(dc, 43, 21), kWhite);
  EXPECT_EQ(GetPixel(dc, 42, 22), kWhite);
  EXPECT_EQ(GetPixel(dc, 39, 20), kWhite);
}

TEST_F(Gdi, SelectObjectReturnsWhatWasSelectedBefore) {
  HBRUSH a = CreateSolidBrush(kRed);
  HBRUSH b = CreateSolidBrush(kBlue);
  HGDIOBJ original = SelectObject(dc, a);
  EXPECT_NE(original, nullptr);
  EXPECT_EQ(SelectObject(dc, b), a);
  EXPECT_EQ(SelectObject(dc, original), b);
  HPEN pen = CreatePen(PS_SOLID, 1, kRed);
  HGDIOBJ originalPen = SelectObject(dc, pen);
  EXPECT_NE(originalPen, nullptr);
  EXPECT_EQ(SelectObject(dc, originalPen), pen);
  EXPECT_EQ(SelectObject(dc, bitmap), bitmap) << "selecting the selected bitmap again";
  DeleteObject(a);
  DeleteObject(b);
  DeleteObject(pen);
}

TEST_F(Gdi, TextExtentsAddUpAndBoundWhatTextOutDraws) {
  HFONT font = CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Arial");
  ASSERT_NE(font, nullptr);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SIZE empty{-1, -1};
  SIZE one{};
  SIZE two{};
  SIZE word{};
  EXPECT_TRUE(GetTextExtentPoint32W(dc, L"", 0, &empty));
  EXPECT_TRUE(GetTextExtentPoint32W(dc, L"M", 1, &one));
  EXPECT_TRUE(GetTextExtentPoint32W(dc, L"MM", 2, &two));
  EXPECT_TRUE(GetTextExtentPoint32W(dc, L"Split", 5, &word));
  EXPECT_EQ(empty.cx, 0);
  EXPECT_GT(one.cx, 0);
  EXPECT_EQ(two.cx, 2 * one.cx) << "no kerning between two capitals M";
  EXPECT_EQ(one.cy, two.cy);
  EXPECT_EQ(one.cy, word.cy) << "the height is the font's, not the text's";

  SetTextColor(dc, kBlack);
  SetBkMode(dc, TRANSPARENT);
  EXPECT_TRUE(TextOutW(dc, 5, 5, L"Split", 5));
  int right = -1;
  int bottom = -1;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 80; ++x) {
      if (GetPixel(dc, x, y) != kWhite) {
        right = x > right ? x : right;
        bottom = y > bottom ? y : bottom;
      }
    }
  }
  ASSERT_GE(right, 0) << "TextOutW drew nothing";
  EXPECT_LT(right, 5 + word.cx + 1);
  EXPECT_GT(right, 5 + word.cx / 2);
  EXPECT_LT(bottom, 5 + word.cy);
  SelectObject(dc, oldFont);
  DeleteObject(font);
}

// A pen wider than one pixel is centred on the one-pixel outline: the
// larger half outside on the left and top.
TEST_F(Gdi, ATwoPixelRectangleOutlineStraddlesTheOnePixelOne) {
  const std::vector<std::string> outline = {
      "...............",  //
      "..#############",  //
      "..#############",  //
      "..##.........##",  //
      "..##.........##",  //
      "..##.........##",  //
      "..##.........##",  //
      "..##.........##",  //
      "..##.........##",  //
      "..##.........##",  //
      "..#############",  //
      "..#############",  //
      "...............",  //
  };
  for (bool nullBrush : {true, false}) {
    Clear(kWhite);
    UsePen(2, nullBrush);
    EXPECT_TRUE(Rectangle(dc, 4, 4, 16, 14));
    DropPen();
    std::vector<std::string> want = outline;
    if (!nullBrush) {
      for (int y = 3; y <= 9; ++y) want[static_cast<size_t>(y)].replace(4, 9, "ooooooooo");
    }
    EXPECT_EQ(Picture(1, 2, 15, 13), want) << (nullBrush ? "null brush" : "red brush");
  }
}

// The shell's boxes: four 2-pixel LineTo calls around a rectangle.
TEST_F(Gdi, TwoPixelLinesAroundABoxJoinWithSquareCorners) {
  UsePen(2, true);
  MoveToEx(dc, 4, 4, nullptr);
  EXPECT_TRUE(LineTo(dc, 12, 4));
  EXPECT_TRUE(LineTo(dc, 12, 9));
  EXPECT_TRUE(LineTo(dc, 4, 9));
  EXPECT_TRUE(LineTo(dc, 4, 4));
  DropPen();
  const std::vector<std::string> want = {
      "............",  //
      "..##########",  //
      "..##########",  //
      "..##......##",  //
      "..##......##",  //
      "..##......##",  //
      "..##########",  //
      "..##########",  //
      "............",  //
      "............",  //
  };
  EXPECT_EQ(Picture(1, 2, 12, 10), want);
}

TEST_F(Gdi, OnePixelDiagonalsLeaveOutTheirLastPixel) {
  UsePen(1, true);
  const POINT down[2] = {{4, 4}, {9, 9}};
  const POINT up[2] = {{12, 9}, {17, 4}};
  EXPECT_TRUE(Polyline(dc, down, 2));
  EXPECT_TRUE(Polyline(dc, up, 2));
  DropPen();
  const std::vector<std::string> want = {
      "................",  //
      ".#..............",  //
      "..#..........#..",  //
      "...#........#...",  //
      "....#......#....",  //
      ".....#....#.....",  //
      ".........#......",  //
      "................",  //
  };
  EXPECT_EQ(Picture(3, 3, 16, 8), want);
}

// Round shapes with the shell's 2-pixel pens: the corners' pixels are each
// system's own, the extent and the straight sides are not.
TEST_F(Gdi, TwoPixelRoundShapesGrowByThePenLikeRectangles) {
  UsePen(2, true);
  EXPECT_TRUE(RoundRect(dc, 4, 4, 24, 18, 8, 8));
  DropPen();
  RECT ink = Inked();
  EXPECT_EQ(ink.left, 3);
  EXPECT_EQ(ink.top, 3);
  EXPECT_EQ(ink.right, 23);
  EXPECT_EQ(ink.bottom, 17);
  EXPECT_EQ(Picture(0, 10, 26, 1)[0], "...##.................##..") << "a side, across";
  EXPECT_EQ(Picture(13, 0, 1, 20), (std::vector<std::string>{".", ".", ".", "#", "#", ".", ".", ".", ".", ".",
                                                             ".", ".", ".", ".", ".", ".", "#", "#", ".", "."}))
      << "the top and bottom, down the middle";

  Clear(kWhite);
  UsePen(2, false);
  EXPECT_TRUE(Ellipse(dc, 4, 4, 18, 18));
  DropPen();
  ink = Inked();
  EXPECT_EQ(ink.left, 3);
  EXPECT_EQ(ink.top, 3);
  EXPECT_EQ(ink.right, 17);
  EXPECT_EQ(ink.bottom, 17);
  EXPECT_EQ(GetPixel(dc, 10, 10), kRed) << "the brush fills the inside";
  const std::string across = Picture(0, 10, 20, 1)[0];
  EXPECT_EQ(across.substr(0, 5), "...##") << across;
  EXPECT_EQ(across.find_first_not_of('o', 5), 16u) << across;
}

}  // namespace
}  // namespace conformance
