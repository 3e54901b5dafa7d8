// Input routing: pointer to the window under it or to the capture, keys to
// the focus, the cursor query before each move, and the hotkey registry.
#include "events.h"
#include "layer_fixture.h"

namespace layer_test {
namespace {

class InputTest : public LayerTest {};

int X(LPARAM l) { return static_cast<short>(LOWORD(l)); }
int Y(LPARAM l) { return static_cast<short>(HIWORD(l)); }

TEST_F(InputTest, PointerGoesToTheDeepestVisibleChildWithItsOwnCoordinates) {
  HWND top = CreateTop(100, 100, 320, 400);
  HWND child = CreateChild(top, 20, 30, 100, 50, WS_VISIBLE | WS_BORDER);
  HWND hidden = CreateChild(top, 200, 30, 50, 50, 0);
  Pump();
  Log().clear();
  driver.MoveMouse(top, 25, 40);
  driver.Press(top, 210, 40);
  Pump();
  const auto moves = Only(WM_MOUSEMOVE);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].hwnd, child);
  EXPECT_EQ(X(moves[0].lParam), 4);  // 25 - 20 - 1 px border
  EXPECT_EQ(Y(moves[0].lParam), 9);
  const auto presses = Only(WM_LBUTTONDOWN);
  ASSERT_EQ(presses.size(), 1u);
  EXPECT_EQ(presses[0].hwnd, top);  // the hidden child takes nothing
  EXPECT_EQ(X(presses[0].lParam), 210);
  EXPECT_EQ(presses[0].wParam, static_cast<WPARAM>(MK_LBUTTON));
  (void)hidden;
}

TEST_F(InputTest, CaptureGetsThePointerEverywhereInItsOwnCoordinates) {
  HWND top = CreateTop(100, 100, 320, 400);
  HWND child = CreateChild(top, 20, 30, 100, 50);
  Pump();
  SetCapture(child);
  EXPECT_EQ(driver.CaptureTopLevel(), top);
  Log().clear();
  driver.MoveMouse(top, -40, 500);  // outside the window altogether
  driver.Release(top, 300, 10);
  Pump();
  const auto moves = Only(WM_MOUSEMOVE);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].hwnd, child);
  EXPECT_EQ(X(moves[0].lParam), -60);
  EXPECT_EQ(Y(moves[0].lParam), 470);
  const auto ups = Only(WM_LBUTTONUP);
  ASSERT_EQ(ups.size(), 1u);
  EXPECT_EQ(ups[0].hwnd, child);
  EXPECT_TRUE(Only(WM_SETCURSOR).empty());  // no cursor query under capture
  ReleaseCapture();
  EXPECT_EQ(Only(WM_CAPTURECHANGED).size(), 1u);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(driver.CaptureTopLevel(), nullptr);
}

TEST_F(InputTest, CaptureDecidedWhenTheMessageIsTakenNotWhenItArrived) {
  HWND top = CreateTop(0, 0, 320, 400);
  HWND child = CreateChild(top, 0, 0, 100, 100);
  Pump();
  SetHandler([&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_LBUTTONDOWN && h == top) SetCapture(top);
    return DefWindowProcW(h, m, w, l);
  });
  // Press on the parent, then a move over the child, both queued before
  // either is handled: the move belongs to the capture the press set.
  driver.Press(top, 200, 200);
  driver.MoveMouse(top, 10, 10);
  Log().clear();
  Pump();
  const auto moves = Only(WM_MOUSEMOVE);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].hwnd, top);
  EXPECT_EQ(moves[0].wParam, static_cast<WPARAM>(MK_LBUTTON));
  (void)child;
}

