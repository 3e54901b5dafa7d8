// Exact GDI results on a memory DC: edges, outlines, copies, selection and
// text metrics that agree with drawing.
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

}  // namespace
}  // namespace conformance
