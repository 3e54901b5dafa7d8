// Keys, typed text and the pointer, from the server to the window model.
#include "second_client.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <X11/extensions/XTest.h>

namespace x11test {
namespace {

class InputTest : public DriverTest {
 protected:
  HWND FocusedOverlay() {
    const HWND hwnd = ShowOverlay();
    driver->FocusTopLevel(hwnd);
    XSync(driver->display(), False);
    Pump(*driver, 50);
    Events().clear();
    return hwnd;
  }
  void TapAndWait(KeySym sym, size_t keys) {
    other->Tap(sym);
    ASSERT_TRUE(PumpUntil(*driver, [&] { return EventsOf(Got::Key).size() >= keys; })) << XKeysymToString(sym);
  }
  std::wstring Typed() {
    std::wstring text;
    for (const Event& e : EventsOf(Got::Char)) text += e.ch;
    return text;
  }
};

TEST_F(InputTest, KeysArriveWithWindowsCodesAndTypedCharacters) {
  const HWND hwnd = FocusedOverlay();
  TapAndWait(XK_q, 2);
  auto keys = EventsOf(Got::Key);
  EXPECT_EQ(keys[0].hwnd, hwnd);
  EXPECT_EQ(keys[0].vk, static_cast<UINT>('Q'));
  EXPECT_EQ(keys[0].scan, 0x10u);
  EXPECT_TRUE(keys[0].down);
  EXPECT_FALSE(keys[0].repeat);
  EXPECT_FALSE(keys[0].alt);
  EXPECT_FALSE(keys[1].down);
  EXPECT_EQ(Typed(), L"q");

  // Shift gives the capital letter; arrows are extended and type nothing.
  Events().clear();
  other->Key(XK_Shift_L, true);
  TapAndWait(XK_a, 3);
  other->Key(XK_Shift_L, false);
  TapAndWait(XK_Up, 6);
  keys = EventsOf(Got::Key);
  EXPECT_EQ(keys[0].vk, static_cast<UINT>(VK_SHIFT));
  EXPECT_EQ(keys[4].vk, static_cast<UINT>(VK_UP));
  EXPECT_EQ(keys[4].scan, 0x48u);
  EXPECT_TRUE(keys[4].extended);
  EXPECT_EQ(Typed(), L"A");

  // Backspace is a key for the edit box, not a typed character.
  Events().clear();
  TapAndWait(XK_BackSpace, 2);
  EXPECT_EQ(EventsOf(Got::Key)[0].vk, static_cast<UINT>(VK_BACK));
  EXPECT_EQ(Typed(), L"");
}

TEST_F(InputTest, AltAndF10AreSystemKeysAndTypeNothing) {
  FocusedOverlay();
  other->Key(XK_Alt_L, true);
  TapAndWait(XK_x, 3);
  other->Key(XK_Alt_L, false);
  TapAndWait(XK_F10, 6);
  const auto keys = EventsOf(Got::Key);
  EXPECT_EQ(keys[0].vk, static_cast<UINT>(VK_MENU));
  EXPECT_TRUE(keys[0].alt);
  EXPECT_EQ(keys[1].vk, static_cast<UINT>('X'));
  EXPECT_TRUE(keys[1].alt);
  EXPECT_EQ(keys[4].vk, static_cast<UINT>(VK_F10));
  EXPECT_TRUE(keys[4].alt);
  EXPECT_EQ(Typed(), L"");
  // Ctrl+A selects, it types no character.
  Events().clear();
  other->Key(XK_Control_L, true);
  TapAndWait(XK_a, 3);
  other->Key(XK_Control_L, false);
  EXPECT_EQ(Typed(), L"");
}

TEST_F(InputTest, KeypadKeysFollowNumLock) {
  FocusedOverlay();
  other->SetNumLock(true);
  TapAndWait(XK_KP_Home, 2);  // the key with 7 and Home on it
  other->SetNumLock(false);
  TapAndWait(XK_KP_Home, 4);
  const auto keys = EventsOf(Got::Key);
  EXPECT_EQ(keys[0].vk, static_cast<UINT>(VK_NUMPAD0 + 7));
  EXPECT_EQ(keys[2].vk, static_cast<UINT>(VK_HOME));
  EXPECT_FALSE(keys[2].extended);  // not the Home key of the navigation block
  EXPECT_EQ(Typed(), L"7");
}

TEST_F(InputTest, NonAsciiCharactersAreTypedThroughTheInputMethod) {
  FocusedOverlay();
  // Put two characters of other alphabets on unused keycodes, as a layout would.
  Display* d = other->dpy();
  int minCode = 0, maxCode = 0, perCode = 0;
  XDisplayKeycodes(d, &minCode, &maxCode);
  KeySym* map = XGetKeyboardMapping(d, minCode, maxCode - minCode + 1, &perCode);
  std::vector<int> spare;
  for (int code = maxCode; code >= minCode && spare.size() < 2; --code) {
    bool empty = true;
    for (int k = 0; k < perCode; ++k) empty = empty && map[(code - minCode) * perCode + k] == NoSymbol;
    if (empty) spare.push_back(code);
  }
  XFree(map);
  ASSERT_EQ(spare.size(), 2u);
  KeySym eacute = XK_eacute, zhe = 0x1000436;  // é, and ж as a Unicode keysym
  XChangeKeyboardMapping(d, spare[0], 1, &eacute, 1);
  XChangeKeyboardMapping(d, spare[1], 1, &zhe, 1);
  XSync(d, False);
  Pump(*driver, 100);  // the mapping change reaches the driver
  for (int code : spare) {
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
  }
  XSync(d, False);
  EXPECT_TRUE(PumpUntil(*driver, [&] { return Typed().size() >= 2; }));
  EXPECT_EQ(Typed(), L"\u00e9\u0436");
  KeySym none = NoSymbol;
  XChangeKeyboardMapping(d, spare[0], 1, &none, 1);
  XChangeKeyboardMapping(d, spare[1], 1, &none, 1);
  XSync(d, False);
}

TEST_F(InputTest, HeldKeysRepeatAsPressesWithoutReleases) {
  FocusedOverlay();
  other->Key(XK_Left, true);
  Pump(*driver, 1000);  // held this long: the server repeats it
  other->Key(XK_Left, false);
  ASSERT_TRUE(PumpUntil(*driver, [] { return !EventsOf(Got::Key).back().down; }));
  const auto keys = EventsOf(Got::Key);
  ASSERT_GE(keys.size(), 3u) << "no auto-repeat from the server";
  EXPECT_FALSE(keys[0].repeat);
  for (size_t i = 1; i + 1 < keys.size(); ++i) {
    EXPECT_TRUE(keys[i].down);
    EXPECT_TRUE(keys[i].repeat);
  }
}

TEST_F(InputTest, PointerMovesButtonsAndWheelInClientCoordinates) {
  const HWND hwnd = ShowOverlay();
  other->MovePointer(110, 130);
  ASSERT_TRUE(PumpUntil(*driver, [] { return !EventsOf(Got::Move).empty(); }));
  EXPECT_EQ(EventsOf(Got::Move).back().hwnd, hwnd);
  EXPECT_EQ(EventsOf(Got::Move).back().x, 10);
  EXPECT_EQ(EventsOf(Got::Move).back().y, 30);
  other->Button(4, true);
  other->Button(4, false);
  other->Button(5, true);
  other->Button(5, false);
  ASSERT_TRUE(PumpUntil(*driver, [] { return EventsOf(Got::Wheel).size() == 2; }));
  EXPECT_EQ(EventsOf(Got::Wheel)[0].delta, 120);
  EXPECT_EQ(EventsOf(Got::Wheel)[1].delta, -120);
  EXPECT_EQ(EventsOf(Got::Wheel)[1].y, 30);
  EXPECT_TRUE(EventsOf(Got::Button).empty());  // the wheel is no left button

  other->MovePointer(321, 222);
  const POINT p = driver->CursorPos();
  EXPECT_EQ(p.x, 321);
  EXPECT_EQ(p.y, 222);
}

// A drag: with the capture, moves and the release outside the window still
// reach it; without, they do not.
TEST_F(InputTest, CaptureKeepsThePointerOutsideTheWindow) {
  const HWND hwnd = ShowOverlay();
  other->MovePointer(150, 150);
  driver->SetCapture(hwnd);
  XSync(driver->display(), False);
  other->MovePointer(20, 30);
  ASSERT_TRUE(PumpUntil(*driver, [] {
    const auto moves = EventsOf(Got::Move);
    return !moves.empty() && moves.back().x == -80;
  }));
  EXPECT_EQ(EventsOf(Got::Move).back().y, -70);
  other->Button(1, true);
  other->Button(1, false);
  ASSERT_TRUE(PumpUntil(*driver, [] { return EventsOf(Got::Button).size() == 2; }));
  EXPECT_FALSE(EventsOf(Got::Button)[1].down);
  EXPECT_EQ(EventsOf(Got::Button)[1].x, -80);

  driver->SetCapture(nullptr);
  XSync(driver->display(), False);
  Events().clear();
  other->MovePointer(25, 35);
  Pump(*driver, 100);
  EXPECT_TRUE(EventsOf(Got::Move).empty());
}

// As on Windows, a click activates the window: the keys that follow are its
// own (a key captured on the Keybinds panel), not the game's.
TEST_F(InputTest, APressOnTheWindowTakesTheKeyboard) {
  const Window game = other->MapWindow(600, 600, 50, 50, 0);
  const HWND hwnd = ShowOverlay();
  other->Focus(game);
  other->MovePointer(700, 700);  // keys must not merely follow the pointer
  Pump(*driver, 50);
  other->Click(150, 150);
  ASSERT_TRUE(PumpUntil(*driver, [] { return EventsOf(Got::Button).size() == 2; }));
  XSync(driver->display(), False);
  Window focused = None;
  int revert = 0;
  XGetInputFocus(other->dpy(), &focused, &revert);
  EXPECT_EQ(focused, driver->XWindowOf(hwnd));
  other->MovePointer(700, 700);
  other->Tap(XK_q);
  ASSERT_TRUE(PumpUntil(*driver, [] { return !EventsOf(Got::Key).empty(); }));
  EXPECT_EQ(EventsOf(Got::Key)[0].vk, static_cast<UINT>('Q'));

  // No manager gives an unmanaged window's keyboard back: a press anywhere
  // else does, and so does a switch to overlay mode.
  auto focusIs = [&](Window w) {
    return PumpUntil(
        *driver,
        [&] {
          Window now = None;
          int how = 0;
          XGetInputFocus(other->dpy(), &now, &how);
          return now == w;
        },
        20000);
  };
  other->Click(620, 620);
  EXPECT_TRUE(focusIs(game)) << "a press on the game left the keyboard with the overlay";
  other->Click(150, 150);
  EXPECT_TRUE(focusIs(driver->XWindowOf(hwnd)));
  driver->SetClickThrough(hwnd, true);
  EXPECT_TRUE(focusIs(game)) << "overlay mode kept the keyboard";
}

TEST_F(InputTest, FocusChangesAreReportedButNotTheBriefOnesOfAKeyGrab) {
  const HWND hwnd = ShowOverlay();
  ASSERT_TRUE(driver->GrabHotkey(1, VK_SPACE));
  driver->FocusTopLevel(hwnd);
  ASSERT_TRUE(PumpUntil(*driver, [] { return !EventsOf(Got::Focus).empty(); }));
  EXPECT_TRUE(EventsOf(Got::Focus)[0].down);
  Events().clear();
  // A hotkey pressed while an edit box has the keyboard: the grab takes the
  // keyboard for a moment, the box keeps the focus.
  other->Tap(XK_space);
  ASSERT_TRUE(PumpUntil(*driver, [] { return !EventsOf(Got::Hotkey).empty(); }));
  Pump(*driver, 50);
  EXPECT_TRUE(EventsOf(Got::Focus).empty());
  EXPECT_TRUE(EventsOf(Got::Key).empty());  // a grabbed key is only a hotkey

  const Window game = other->MapWindow(600, 600, 50, 50, 0);
  other->Focus(game);
  ASSERT_TRUE(PumpUntil(*driver, [] { return !EventsOf(Got::Focus).empty(); }));
  EXPECT_FALSE(EventsOf(Got::Focus)[0].down);
}

}  // namespace
}  // namespace x11test