TEST_F(InputTest, CursorQueryComesBeforeEachMoveAndPressAndGoesToTheParentFirst) {
  HWND top = CreateTop();
  Pump();
  Log().clear();
  driver.MoveMouse(top, 5, 6);
  driver.Press(top, 5, 6);
  driver.Release(top, 5, 6);
  Pump();
  const std::vector<UINT> expected = {WM_SETCURSOR, WM_MOUSEMOVE, WM_SETCURSOR, WM_LBUTTONDOWN, WM_LBUTTONUP};
  EXPECT_EQ(Messages({WM_SETFOCUS, WM_KILLFOCUS}), expected);
  const auto queries = Only(WM_SETCURSOR);
  EXPECT_EQ(reinterpret_cast<HWND>(queries[0].wParam), top);
  EXPECT_EQ(LOWORD(queries[0].lParam), HTCLIENT);
  EXPECT_EQ(HIWORD(queries[0].lParam), WM_MOUSEMOVE);
  EXPECT_EQ(HIWORD(queries[1].lParam), WM_LBUTTONDOWN);

  // A child's query is offered to its parent first.
  HWND edit = CreateEdit(top, 10, 10, 100, 24);
  Pump();
  Log().clear();
  driver.MoveMouse(top, 50, 20);
  Pump();
  EXPECT_EQ(driver.Find(top)->cursor, platform::CursorShape::IBeam);  // the EDIT class cursor
  const auto childQueries = Only(WM_SETCURSOR);
  ASSERT_EQ(childQueries.size(), 1u);  // the parent saw the child's query
  EXPECT_EQ(childQueries[0].hwnd, top);
  EXPECT_EQ(reinterpret_cast<HWND>(childQueries[0].wParam), edit);

  // A parent that answers TRUE decides the cursor.
  SetHandler([](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_SETCURSOR) {
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return TRUE;
    }
    return DefWindowProcW(h, m, w, l);
  });
  driver.MoveMouse(top, 51, 20);
  Pump();
  EXPECT_EQ(driver.Find(top)->cursor, platform::CursorShape::Hand);
  SetHandler(nullptr);
  driver.MoveMouse(top, 200, 150);
  Pump();
  EXPECT_EQ(driver.Find(top)->cursor, platform::CursorShape::Arrow);  // no class cursor: the arrow
}

TEST_F(InputTest, MovesInARowAreCoalescedToTheLatest) {
  HWND top = CreateTop();
  Pump();
  Log().clear();
  for (int i = 0; i < 50; ++i) driver.MoveMouse(top, i, i);
  driver.Press(top, 60, 60);
  driver.MoveMouse(top, 70, 70);
  driver.MoveMouse(top, 80, 80);
  Pump();
  const auto moves = Only(WM_MOUSEMOVE);
  ASSERT_EQ(moves.size(), 2u);
  EXPECT_EQ(X(moves[0].lParam), 49);
  EXPECT_EQ(X(moves[1].lParam), 80);
}

TEST_F(InputTest, KeysGoToTheFocusOrElseTheTopLevelWithWindowsKeyData) {
  HWND top = CreateTop();
  HWND child = CreateChild(top, 0, 0, 10, 10);
  Pump();
  Log().clear();
  driver.Key(top, VK_SPACE, true);
  driver.Key(top, VK_SPACE, true, /*repeat=*/true);
  driver.Key(top, VK_SPACE, false);
  driver.Key(top, VK_UP, true);
  Pump();
  auto downs = Only(WM_KEYDOWN);
  ASSERT_EQ(downs.size(), 3u);
  EXPECT_EQ(downs[0].hwnd, top);
  EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>(VK_SPACE));
  EXPECT_EQ(static_cast<DWORD>(downs[0].lParam), 0x00390001u);
  EXPECT_EQ(static_cast<DWORD>(downs[1].lParam), 0x40390001u);  // previous state: down
  EXPECT_EQ(static_cast<DWORD>(downs[2].lParam), 0x01480001u);  // extended
  const auto ups = Only(WM_KEYUP);
  ASSERT_EQ(ups.size(), 1u);
  EXPECT_EQ(static_cast<DWORD>(ups[0].lParam), 0xC0390001u);

  SetFocus(child);
  Log().clear();
  driver.Key(top, 'Q', true);
  driver.Char(top, L'q');
  Pump();
  ASSERT_EQ(Only(WM_KEYDOWN).size(), 1u);
  EXPECT_EQ(Only(WM_KEYDOWN)[0].hwnd, child);
  ASSERT_EQ(Only(WM_CHAR).size(), 1u);
  EXPECT_EQ(Only(WM_CHAR)[0].hwnd, child);
  EXPECT_EQ(Only(WM_CHAR)[0].wParam, static_cast<WPARAM>(L'q'));
}

