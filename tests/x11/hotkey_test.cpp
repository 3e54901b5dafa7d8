// Bare-key hotkeys grabbed on the root window, whoever has the focus.
#include "second_client.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>

#include <map>

namespace x11test {
namespace {

class HotkeyTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    if (HasFatalFailure()) return;
    ShowOverlay();
    // The player is in the game: another client's window has the keyboard.
    other->Focus(other->MapWindow(0, 0, 60, 60, KeyPressMask));
  }
  void TearDown() override {
    if (other) {
      other->SetNumLock(false);
      for (auto& [keycode, syms] : remapped_)
        XChangeKeyboardMapping(other->dpy(), keycode, static_cast<int>(syms.size()), syms.data(), 1);
      XSync(other->dpy(), False);
    }
    DriverTest::TearDown();
  }
  // Changes the keymap as a layout switch does; the old one comes back at the end.
  void SetKeysym(int keycode, KeySym sym) {
    if (!remapped_.count(keycode)) {
      int perKeycode = 0;
      KeySym* old = XGetKeyboardMapping(other->dpy(), static_cast<KeyCode>(keycode), 1, &perKeycode);
      remapped_[keycode].assign(old, old + perKeycode);
      XFree(old);
    }
    XChangeKeyboardMapping(other->dpy(), keycode, 1, &sym, 1);
    XSync(other->dpy(), False);
  }
  int UnusedKeycode() {
    int low = 0, high = 0;
    XDisplayKeycodes(other->dpy(), &low, &high);
    for (int k = high; k >= low; --k)
      if (XkbKeycodeToKeysym(other->dpy(), k, 0, 0) == NoSymbol) return k;
    return 0;
  }
  void TapKeycode(int keycode) {
    XTestFakeKeyEvent(other->dpy(), keycode, True, CurrentTime);
    XTestFakeKeyEvent(other->dpy(), keycode, False, CurrentTime);
    XSync(other->dpy(), False);
  }
  std::map<int, std::vector<KeySym>> remapped_;
  size_t Hotkeys(UINT vk) {
    size_t n = 0;
    for (const Event& e : EventsOf(Got::Hotkey)) n += e.vk == vk;
    return n;
  }
};

TEST_F(HotkeyTest, BareKeysFireWhateverHasTheFocusAndWhateverTheLocks) {
  ASSERT_TRUE(driver->GrabHotkey(1, '7'));
  ASSERT_TRUE(driver->GrabHotkey(1, VK_SPACE));
  other->Tap(XK_7);
  ASSERT_TRUE(PumpUntil(*driver, [&] { return Hotkeys('7') == 1; }));
  other->SetNumLock(true);
  other->Tap(XK_space);
  ASSERT_TRUE(PumpUntil(*driver, [&] { return Hotkeys(VK_SPACE) == 1; }));
  other->Key(XK_Caps_Lock, true);  // CapsLock on as well
  other->Key(XK_Caps_Lock, false);
  other->Tap(XK_7);
  ASSERT_TRUE(PumpUntil(*driver, [&] { return Hotkeys('7') == 2; }));
  other->Tap(XK_Caps_Lock);
  Pump(*driver, 50);
  EXPECT_EQ(EventsOf(Got::Hotkey).size(), 3u);  // one per press, none per release
  EXPECT_TRUE(EventsOf(Got::Key).empty());
}

TEST_F(HotkeyTest, NotWithShiftControlAltOrSuperHeld) {
  ASSERT_TRUE(driver->GrabHotkey(1, 'C'));
  for (KeySym modifier : {XK_Shift_L, XK_Control_L, XK_Alt_L, XK_Super_L}) {
    other->Key(modifier, true);
    other->Tap(XK_c);
    other->Key(modifier, false);
  }
  Pump(*driver, 150);
  EXPECT_EQ(Hotkeys('C'), 0u);
  other->Tap(XK_c);
  ASSERT_TRUE(PumpUntil(*driver, [&] { return Hotkeys('C') == 1; }));
}

TEST_F(HotkeyTest, HoldingAKeyRepeatsTheHotkey) {
  ASSERT_TRUE(driver->GrabHotkey(1, VK_SPACE));
  other->Key(XK_space, true);
  Pump(*driver, 1000);  // held this long: the server repeats it
  other->Key(XK_space, false);
  Pump(*driver, 50);
  EXPECT_GE(Hotkeys(VK_SPACE), 3u);
}

