// Handles, selection and ownership as on Windows, and the live-object count
// that proves painting leaks nothing.
#include <gtest/gtest.h>

#include "driver.h"
#include "gdi/gdi_internal.h"
#include "gdi_test_canvas.h"
#include "win32_layer.h"

using gdi_test::Canvas;
using platform::gdi::LiveGdiObjectCount;

namespace {

HFONT MakeFont(int height) {
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_OUTLINE_PRECIS,
                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH, L"Segoe UI");
}

TEST(GdiObjects, SelectReturnsThePreviousObjectOfTheSameKind) {
  Canvas canvas(4, 4);
  HPEN pen = CreatePen(PS_SOLID, 2, RGB(1, 2, 3));
  HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
  HFONT font = MakeFont(-15);

  HGDIOBJ defaultPen = SelectObject(canvas.dc(), pen);
  HGDIOBJ defaultBrush = SelectObject(canvas.dc(), brush);
  HGDIOBJ defaultFont = SelectObject(canvas.dc(), font);
  ASSERT_NE(defaultPen, nullptr);
  ASSERT_NE(defaultBrush, nullptr);
  ASSERT_NE(defaultFont, nullptr);
  EXPECT_NE(defaultPen, defaultBrush);
  EXPECT_NE(defaultBrush, defaultFont);

  // Each kind has its own slot: putting the brush back returns our brush,
  // not the pen or the font selected after it.
  EXPECT_EQ(SelectObject(canvas.dc(), defaultBrush), brush);
  EXPECT_EQ(SelectObject(canvas.dc(), defaultPen), pen);
  EXPECT_EQ(SelectObject(canvas.dc(), defaultFont), font);
  // The defaults are stock objects: deleting them is a harmless no-op.
  EXPECT_TRUE(DeleteObject(defaultPen));
  EXPECT_TRUE(DeleteObject(defaultBrush));
  EXPECT_TRUE(DeleteObject(defaultFont));
  EXPECT_EQ(SelectObject(canvas.dc(), pen), defaultPen);
  SelectObject(canvas.dc(), defaultPen);

  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_TRUE(DeleteObject(font));
}

TEST(GdiObjects, SelectedObjectsCannotBeDeletedUntilDeselectedOrTheirDCIsGone) {
  const int before = LiveGdiObjectCount();
  Canvas canvas(4, 4);
  HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
  HGDIOBJ old = SelectObject(canvas.dc(), brush);
  EXPECT_FALSE(DeleteObject(brush));
  EXPECT_EQ(LiveGdiObjectCount(), before + 1);
  // Still alive and usable.
  RECT r{0, 0, 2, 2};
  EXPECT_NE(FillRect(canvas.dc(), &r, brush), 0);
  EXPECT_EQ(canvas.At(1, 1), RGB(10, 20, 30));

  SelectObject(canvas.dc(), old);
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_EQ(LiveGdiObjectCount(), before);
  // A deleted handle is refused, not used.
  EXPECT_FALSE(DeleteObject(brush));
  EXPECT_EQ(FillRect(canvas.dc(), &r, brush), 0);
  EXPECT_EQ(SelectObject(canvas.dc(), brush), nullptr);

  // Deleting a DC leaves the objects selected into it alive and deletable.
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(memory, 8, 8);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
  SelectObject(memory, bitmap);
  SelectObject(memory, pen);
  EXPECT_EQ(LiveGdiObjectCount(), before + 3);
  EXPECT_FALSE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteDC(memory));
  EXPECT_EQ(LiveGdiObjectCount(), before + 2);
  EXPECT_FALSE(DeleteDC(memory));
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_EQ(LiveGdiObjectCount(), before);
}

TEST(GdiObjects, ABitmapGoesIntoOneMemoryDCAtATime) {
  HDC first = CreateCompatibleDC(nullptr);
  HDC second = CreateCompatibleDC(first);
  HBITMAP bitmap = CreateCompatibleBitmap(first, 3, 3);
  HGDIOBJ firstDefault = SelectObject(first, bitmap);
  ASSERT_NE(firstDefault, nullptr);
  EXPECT_EQ(SelectObject(second, bitmap), nullptr);
  SelectObject(first, firstDefault);
  HGDIOBJ secondDefault = SelectObject(second, bitmap);
  EXPECT_NE(secondDefault, nullptr);
  SelectObject(second, secondDefault);

  // A window's DC takes no bitmap.
  Canvas canvas(4, 4);
  EXPECT_EQ(SelectObject(canvas.dc(), bitmap), nullptr);

  DeleteObject(bitmap);
  DeleteDC(first);
  DeleteDC(second);
}