TEST_F(InputTest, AltAndF10AreSystemKeys) {
  HWND top = CreateTop();
  Pump();
  Log().clear();
  driver.Key(top, VK_MENU, true);
  driver.Key(top, 'K', true, false, /*alt=*/true);
  driver.Key(top, 'K', false, false, true);
  driver.Key(top, VK_MENU, false);
  driver.Key(top, VK_F10, true);
  driver.Key(top, 'K', true);
  Pump();
  const std::vector<UINT> expected = {WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSKEYUP,
                                      WM_SYSKEYUP,   WM_SYSKEYDOWN, WM_KEYDOWN};
  EXPECT_EQ(Messages(), expected);
  EXPECT_TRUE(Log()[1].lParam & (1 << 29));
}

TEST_F(InputTest, KeyStateFollowsTheMessagesTaken) {
  HWND top = CreateTop();
  Pump();
  bool ctrlDownAtA = false;
  SetHandler([&](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_KEYDOWN && w == 'A') ctrlDownAtA = GetKeyState(VK_CONTROL) < 0;
    return DefWindowProcW(h, m, w, l);
  });
  // All queued before any is handled: Ctrl is up by then in the driver,
  // but not yet for the A that was pressed while it was down.
  driver.Key(top, VK_LCONTROL, true);
  driver.Key(top, 'A', true);
  driver.Key(top, 'A', false);
  driver.Key(top, VK_LCONTROL, false);
  Pump();
  EXPECT_TRUE(ctrlDownAtA);
  EXPECT_GE(GetKeyState(VK_CONTROL), 0);
  EXPECT_EQ(Only(WM_KEYDOWN)[0].wParam, static_cast<WPARAM>(VK_CONTROL));  // no left/right in messages
}

TEST_F(InputTest, WheelAndCursorPositionAreInScreenCoordinates) {
  HWND top = CreateTop(100, 100, 320, 400);
  CreateEdit(top, 0, 0, 200, 200);
  Pump();
  Log().clear();
  driver.Wheel(top, -240, 50, 60);
  Pump();
  const auto wheels = Only(WM_MOUSEWHEEL);
  ASSERT_EQ(wheels.size(), 1u);
  EXPECT_EQ(wheels[0].hwnd, top);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheels[0].wParam), -240);
  EXPECT_EQ(X(wheels[0].lParam), 150);
  EXPECT_EQ(Y(wheels[0].lParam), 160);
  // The cursor position comes from the driver, in screen coordinates too.
  driver.MoveMouse(top, 10, 20);
  POINT p{};
  ASSERT_TRUE(GetCursorPos(&p));
  EXPECT_EQ(p.x, 110);
  EXPECT_EQ(p.y, 120);
  ScreenToClient(top, &p);
  EXPECT_EQ(p.x, 10);
}

