// Pointer input: where presses, moves and releases go, with and without a
// capture, and the WM_SETCURSOR that comes before each move.
#include "conformance.h"

namespace conformance {
namespace {

class PointerInput : public ConformanceTest {
 protected:
  // Sends one pointer event and dispatches until `msg` reaches `hwnd`.
  bool Inject(HWND hwnd, int x, int y, Pointer what, UINT msg) {
    const size_t before = Only(msg, hwnd).size();
    InjectPointer(top, x, y, what);
    return PumpUntil([&] { return Only(msg, hwnd).size() > before; });
  }
  static POINT PointOf(const Seen& s) {
    return POINT{static_cast<short>(LOWORD(s.lParam)), static_cast<short>(HIWORD(s.lParam))};
  }
  HWND top = nullptr;
};

TEST_F(PointerInput, ACapturedPressGetsItsMovesAndReleaseOutsideTheWindow) {
  SetHandler([](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (msg == WM_LBUTTONDOWN) SetCapture(hwnd);
    if (msg == WM_LBUTTONUP) ReleaseCapture();
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  });
  top = CreateTop(40, 40, 320, 200);
  ASSERT_NE(top, nullptr);
  Pump();
  ASSERT_TRUE(Inject(top, 100, 80, Pointer::Move, WM_MOUSEMOVE));
  ASSERT_TRUE(Inject(top, 100, 80, Pointer::Press, WM_LBUTTONDOWN));
  EXPECT_EQ(GetCapture(), top);
  const POINT pressed = PointOf(Only(WM_LBUTTONDOWN, top).back());
  EXPECT_EQ(pressed.x, 100);
  EXPECT_EQ(pressed.y, 80);

  // Left of and above the window: negative client coordinates.
  ASSERT_TRUE(Inject(top, -20, -10, Pointer::Move, WM_MOUSEMOVE)) << "no move outside while captured";
  POINT moved = PointOf(Only(WM_MOUSEMOVE, top).back());
  EXPECT_EQ(moved.x, -20);
  EXPECT_EQ(moved.y, -10);
  ASSERT_TRUE(Inject(top, 400, 250, Pointer::Move, WM_MOUSEMOVE));
  Log().clear();
  ASSERT_TRUE(Inject(top, 400, 250, Pointer::Release, WM_LBUTTONUP)) << "the release outside was lost";
  const POINT released = PointOf(Only(WM_LBUTTONUP, top).back());
  EXPECT_EQ(released.x, 400);
  EXPECT_EQ(released.y, 250);
  EXPECT_EQ(GetCapture(), nullptr);
  // ReleaseCapture tells the window that loses the capture.
  const auto changed = Only(WM_CAPTURECHANGED, top);
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0].lParam, 0);
  EXPECT_GT(IndexOf(WM_CAPTURECHANGED, top), IndexOf(WM_LBUTTONUP, top));
}

TEST_F(PointerInput, SetCursorComesBeforeEachMoveAndAChildAsksItsParentFirst) {
  top = CreateTop(40, 40, 320, 200);
  ASSERT_NE(top, nullptr);
  HWND child = CreateChild(top, 10, 10, 100, 50);
  ASSERT_NE(child, nullptr);
  Pump();
  ASSERT_TRUE(Inject(top, 200, 150, Pointer::Move, WM_MOUSEMOVE));
  Log().clear();
  ASSERT_TRUE(Inject(top, 210, 150, Pointer::Move, WM_MOUSEMOVE));
  auto setCursor = Only(WM_SETCURSOR, top);
  ASSERT_FALSE(setCursor.empty());
  EXPECT_EQ(reinterpret_cast<HWND>(setCursor[0].wParam), top);
  EXPECT_EQ(LOWORD(setCursor[0].lParam), HTCLIENT);
  EXPECT_EQ(HIWORD(setCursor[0].lParam), WM_MOUSEMOVE);
  EXPECT_LT(IndexOf(WM_SETCURSOR, top), IndexOf(WM_MOUSEMOVE, top));

  // Over the child: the child gets it first, and its default procedure
  // passes it up with the child's handle.
  Log().clear();
  ASSERT_TRUE(Inject(child, 30, 30, Pointer::Move, WM_MOUSEMOVE));
  ASSERT_GE(IndexOf(WM_SETCURSOR, child), 0);
  ASSERT_GE(IndexOf(WM_SETCURSOR, top), 0);
  EXPECT_LT(IndexOf(WM_SETCURSOR, child), IndexOf(WM_SETCURSOR, top));
  EXPECT_EQ(reinterpret_cast<HWND>(Only(WM_SETCURSOR, top)[0].wParam), child);
  EXPECT_LT(IndexOf(WM_SETCURSOR, child), IndexOf(WM_MOUSEMOVE, child));
  const POINT inChild = PointOf(Only(WM_MOUSEMOVE, child).back());
  EXPECT_EQ(inChild.x, 20);
  EXPECT_EQ(inChild.y, 20);

  // Not while the pointer is captured.
  SetCapture(top);
  Log().clear();
  ASSERT_TRUE(Inject(top, 250, 150, Pointer::Move, WM_MOUSEMOVE));
  EXPECT_TRUE(Only(WM_SETCURSOR).empty());
  ReleaseCapture();
}

}  // namespace
}  // namespace conformance
