// The message queue: what comes out in which order, timers, the paint cycle
// and presenting.
#include "gdi/draw_cache/draw_cache.h"
#include "layer_fixture.h"

namespace layer_test {
namespace {

constexpr UINT kA = WM_APP + 1;
constexpr UINT kB = WM_APP + 2;

class QueueTest : public LayerTest {};

std::vector<UINT> Drain() {
  std::vector<UINT> out;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    out.push_back(msg.message);
    if (msg.message == WM_QUIT) break;
    DispatchMessageW(&msg);
  }
  return out;
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

// A paint that fills what it was asked to paint.
LRESULT PaintWhite(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m != WM_PAINT) return DefWindowProcW(h, m, w, l);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  Fill(dc, ps.rcPaint, RGB(255, 255, 255));
  EndPaint(h, &ps);
  return 0;
}

TEST_F(QueueTest, SentMessagesRunAtOnceAndPostedOnesWaitInOrderUntilRemoved) {
  HWND top = CreateTop();
  Pump();
  Log().clear();
  SetHandler([](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == kA) return 42;
    return DefWindowProcW(h, m, w, l);
  });
  PostMessageW(top, kB, 1, 0);
  EXPECT_EQ(SendMessageW(top, kA, 0, 0), 42);
  ASSERT_EQ(Log().size(), 1u);  // the posted one has not run yet
  EXPECT_EQ(Log()[0].msg, kA);
  PostMessageW(top, kB, 2, 0);
  EXPECT_EQ(Drain(), (std::vector<UINT>{kB, kB}));
  ASSERT_EQ(Only(kB).size(), 2u);
  EXPECT_EQ(Only(kB)[0].wParam, 1u);
  EXPECT_EQ(Only(kB)[1].wParam, 2u);

  // A peek without PM_REMOVE leaves the message for the next one.
  PostMessageW(top, kA, 9, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, kA);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 9u);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(QueueTest, PostedThenQuitThenPaintThenTimer) {
  HWND top = CreateTop();
  Pump();
  SetTimer(top, 7, 15, nullptr);
  driver.AdvanceTime(20);
  InvalidateRect(top, nullptr, FALSE);
  PostQuitMessage(3);
  PostMessageW(top, kA, 0, 0);
  PostMessageW(top, kB, 0, 0);

  MSG msg;
  std::vector<UINT> order;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    order.push_back(msg.message);
    if (msg.message == WM_QUIT) {
      EXPECT_EQ(msg.wParam, 3u);
    }
    DispatchMessageW(&msg);
  }
  EXPECT_EQ(order, (std::vector<UINT>{kA, kB, WM_QUIT, WM_PAINT, WM_TIMER}));
}

TEST_F(QueueTest, PaintWaitsForPostedInputAndStaysUntilValidated) {
  HWND top = CreateTop();
  Pump();
  InvalidateRect(top, nullptr, FALSE);
  driver.MoveMouse(top, 5, 5);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_MOUSEMOVE);
  // A WM_PAINT taken from the queue but never answered comes back.
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_PAINT);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_PAINT);
  DispatchMessageW(&msg);  // DefWindowProcW validates
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(QueueTest, GetMessageReturnsFalseOnQuitAndMessagesForDeadWindowsVanish) {
  HWND top = CreateTop();
  HWND other = CreateTop();
  Pump();
  PostMessageW(other, kA, 0, 0);
  DestroyWindow(other);
  EXPECT_FALSE(PostMessageW(other, kA, 0, 0));
  PostQuitMessage(5);
  MSG msg;
  EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 5u);
  EXPECT_TRUE(IsWindow(top));
}

TEST_F(QueueTest, TimerFiresEveryPeriodAndNeverPilesUp) {
  HWND top = CreateTop();
  Pump();
  EXPECT_EQ(SetTimer(top, 1, 15, nullptr), 1u);
  MSG msg;
  driver.AdvanceTime(14);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  driver.AdvanceTime(1);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, top);
  EXPECT_EQ(msg.wParam, 1u);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));

  // A stalled loop gets one WM_TIMER for many missed periods.
  driver.AdvanceTime(200);
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  driver.AdvanceTime(15);
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE));
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));

  EXPECT_TRUE(KillTimer(top, 1));
  EXPECT_FALSE(KillTimer(top, 1));
  driver.AdvanceTime(100);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));

  // Setting a timer again restarts its period.
  SetTimer(top, 4, 50, nullptr);
  driver.AdvanceTime(40);
  SetTimer(top, 4, 50, nullptr);
  driver.AdvanceTime(40);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  driver.AdvanceTime(10);
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  KillTimer(top, 4);

  // A timer with a proc is called by dispatch, not sent to the window.
  static int calls = 0;
  calls = 0;
  Log().clear();
  SetTimer(top, 3, 20, [](HWND, UINT, UINT_PTR id, DWORD) { calls += static_cast<int>(id); });
  driver.AdvanceTime(20);
  Pump();
  EXPECT_EQ(calls, 3);
  EXPECT_TRUE(Only(WM_TIMER).empty());
}

TEST_F(QueueTest, GetMessageWaitsInTheDriverUntilTheNextTick) {
  HWND top = CreateTop();
  Pump();
  SetTimer(top, 1, 15, nullptr);
  // 66 ticks of a 15 ms timer take 990 ms of the loop's waiting.
  int ticks = 0;
  MSG msg;
  const std::int64_t start = driver.NowMs();
  while (ticks < 66 && GetMessageW(&msg, nullptr, 0, 0)) {
    if (msg.message == WM_TIMER) ++ticks;
    DispatchMessageW(&msg);
  }
  EXPECT_EQ(driver.NowMs() - start, 990);
  EXPECT_EQ(Only(WM_TIMER).size(), 66u);
}

