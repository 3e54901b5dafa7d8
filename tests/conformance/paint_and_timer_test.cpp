// The update region, BeginPaint, and where WM_PAINT and WM_TIMER come in
// the queue's order.
#include "conformance.h"

namespace conformance {
namespace {

constexpr UINT kPosted = WM_APP + 1;

class PaintAndTimer : public ConformanceTest {
 protected:
  // Paints by BeginPaint/EndPaint and keeps the rectangles it was given.
  void RecordPaints() {
    SetHandler([this](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
      if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        painted.push_back(ps.rcPaint);
        EndPaint(hwnd, &ps);
        return 0;
      }
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    });
  }
  bool PaintPending() {
    MSG msg;
    return PeekMessageW(&msg, top, WM_PAINT, WM_PAINT, PM_NOREMOVE) != FALSE;
  }
  void SetUp() override {
    ConformanceTest::SetUp();
    top = CreateTop(20, 20, 200, 120);
    ASSERT_NE(top, nullptr);
    RecordPaints();
    Pump();  // the first paint of the shown window
    painted.clear();
    Log().clear();
  }
  HWND top = nullptr;
  std::vector<RECT> painted;
};

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(PaintAndTimer, BeginPaintGivesTheBoundsOfTheUpdateRegionAndValidatesIt) {
  EXPECT_FALSE(PaintPending());
  RECT a{10, 10, 30, 20};
  RECT b{50, 40, 60, 90};
  InvalidateRect(top, &a, FALSE);
  InvalidateRect(top, &b, FALSE);
  EXPECT_TRUE(PaintPending());
  Pump();
  ASSERT_EQ(painted.size(), 1u) << "two invalidations make one WM_PAINT";
  EXPECT_TRUE(Same(painted[0], RECT{10, 10, 60, 90}));
  EXPECT_FALSE(PaintPending());

  // A null rectangle is the whole client area.
  painted.clear();
  InvalidateRect(top, nullptr, FALSE);
  Pump();
  ASSERT_EQ(painted.size(), 1u);
  EXPECT_TRUE(Same(painted[0], RECT{0, 0, 200, 120}));
}

TEST_F(PaintAndTimer, DefaultPaintValidatesAndEraseFollowsTheFlag) {
  SetHandler(nullptr);
  InvalidateRect(top, nullptr, FALSE);
  Pump();
  EXPECT_EQ(Only(WM_PAINT).size(), 1u) << "DefWindowProcW validates: no second WM_PAINT";
  EXPECT_TRUE(Only(WM_ERASEBKGND).empty());
  Log().clear();
  InvalidateRect(top, nullptr, TRUE);
  Pump();
  EXPECT_EQ(Only(WM_PAINT).size(), 1u);
  EXPECT_EQ(Only(WM_ERASEBKGND).size(), 1u);
  EXPECT_LT(IndexOf(WM_PAINT, top), IndexOf(WM_ERASEBKGND, top)) << "BeginPaint erases, inside WM_PAINT";
}

TEST_F(PaintAndTimer, PostedMessagesComeBeforePaintAndPaintBeforeTimers) {
  ASSERT_EQ(SetTimer(top, 5, 10, nullptr), 5u);
  WaitMs(60);  // the timer is due
  InvalidateRect(top, nullptr, FALSE);
  PostMessageW(top, kPosted, 0, 0);
  MSG msg;
  std::vector<UINT> order;
  while (order.size() < 3 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    order.push_back(msg.message);
    DispatchMessageW(&msg);
  }
  KillTimer(top, 5);
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[0], kPosted);
  EXPECT_EQ(order[1], static_cast<UINT>(WM_PAINT));
  EXPECT_EQ(order[2], static_cast<UINT>(WM_TIMER));
}

TEST_F(PaintAndTimer, TimersCarryTheirIdAndStopWhenKilled) {
  ASSERT_EQ(SetTimer(top, 7, 10, nullptr), 7u);
  ASSERT_TRUE(PumpUntil([] { return Only(WM_TIMER).size() >= 2; }));
  for (const Seen& s : Only(WM_TIMER)) {
    EXPECT_EQ(s.hwnd, top);
    EXPECT_EQ(s.wParam, 7u);
    EXPECT_EQ(s.lParam, 0);
  }
  // Setting the same id again replaces the timer rather than adding one.
  ASSERT_EQ(SetTimer(top, 7, 10, nullptr), 7u);
  WaitMs(15);
  Log().clear();
  WaitMs(15);
  Pump();
  EXPECT_LE(Only(WM_TIMER).size(), 1u) << "WM_TIMER does not pile up";

  EXPECT_TRUE(KillTimer(top, 7));
  Pump();
  Log().clear();
  WaitMs(40);
  Pump();
  EXPECT_TRUE(Only(WM_TIMER).empty());
  EXPECT_FALSE(KillTimer(top, 7)) << "killing it twice";
  EXPECT_FALSE(KillTimer(top, 99)) << "an id never set";
}

TEST_F(PaintAndTimer, DestroyingAWindowEndsItsTimers) {
  HWND other = CreateTop(0, 0, 50, 50);
  ASSERT_EQ(SetTimer(other, 3, 10, nullptr), 3u);
  DestroyWindow(other);
  Log().clear();
  WaitMs(40);
  Pump();
  EXPECT_TRUE(Only(WM_TIMER).empty());
}

}  // namespace
}  // namespace conformance
