// Windows: creation and destruction, geometry, styles and what the driver
// is told about top-levels.
#include "events.h"
#include "gdi/gdi_internal.h"
#include "layer_fixture.h"

namespace layer_test {
namespace {

class WindowTest : public LayerTest {};

TEST_F(WindowTest, CreationSendsNcCreateThenCreateAndKeepsStyles) {
  HWND top = CreateTop(100, 100, 320, 373, 0, WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
  ASSERT_TRUE(top);
  const std::vector<UINT> first = Messages();
  ASSERT_GE(first.size(), 2u);
  EXPECT_EQ(first[0], static_cast<UINT>(WM_NCCREATE));
  EXPECT_EQ(first[1], static_cast<UINT>(WM_CREATE));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(top, GWL_STYLE)), static_cast<DWORD>(WS_POPUP | WS_VISIBLE));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(top, GWL_EXSTYLE)),
            static_cast<DWORD>(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
  const auto* shown = driver.Find(top);
  ASSERT_TRUE(shown);
  EXPECT_TRUE(shown->visible);
  EXPECT_EQ(shown->init.title, L"Top");
  EXPECT_EQ(shown->geometry.right - shown->geometry.left, 320);
  EXPECT_EQ(shown->geometry.bottom - shown->geometry.top, 373);
}

TEST_F(WindowTest, FailedCreationLeavesNoWindow) {
  const int before = platform::LiveWindowCount();
  SetHandler([](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_CREATE) return -1;
    return DefWindowProcW(h, m, w, l);
  });
  EXPECT_EQ(CreateTop(), nullptr);
  EXPECT_EQ(platform::LiveWindowCount(), before);
  EXPECT_EQ(CreateWindowExW(0, L"NoSuchClass", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  WNDCLASSW again{};
  again.lpfnWndProc = RecordingProc;
  again.lpszClassName = L"layertestwindow";  // class names ignore case
  EXPECT_EQ(RegisterClassW(&again), 0);
}

TEST_F(WindowTest, DestroyTellsParentFirstFreesChildrenFirstAndKillsTheHandles) {
  HWND top = CreateTop();
  HWND child = CreateChild(top, 0, 0, 10, 10);
  HWND grandchild = CreateChild(child, 0, 0, 5, 5);
  bool childAliveDuringParentDestroy = false;
  SetHandler([&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_DESTROY && h == top) childAliveDuringParentDestroy = IsWindow(child) != FALSE;
    return DefWindowProcW(h, m, w, l);
  });
  Log().clear();
  ASSERT_TRUE(DestroyWindow(top));
  std::vector<std::pair<HWND, UINT>> seen;
  for (const Seen& s : Log()) {
    if (s.msg == WM_DESTROY || s.msg == WM_NCDESTROY) seen.push_back({s.hwnd, s.msg});
  }
  const std::vector<std::pair<HWND, UINT>> expected = {{top, WM_DESTROY},        {child, WM_DESTROY},
                                                       {grandchild, WM_DESTROY}, {grandchild, WM_NCDESTROY},
                                                       {child, WM_NCDESTROY},    {top, WM_NCDESTROY}};
  EXPECT_EQ(seen, expected);
  EXPECT_TRUE(childAliveDuringParentDestroy);
  EXPECT_FALSE(IsWindow(top));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(grandchild));
  EXPECT_EQ(driver.Find(top), nullptr);
  EXPECT_FALSE(DestroyWindow(top));
  // A new window never gets a handle that was just freed.
  HWND next = CreateTop();
  EXPECT_NE(next, top);
  EXPECT_NE(next, child);
  EXPECT_NE(next, grandchild);
}

TEST_F(WindowTest, DestroyInsideWmDestroyIsHarmless) {
  HWND top = CreateTop();
  SetHandler([](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_DESTROY) DestroyWindow(h);
    return DefWindowProcW(h, m, w, l);
  });
  EXPECT_TRUE(DestroyWindow(top));
  EXPECT_EQ(Only(WM_NCDESTROY).size(), 1u);
}