TEST_F(QueueTest, InputArrivingWhileTheLoopWaitsIsHandedOut) {
  HWND top = CreateTop();
  Pump();
  driver.onWait = [&](int timeoutMs) {
    EXPECT_EQ(timeoutMs, -1);  // no timer runs
    driver.Hotkey('Q');
  };
  ASSERT_TRUE(RegisterHotKey(top, 2, 0, 'Q'));
  MSG msg;
  ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_HOTKEY));
  EXPECT_EQ(msg.wParam, 2u);
  EXPECT_EQ(driver.WaitCount(), 1);
}

TEST_F(QueueTest, ParentsPaintBeforeChildrenAndAllGoOutInOnePresent) {
  HWND top = CreateTop();
  HWND child = CreateChild(top, 10, 10, 50, 20);
  Pump();
  SetHandler(PaintWhite);
  const int presents = driver.PresentCount(top);
  Log().clear();
  InvalidateRect(top, nullptr, TRUE);
  Pump();
  // The child is covered by its parent's paint and repaints after it,
  // frame first.
  std::vector<std::pair<HWND, UINT>> paints;
  for (const Seen& s : Log()) {
    if (s.msg == WM_PAINT || s.msg == WM_NCPAINT || s.msg == WM_ERASEBKGND) paints.push_back({s.hwnd, s.msg});
  }
  const std::vector<std::pair<HWND, UINT>> expected = {
      {top, WM_PAINT}, {top, WM_ERASEBKGND}, {child, WM_NCPAINT}, {child, WM_PAINT}, {child, WM_ERASEBKGND}};
  EXPECT_EQ(paints, expected);
  EXPECT_EQ(driver.PresentCount(top), presents + 1);
}

TEST_F(QueueTest, InvalidationsCoalesceIntoOnePaintOfTheirBoundsAndUpdateWindowPaintsNow) {
  HWND top = CreateTop();
  Pump();
  Log().clear();
  RECT painted{};
  SetHandler(Painting([&](HWND, HDC, const PAINTSTRUCT& ps) {
    painted = ps.rcPaint;
    EXPECT_FALSE(ps.fErase);
  }));
  const RECT a{10, 10, 20, 20};
  const RECT b{50, 40, 60, 45};
  InvalidateRect(top, &a, FALSE);
  InvalidateRect(top, &b, FALSE);
  Pump();
  EXPECT_EQ(Only(WM_PAINT).size(), 1u);
  EXPECT_EQ(painted.left, 10);
  EXPECT_EQ(painted.top, 10);
  EXPECT_EQ(painted.right, 60);
  EXPECT_EQ(painted.bottom, 45);

  // UpdateWindow paints at once, and only when something is invalid.
  Log().clear();
  UpdateWindow(top);
  EXPECT_TRUE(Only(WM_PAINT).empty());
  InvalidateRect(top, nullptr, FALSE);
  UpdateWindow(top);
  EXPECT_EQ(Only(WM_PAINT).size(), 1u);
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
}

TEST_F(QueueTest, NothingIsPresentedWhileAPaintIsPending) {
  HWND top = CreateTop();
  HWND child = CreateChild(top, 0, 0, 30, 30);
  Pump();
  SetHandler(PaintWhite);
  const int presents = driver.PresentCount(top);
  InvalidateRect(top, nullptr, FALSE);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  ASSERT_EQ(msg.hwnd, top);
  DispatchMessageW(&msg);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  ASSERT_EQ(msg.hwnd, child);
  EXPECT_EQ(driver.PresentCount(top), presents);  // the child still owes its paint
  DispatchMessageW(&msg);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(driver.PresentCount(top), presents + 1);
}

// A frame redrawn each tick goes to the screen only where its pixels
// changed: a paint that draws nothing or copies the same pixels costs no
// transfer.
TEST_F(QueueTest, OnlyChangedPixelsAreSentToTheScreen) {
  if (!platform::draw_cache::Enabled()) GTEST_SKIP() << "measures what the drawing cache saves";
  HWND top = CreateTop(0, 0, 60, 40);
  SetHandler(PaintWhite);
  Pump();
  int presents = driver.PresentCount(top);

  // The picture a paint copies in, as the overlay paints.
  HDC screen = GetDC(top);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 60, 40);
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  RECT all{0, 0, 60, 40};
  Fill(memory, all, RGB(255, 255, 255));
  ReleaseDC(top, screen);
  Pump();
  EXPECT_EQ(driver.PresentCount(top), presents) << "GetDC and ReleaseDC alone change nothing";

  SetHandler(Painting([&](HWND, HDC dc, const PAINTSTRUCT&) { BitBlt(dc, 0, 0, 60, 40, memory, 0, 0, SRCCOPY); }));
  InvalidateRect(top, nullptr, FALSE);
  Pump();
  EXPECT_EQ(driver.PresentCount(top), presents) << "the same pixels again";

  RECT rows{5, 12, 9, 15};
  Fill(memory, rows, RGB(0, 0, 0));
  InvalidateRect(top, nullptr, FALSE);
  Pump();
  ASSERT_EQ(driver.PresentCount(top), ++presents);
  const RECT dirty = driver.Find(top)->lastDirty;
  EXPECT_EQ(dirty.top, 12);
  EXPECT_EQ(dirty.bottom, 15);
  EXPECT_EQ(driver.Pixel(top, 6, 13), RGB(0, 0, 0));
  EXPECT_EQ(driver.Pixel(top, 6, 15), RGB(255, 255, 255));

  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

}  // namespace
}  // namespace layer_test