// A second press soon and near enough is a double click, for a window
// whose class asks for them; any other window sees plain presses.
TEST_F(InputTest, DoubleClicksOnlyForClassesThatAskAndOnlySoonAndNear) {
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = L"DoubleClicker";
  ASSERT_TRUE(RegisterClassW(&wc));
  HWND top = CreateTop(0, 0, 320, 400);
  HWND asks = CreateWindowExW(0, L"DoubleClicker", L"", WS_CHILD | WS_VISIBLE, 10, 10, 100, 100, top, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  Pump();
  const auto pressesTo = [&](HWND hwnd, UINT msg) {
    int n = 0;
    for (const Seen& seen : Only(msg)) n += seen.hwnd == hwnd;
    return n;
  };
  const auto click = [&](int x, int y, int afterMs) {
    driver.AdvanceTime(afterMs);
    driver.Click(top, x, y);
    Pump();
  };

  Log().clear();
  click(50, 50, 1000);
  click(51, 52, 200);  // soon and within two pixels
  EXPECT_EQ(pressesTo(asks, WM_LBUTTONDOWN), 1);
  EXPECT_EQ(pressesTo(asks, WM_LBUTTONDBLCLK), 1);
  click(51, 52, 100);  // a third press starts again
  EXPECT_EQ(pressesTo(asks, WM_LBUTTONDOWN), 2);
  EXPECT_EQ(pressesTo(asks, WM_LBUTTONDBLCLK), 1);

  Log().clear();
  click(50, 50, 1000);
  click(50, 50, 600);  // too late
  click(55, 50, 100);  // too far
  EXPECT_EQ(pressesTo(asks, WM_LBUTTONDOWN), 3);
  EXPECT_EQ(pressesTo(asks, WM_LBUTTONDBLCLK), 0);

  // The top-level's class does not ask: quick clicks stay presses.
  Log().clear();
  click(200, 300, 1000);
  click(200, 300, 50);
  EXPECT_EQ(pressesTo(top, WM_LBUTTONDOWN), 2);
  EXPECT_EQ(pressesTo(top, WM_LBUTTONDBLCLK), 0);

  // A press on another window in between breaks the pair.
  Log().clear();
  click(50, 50, 1000);
  click(200, 300, 50);
  click(50, 50, 50);
  EXPECT_EQ(pressesTo(asks, WM_LBUTTONDBLCLK), 0);
  DestroyWindow(top);
}

TEST_F(InputTest, APressBesideTheEditLeavesTheFocusInIt) {
  HWND top = CreateTop(0, 0, 320, 400);
  HWND edit = CreateEdit(top, 10, 10, 180, 28);
  Pump();
  Log().clear();
  driver.Click(top, 50, 20);
  Pump();
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(driver.FocusedTopLevel(), top);
  ASSERT_EQ(Only(WM_SETFOCUS).size(), 0u);  // the edit box is not a recording window
  // As on Windows: the parent's default handling of the press moves no focus.
  driver.Click(top, 250, 300);
  Pump();
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(Only(WM_SETFOCUS).size(), 0u);
  EXPECT_EQ(Only(WM_KILLFOCUS).size(), 0u);
  // Losing the display's focus takes it from the edit box.
  platform::OnFocusChange(top, false);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(InputTest, HotkeysConflictPerKeyAndReachTheirWindow) {
  HWND top = CreateTop();
  HWND other = CreateTop();
  Pump();
  EXPECT_TRUE(RegisterHotKey(top, 1, 0, '7'));
  EXPECT_TRUE(driver.IsGrabbed('7'));
  EXPECT_FALSE(RegisterHotKey(top, 2, 0, '7'));        // the key is taken
  EXPECT_FALSE(RegisterHotKey(other, 9, 0, '7'));      // by any window
  EXPECT_TRUE(RegisterHotKey(other, 1, 0, VK_SPACE));  // ids are per window
  driver.BlockGrab('C');
  EXPECT_FALSE(RegisterHotKey(top, 4, 0, 'C'));  // another client holds C
  Log().clear();
  driver.Hotkey('7');
  driver.Hotkey(VK_SPACE);
  driver.Hotkey('C');
  Pump();
  const auto hotkeys = Only(WM_HOTKEY);
  ASSERT_EQ(hotkeys.size(), 2u);
  EXPECT_EQ(hotkeys[0].hwnd, top);
  EXPECT_EQ(hotkeys[0].wParam, 1u);
  EXPECT_EQ(HIWORD(hotkeys[0].lParam), '7');
  EXPECT_EQ(LOWORD(hotkeys[0].lParam), 0);
  EXPECT_EQ(hotkeys[1].hwnd, other);

  EXPECT_TRUE(UnregisterHotKey(top, 1));
  EXPECT_FALSE(UnregisterHotKey(top, 1));
  EXPECT_FALSE(driver.IsGrabbed('7'));
  EXPECT_TRUE(RegisterHotKey(top, 2, 0, '7'));
  DestroyWindow(other);  // a window's hotkeys die with it
  EXPECT_FALSE(driver.IsGrabbed(VK_SPACE));
  EXPECT_TRUE(RegisterHotKey(top, 3, 0, VK_SPACE));
  // The same id again keeps both keys; unregistering the id frees both.
  EXPECT_TRUE(RegisterHotKey(top, 3, 0, 'Q'));
  EXPECT_TRUE(driver.IsGrabbed(VK_SPACE));
  EXPECT_TRUE(UnregisterHotKey(top, 3));
  EXPECT_FALSE(driver.IsGrabbed(VK_SPACE));
  EXPECT_FALSE(driver.IsGrabbed('Q'));
}

}  // namespace
}  // namespace layer_test