TEST_F(HotkeyTest, AKeyHeldByAnotherClientFailsAndLeavesNothingBehind) {
  OtherClient holder;
  // The other client holds C only with NumLock on: we get some of the lock
  // combinations before the refusal, and must give them back.
  const unsigned numLock = XkbKeysymToModifiers(holder.dpy(), XK_Num_Lock);
  ASSERT_NE(numLock, 0u);
  ASSERT_TRUE(holder.GrabKey(XK_c, numLock));
  EXPECT_FALSE(driver->GrabHotkey(1, 'C'));
  OtherClient third;
  EXPECT_TRUE(third.GrabKey(XK_c, 0));
  EXPECT_TRUE(third.GrabKey(XK_c, LockMask));

  // The others still work.
  ASSERT_TRUE(driver->GrabHotkey(1, '7'));
  other->Tap(XK_7);
  ASSERT_TRUE(PumpUntil(*driver, [&] { return Hotkeys('7') == 1; }));
  EXPECT_EQ(Hotkeys('C'), 0u);
}

// A press read off the connection while the driver waited for a reply
// (here: the pointer position) must still be handed over.
TEST_F(HotkeyTest, APressReadDuringARoundTripIsNotLeftWaiting) {
  ASSERT_TRUE(driver->GrabHotkey(1, VK_SPACE));
  Pump(*driver, 20);
  other->Tap(XK_space);
  // The press waits on the connection when the round trip starts.
  pollfd fd{ConnectionNumber(driver->display()), POLLIN, 0};
  ASSERT_TRUE(testwait::WaitUntil([&] { return poll(&fd, 1, 0) == 1; }));
  driver->CursorPos();
  EXPECT_TRUE(PumpUntil(*driver, [&] { return Hotkeys(VK_SPACE) == 1; }));
}

TEST_F(HotkeyTest, AKeyRegisteredTwiceOrUngrabbedIsFreeAgainForOthers) {
  ASSERT_TRUE(driver->GrabHotkey(1, '7'));
  EXPECT_FALSE(driver->GrabHotkey(1, '7'));
  // Keypad 5 and Clear share a key: the second of them cannot have it.
  ASSERT_TRUE(driver->GrabHotkey(1, VK_NUMPAD0 + 5));
  EXPECT_FALSE(driver->GrabHotkey(1, VK_CLEAR));
  EXPECT_TRUE(driver->GrabHotkey(1, VK_HOME));  // its own key, not keypad 7
  OtherClient third;
  EXPECT_FALSE(third.GrabKey(XK_7, 0));
  driver->UngrabHotkey('7');
  EXPECT_TRUE(third.GrabKey(XK_7, 0));
  EXPECT_TRUE(third.GrabKey(XK_7, LockMask));
  other->Tap(XK_7);
  Pump(*driver, 100);
  EXPECT_EQ(Hotkeys('7'), 0u);
  EXPECT_FALSE(driver->GrabHotkey(1, 0xFF));  // no key gives it
}

TEST_F(HotkeyTest, AKeyMovedToAnotherKeycodeByANewKeymapIsGrabbedThere) {
  ASSERT_TRUE(driver->GrabHotkey(1, VK_SPACE));
  const int before = XKeysymToKeycode(other->dpy(), XK_space);
  const int after = UnusedKeycode();
  ASSERT_NE(after, 0);
  SetKeysym(after, XK_space);
  SetKeysym(before, XK_F20);
  Pump(*driver, 100);
  TapKeycode(after);
  ASSERT_TRUE(PumpUntil(*driver, [&] { return Hotkeys(VK_SPACE) == 1; }));
  // The old keycode is another key now, and free for other clients.
  TapKeycode(before);
  Pump(*driver, 100);
  EXPECT_EQ(Hotkeys(VK_SPACE), 1u);
  OtherClient third;
  EXPECT_TRUE(third.GrabKey(XK_F20, 0));
}

TEST_F(HotkeyTest, AKeyAKeymapTookAwayComesBackWithTheNextKeymap) {
  ASSERT_TRUE(driver->GrabHotkey(1, 'C'));
  const int keycode = XKeysymToKeycode(other->dpy(), XK_c);
  SetKeysym(keycode, NoSymbol);
  Pump(*driver, 100);
  TapKeycode(keycode);
  Pump(*driver, 100);
  EXPECT_EQ(Hotkeys('C'), 0u);
  SetKeysym(keycode, XK_c);
  Pump(*driver, 100);
  TapKeycode(keycode);
  ASSERT_TRUE(PumpUntil(*driver, [&] { return Hotkeys('C') == 1; }));
  // Still registered as ever: it cannot be registered twice.
  EXPECT_FALSE(driver->GrabHotkey(1, 'C'));
}

}  // namespace
}  // namespace x11test
