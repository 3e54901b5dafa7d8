// Not a check: prints the pixels of the shapes the shell draws, so that a
// run on the layer and one under Windows or Wine can be compared by eye or
// with diff. Run with --gtest_also_run_disabled_tests
// --gtest_filter='*PrintShapes*'.
#include <cstdio>
#include <functional>
#include <string>

#include "conformance.h"

namespace conformance {
namespace {

constexpr int kColumns = 40;
constexpr int kRows = 24;

void Print(HDC dc, const char* name) {
  std::printf("== %s\n", name);
  for (int y = 0; y < kRows; ++y) {
    std::string row;
    for (int x = 0; x < kColumns; ++x) {
      const COLORREF c = GetPixel(dc, x, y);
      row += c == RGB(255, 255, 255) ? '.' : c == RGB(0, 0, 255) ? '#' : c == RGB(255, 0, 0) ? 'o' : '?';
    }
    std::printf("%s\n", row.c_str());
  }
}

using Pictures = ConformanceTest;

TEST_F(Pictures, DISABLED_PrintShapes) {
  HWND top = CreateTop(0, 0, 100, 60);
  HDC windowDC = GetDC(top);
  HDC dc = CreateCompatibleDC(windowDC);
  HBITMAP bitmap = CreateCompatibleBitmap(windowDC, kColumns, kRows);
  ReleaseDC(top, windowDC);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  const auto draw = [&](const char* name, int width, bool nullBrush, const std::function<void()>& shape) {
    const RECT all{0, 0, kColumns, kRows};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &all, white);
    DeleteObject(white);
    HPEN pen = CreatePen(PS_SOLID, width, RGB(0, 0, 255));
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, nullBrush ? GetStockObject(NULL_BRUSH) : red);
    shape();
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    DeleteObject(red);
    Print(dc, name);
  };
  draw("Rectangle(4,4,16,14), 2 px, null brush", 2, true, [&] { Rectangle(dc, 4, 4, 16, 14); });
  draw("Rectangle(4,4,16,14), 2 px, brush", 2, false, [&] { Rectangle(dc, 4, 4, 16, 14); });
  draw("Rectangle(4,4,16,14), 3 px, brush", 3, false, [&] { Rectangle(dc, 4, 4, 16, 14); });
  draw("RoundRect(4,4,24,18,8,8), 1 px, brush", 1, false, [&] { RoundRect(dc, 4, 4, 24, 18, 8, 8); });
  draw("RoundRect(4,4,24,18,8,8), 2 px, null brush", 2, true, [&] { RoundRect(dc, 4, 4, 24, 18, 8, 8); });
  draw("Ellipse(4,4,18,18), 1 px, brush", 1, false, [&] { Ellipse(dc, 4, 4, 18, 18); });
  draw("Ellipse(4,4,18,18), 2 px, brush", 2, false, [&] { Ellipse(dc, 4, 4, 18, 18); });
  draw("LineTo around (4,4)-(20,14), 2 px", 2, true, [&] {
    MoveToEx(dc, 4, 4, nullptr);
    LineTo(dc, 20, 4);
    LineTo(dc, 20, 14);
    LineTo(dc, 4, 14);
    LineTo(dc, 4, 4);
  });
  draw("LineTo (4,4)-(20,4), 3 px", 3, true, [&] {
    MoveToEx(dc, 4, 4, nullptr);
    LineTo(dc, 20, 4);
  });
  for (int width : {1, 2}) {
    draw(width == 1 ? "Polyline diagonals, 1 px" : "Polyline diagonals, 2 px", width, true, [&] {
      const POINT down[2] = {{4, 4}, {16, 16}};
      const POINT up[2] = {{20, 16}, {32, 4}};
      Polyline(dc, down, 2);
      Polyline(dc, up, 2);
    });
  }
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

}  // namespace
}  // namespace conformance