TEST_F(WindowTest, ChildGeometryIsInParentClientCoordinatesAndBorderInsetsTheClient) {
  HWND top = CreateTop(100, 50, 320, 400);
  HWND box = CreateChild(top, 16, 232, 180, 28, WS_VISIBLE | WS_BORDER, 1003);
  RECT r{};
  ASSERT_TRUE(GetWindowRect(box, &r));
  EXPECT_EQ(r.left, 116);
  EXPECT_EQ(r.top, 282);
  EXPECT_EQ(r.right, 296);
  EXPECT_EQ(r.bottom, 310);
  ASSERT_TRUE(GetClientRect(box, &r));
  EXPECT_EQ(r.right, 178);
  EXPECT_EQ(r.bottom, 26);
  POINT p{120, 290};
  ScreenToClient(box, &p);
  EXPECT_EQ(p.x, 3);
  EXPECT_EQ(p.y, 7);
  ClientToScreen(box, &p);
  EXPECT_EQ(p.x, 120);
  EXPECT_EQ(GetParent(box), top);
  EXPECT_EQ(GetParent(top), nullptr);
  EXPECT_EQ(GetDlgCtrlID(box), 1003);
  EXPECT_EQ(GetWindowLongPtrW(box, GWLP_ID), 1003);
  EXPECT_EQ(GetDlgCtrlID(top), 0);
}