TEST(GdiObjects, APaintLikeLoopLeavesTheLiveCountUnchanged) {
  Canvas canvas(320, 100);
  const int before = LiveGdiObjectCount();
  for (int frame = 0; frame < 50; ++frame) {
    HDC memory = CreateCompatibleDC(canvas.dc());
    HBITMAP bitmap = CreateCompatibleBitmap(canvas.dc(), 320, 100);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    HBRUSH background = CreateSolidBrush(RGB(30, 32, 40));
    RECT client{0, 0, 320, 100};
    FillRect(memory, &client, background);
    DeleteObject(background);

    HFONT font = MakeFont(-18);
    HGDIOBJ oldFont = SelectObject(memory, font);
    SetBkMode(memory, TRANSPARENT);
    TextOutW(memory, 10, 10, L"Mode: Overlay", 13);
    SelectObject(memory, oldFont);
    DeleteObject(font);

    HPEN pen = CreatePen(PS_SOLID, 2, RGB(55, 62, 78));
    HGDIOBJ oldPen = SelectObject(memory, pen);
    HGDIOBJ oldBrush = SelectObject(memory, GetStockObject(NULL_BRUSH));
    RoundRect(memory, 20, 40, 300, 47, 4, 4);
    SelectObject(memory, oldBrush);
    SelectObject(memory, oldPen);
    DeleteObject(pen);

    BitBlt(canvas.dc(), 0, 0, 320, 100, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
  }
  EXPECT_EQ(LiveGdiObjectCount(), before);
}

// Deleted objects' storage is used again: what is made in it must carry
// nothing of the object before, whatever its kind was.
TEST(GdiObjects, ObjectsMadeAfterManyDeletionsStartFresh) {
  const int before = LiveGdiObjectCount();
  Canvas canvas(12, 12);
  for (int i = 0; i < 80; ++i) {
    HFONT font = CreateFontW(-30, 0, 0, 0, FW_BOLD, 1, 0, 0, 0, 0, 0, 0, 0, L"Sans");
    HBRUSH brush = CreateSolidBrush(RGB(200, 0, 0));
    HPEN nullPen = CreatePen(5 /* PS_NULL */, 3, RGB(1, 2, 3));
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_TRUE(DeleteObject(nullPen));
  }
  // In the reverse order of the last deletions: a brush where the null pen
  // was, a pen where the brush was, a font where the font was.
  HBRUSH brush = CreateSolidBrush(RGB(0, 255, 0));
  HPEN pen = CreatePen(PS_SOLID, 3, RGB(0, 0, 255));
  HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"Sans");
  const RECT all{0, 0, 12, 12};
  EXPECT_NE(FillRect(canvas.dc(), &all, brush), 0);
  EXPECT_EQ(canvas.At(6, 6), RGB(0, 255, 0));
  HGDIOBJ oldPen = SelectObject(canvas.dc(), pen);
  MoveToEx(canvas.dc(), 0, 6, nullptr);
  LineTo(canvas.dc(), 12, 6);
  EXPECT_EQ(canvas.At(6, 6), RGB(0, 0, 255));
  HGDIOBJ oldFont = SelectObject(canvas.dc(), font);
  ASSERT_NE(oldFont, nullptr);
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32W(canvas.dc(), L"8", 1, &size));
  EXPECT_GT(size.cy, 8);
  EXPECT_LT(size.cy, 24);  // 12 px, not the deleted 30 px font
  EXPECT_EQ(SelectObject(canvas.dc(), oldFont), font);
  EXPECT_EQ(SelectObject(canvas.dc(), oldPen), pen);
  for (HGDIOBJ object : {static_cast<HGDIOBJ>(font), static_cast<HGDIOBJ>(pen), static_cast<HGDIOBJ>(brush)})
    EXPECT_TRUE(DeleteObject(object));
  EXPECT_EQ(LiveGdiObjectCount(), before);
}

TEST(GdiObjects, BadHandlesAndArgumentsFailSafely) {
  Canvas canvas(4, 4);
  int notAnObject = 0;
  HDC bogusDC = reinterpret_cast<HDC>(&notAnObject);
  EXPECT_FALSE(DeleteObject(nullptr));
  EXPECT_FALSE(DeleteObject(&notAnObject));
  EXPECT_EQ(SelectObject(nullptr, GetStockObject(NULL_BRUSH)), nullptr);
  EXPECT_EQ(SelectObject(bogusDC, GetStockObject(NULL_BRUSH)), nullptr);
  EXPECT_EQ(SelectObject(canvas.dc(), &notAnObject), nullptr);
  EXPECT_EQ(GetStockObject(12345), nullptr);
  EXPECT_EQ(SetTextColor(bogusDC, 0), CLR_INVALID);
  EXPECT_EQ(SetBkMode(canvas.dc(), 77), 0);
  EXPECT_EQ(CreateCompatibleBitmap(canvas.dc(), -1, 5), nullptr);
  EXPECT_EQ(CreateCompatibleDC(bogusDC), nullptr);
  EXPECT_FALSE(DeleteDC(canvas.dc()));  // a window's DC is released, not deleted
  EXPECT_FALSE(LineTo(bogusDC, 1, 1));
  EXPECT_FALSE(Polyline(canvas.dc(), nullptr, 2));
  EXPECT_EQ(CreateFontIndirectW(nullptr), nullptr);
  RECT r{0, 0, 1, 1};
  EXPECT_EQ(FillRect(canvas.dc(), &r, reinterpret_cast<HBRUSH>(GetStockObject(BLACK_PEN))), 0);
}

TEST(GdiObjects, DeviceCapsGiveTheDriversResolutionOr96) {
  Canvas canvas(4, 4);
  platform::Driver* driver = platform::GetDriver();
  const int expected = driver && driver->DpiY() > 0 ? driver->DpiY() : 96;
  EXPECT_EQ(GetDeviceCaps(canvas.dc(), LOGPIXELSY), expected);
  EXPECT_EQ(GetDeviceCaps(canvas.dc(), LOGPIXELSX), expected);
  EXPECT_EQ(GetDeviceCaps(nullptr, LOGPIXELSY), 0);
}

}  // namespace