TEST_F(WindowTest, SetWindowPosMovesResizesAndRaisesAndTheManagerMovesToo) {
  HWND top = CreateTop(100, 100, 320, 373);
  SetWindowPos(top, nullptr, 0, 0, 320, 498, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT r{};
  GetWindowRect(top, &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.bottom - r.top, 498);
  EXPECT_EQ(driver.Find(top)->geometry.bottom, 598);
  SetWindowPos(top, nullptr, 40, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  GetWindowRect(top, &r);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 60);
  EXPECT_EQ(r.bottom - r.top, 498);
  EXPECT_EQ(driver.Find(top)->geometry.left, 40);
  EXPECT_EQ(driver.Find(top)->topMostRaises, 0);
  SetWindowPos(top, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  SetWindowPos(top, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  EXPECT_EQ(driver.Find(top)->topMostRaises, 2);
  GetWindowRect(top, &r);
  EXPECT_EQ(r.left, 40);
  // A move by the window manager is taken as it is.
  platform::OnMoved(top, 300, 200);
  GetWindowRect(top, &r);
  EXPECT_EQ(r.left, 300);
  EXPECT_EQ(r.bottom, 698);
}

TEST_F(WindowTest, ResizingKeepsTheOldPixelsAndRepaintsEverything) {
  HWND top = CreateTop(0, 0, 40, 30);
  SetHandler(Painting([](HWND, HDC hdc, const PAINTSTRUCT& ps) {
    HBRUSH red = CreateSolidBrush(RGB(200, 10, 20));
    FillRect(hdc, &ps.rcPaint, red);
    DeleteObject(red);
  }));
  Pump();
  EXPECT_EQ(driver.Pixel(top, 39, 29), RGB(200, 10, 20));
  SetHandler(nullptr);  // the next paint draws nothing
  SetWindowPos(top, nullptr, 0, 0, 60, 50, SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  EXPECT_EQ(driver.Pixel(top, 39, 29), RGB(200, 10, 20));
  EXPECT_EQ(driver.Pixel(top, 59, 49), RGB(0, 0, 0));
  EXPECT_EQ(driver.Pixel(top, 60, 0), CLR_INVALID);
}

TEST_F(WindowTest, ExtendedStyleAndLayeringReachTheDriver) {
  HWND top = CreateTop(0, 0, 100, 100, 0, WS_EX_LAYERED);
  EXPECT_TRUE(SetLayeredWindowAttributes(top, 0, 235, LWA_ALPHA));
  EXPECT_EQ(driver.Find(top)->opacity, 235);
  const LONG_PTR ex = GetWindowLongPtrW(top, GWL_EXSTYLE);
  EXPECT_EQ(SetWindowLongPtrW(top, GWL_EXSTYLE, ex | WS_EX_TRANSPARENT), ex);
  EXPECT_TRUE(driver.Find(top)->clickThrough);
  SetWindowLongPtrW(top, GWL_EXSTYLE, ex);
  EXPECT_FALSE(driver.Find(top)->clickThrough);
  HWND plain = CreateTop();
  EXPECT_FALSE(SetLayeredWindowAttributes(plain, 0, 100, LWA_ALPHA));
  EXPECT_EQ(driver.Find(plain)->opacity, 255);
}

TEST_F(WindowTest, ShowAndHide) {
  HWND top = CreateWindowExW(0, L"LayerTestWindow", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  EXPECT_FALSE(driver.Find(top)->visible);
  Log().clear();
  Pump();
  EXPECT_TRUE(Only(WM_PAINT).empty());  // hidden windows do not paint
  EXPECT_FALSE(ShowWindow(top, SW_SHOW));
  EXPECT_TRUE(driver.Find(top)->visible);
  EXPECT_TRUE(GetWindowLongPtrW(top, GWL_STYLE) & WS_VISIBLE);
  Pump();
  EXPECT_EQ(Only(WM_PAINT).size(), 1u);
  EXPECT_TRUE(ShowWindow(top, SW_HIDE));
  EXPECT_FALSE(driver.Find(top)->visible);
}

TEST_F(WindowTest, TextLongAndUserDataAndWindowProc) {
  HWND top = CreateTop();
  wchar_t buffer[4];
  EXPECT_EQ(GetWindowTextW(top, buffer, 4), 3);
  EXPECT_STREQ(buffer, L"Top");
  EXPECT_EQ(GetWindowTextW(top, buffer, 3), 2);
  EXPECT_STREQ(buffer, L"To");
  EXPECT_TRUE(SetWindowTextW(top, L"Brenvik"));
  EXPECT_EQ(GetWindowTextLengthW(top), 7);
  SetWindowLongPtrW(top, GWLP_USERDATA, 77);
  EXPECT_EQ(GetWindowLongPtrW(top, GWLP_USERDATA), 77);
  EXPECT_EQ(GetWindowLongPtrW(top, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&RecordingProc));
  wchar_t cls[16];
  EXPECT_EQ(GetClassNameW(top, cls, 6), 5);
  EXPECT_STREQ(cls, L"Layer");
  EXPECT_EQ(GetWindowLongPtrW(nullptr, GWL_STYLE), 0);
  EXPECT_EQ(GetWindowTextW(reinterpret_cast<HWND>(0x1234), buffer, 4), 0);
}

TEST_F(WindowTest, DestroyedFocusAndCaptureAreGone) {
  HWND top = CreateTop();
  HWND child = CreateChild(top, 0, 0, 10, 10);
  SetFocus(child);
  SetCapture(child);
  EXPECT_EQ(GetCapture(), child);
  EXPECT_EQ(driver.CaptureTopLevel(), top);
  DestroyWindow(child);
  EXPECT_EQ(GetFocus(), top);  // a dying child hands the focus to its parent
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(driver.CaptureTopLevel(), nullptr);
  DestroyWindow(top);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(WindowTest, ChildDcsDrawAtTheChildAndAreClippedToIt) {
  HWND top = CreateTop(0, 0, 100, 60);
  HWND child = CreateChild(top, 20, 10, 30, 20, WS_VISIBLE | WS_BORDER);
  Pump();
  HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
  HDC hdc = GetDC(child);
  const RECT huge{-50, -50, 500, 500};
  FillRect(hdc, &huge, green);
  ReleaseDC(child, hdc);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 200));
  hdc = GetWindowDC(child);
  const RECT corner{0, 0, 1, 1};
  FillRect(hdc, &corner, blue);
  ReleaseDC(child, hdc);
  DeleteObject(green);
  DeleteObject(blue);
  Pump();
  EXPECT_EQ(driver.Pixel(top, 20, 10), RGB(0, 0, 200));  // the window DC starts at the frame
  EXPECT_EQ(driver.Pixel(top, 21, 11), RGB(0, 200, 0));  // the client starts inside it
  EXPECT_EQ(driver.Pixel(top, 48, 28), RGB(0, 200, 0));
  EXPECT_NE(driver.Pixel(top, 49, 29), RGB(0, 200, 0));  // the border is not client
  EXPECT_NE(driver.Pixel(top, 19, 10), RGB(0, 200, 0));
  EXPECT_NE(driver.Pixel(top, 60, 40), RGB(0, 200, 0));
}

// A WS_CLIPCHILDREN parent painting straight on its DC, or as the shell
// does (the whole client on a memory bitmap, copied at once), spares its
// children, and repaints only itself, while they are shown.
TEST_F(WindowTest, ClipChildrenParentsNeitherRepaintNorCoverTheirShownChildren) {
  const auto fillDirect = [](HWND, HDC hdc, const RECT&, HBRUSH b) {
    const RECT all{-500, -500, 500, 500};
    FillRect(hdc, &all, b);
  };
  const auto fillThroughBitmap = [](HWND, HDC hdc, const RECT& client, HBRUSH b) {
    HDC memory = CreateCompatibleDC(hdc);
    HBITMAP bitmap = CreateCompatibleBitmap(hdc, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    FillRect(memory, &client, b);
    BitBlt(hdc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
  };
  using Fill = void (*)(HWND, HDC, const RECT&, HBRUSH);
  const struct {
    const char* name;
    Fill fill;
  } ways[] = {{"straight", fillDirect}, {"through a bitmap", fillThroughBitmap}};
  for (const auto& way : ways) {
    SCOPED_TRACE(way.name);
    HWND top = CreateTop(0, 0, 100, 60, WS_CLIPCHILDREN);
    HWND child = CreateChild(top, 20, 10, 30, 20);
    const Fill fill = way.fill;
    SetHandler(Painting([top, fill](HWND h, HDC hdc, const PAINTSTRUCT&) {
      RECT client{};
      GetClientRect(h, &client);
      HBRUSH b = CreateSolidBrush(h == top ? RGB(200, 0, 0) : RGB(0, 0, 200));
      fill(h, hdc, client, b);
      DeleteObject(b);
    }));
    Pump();
    for (int frame = 0; frame < 3; ++frame) {  // the same frame again and again
      Log().clear();
      InvalidateRect(top, nullptr, frame == 0);
      Pump();
      EXPECT_EQ(Only(WM_PAINT).size(), 1u) << "the parent only";
      EXPECT_EQ(driver.Pixel(top, 25, 15), RGB(0, 0, 200)) << frame;
      EXPECT_EQ(driver.Pixel(top, 49, 29), RGB(0, 0, 200)) << frame;
      EXPECT_EQ(driver.Pixel(top, 50, 30), RGB(200, 0, 0)) << frame;
      EXPECT_EQ(driver.Pixel(top, 19, 9), RGB(200, 0, 0)) << frame;
    }
    // A hidden child is no longer spared.
    ShowWindow(child, SW_HIDE);
    Pump();
    EXPECT_EQ(driver.Pixel(top, 25, 15), RGB(200, 0, 0)) << "the child's place, painted by the parent";
    DestroyWindow(top);
  }
}

TEST_F(WindowTest, DefaultFrameIsBlackAndEraseUsesTheClassBrush) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = L"Painted";
  wc.hbrBackground = CreateSolidBrush(RGB(10, 20, 30));
  ASSERT_TRUE(RegisterClassW(&wc));
  HWND top = CreateWindowExW(0, L"Painted", L"", WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0, 20, 20, nullptr, nullptr,
                             nullptr, nullptr);
  Pump();
  EXPECT_EQ(driver.Pixel(top, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(driver.Pixel(top, 19, 19), RGB(0, 0, 0));
  EXPECT_EQ(driver.Pixel(top, 1, 1), RGB(10, 20, 30));
  EXPECT_EQ(driver.Pixel(top, 18, 18), RGB(10, 20, 30));
  DestroyWindow(top);
  DeleteObject(wc.hbrBackground);
}

TEST_F(WindowTest, AnExposedAreaIsPresentedAgainFromTheFrameWithoutARepaint) {
  HWND top = CreateTop(0, 0, 100, 60);
  Pump();
  const int presents = driver.PresentCount(top);
  Log().clear();
  platform::OnExpose(top, RECT{10, 20, 30, 40});
  Pump();
  EXPECT_TRUE(Only(WM_PAINT).empty());
  EXPECT_EQ(driver.PresentCount(top), presents + 1);
  const RECT dirty = driver.Find(top)->lastDirty;
  EXPECT_EQ(dirty.left, 10);
  EXPECT_EQ(dirty.bottom, 40);
}

}  // namespace
}  // namespace layer_test
