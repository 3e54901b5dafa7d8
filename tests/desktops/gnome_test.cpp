// The real Linux binary on Debian's GNOME compositor (mutter 43, headless,
// XWayland; no gnome-shell), run inside that session by run_gnome.sh: the
// overlay above a focused native Wayland window, clicks passing through it
// in overlay mode and taken in interactive mode. Input is real, through
// Mutter's RemoteDesktop interface.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <iostream>
#include <memory>

#include "mutter.h"
#include "panel.h"
#include "session.h"

namespace desktops {
namespace {

using e2e::App;
using e2e::WaitUntil;

size_t Clicks(NativeWindow& game) { return game.Clicks(); }

TEST(GnomeTest, TheOverlayIsAboveAFocusedNativeWindowClickThroughInOverlayModeAndTakesClicksWhenInteractive) {
  sd_bus* bus = nullptr;
  ASSERT_GE(sd_bus_open_user(&bus), 0);
  // Mutter may run this before its RemoteDesktop takes sessions.
  std::unique_ptr<MutterInput> session;
  ASSERT_TRUE(WaitUntil([&] { return (session = std::make_unique<MutterInput>(bus))->Ok(); }, 20s))
      << "no RemoteDesktop session";
  MutterInput& input = *session;

  // The game covers the screen; a click on it gives it the focus. No window
  // list without gnome-shell: the click reaching it says it is there.
  NativeWindow game("game-wayland", {"--size", "1280x1024"});
  constexpr int kFreeX = 1100, kFreeY = 900;  // on the game, clear of the overlay
  ASSERT_TRUE(WaitUntil([&] { return input.Click(kFreeX, kFreeY) && Clicks(game) > 0; }, 20s)) << "no native window";

  App app("linux");
  app.ReadOwnPixels();
  app.WriteFile("splits.txt", "A\r\nB\r\n");
  ASSERT_TRUE(app.Start());
  const e2e::Geometry g = app.geometry();
  ASSERT_TRUE(g.x + g.width < kFreeX && g.y + g.height < kFreeY) << "the overlay lies on the free point";
  size_t clicks = Clicks(game);
  ASSERT_TRUE(input.Click(kFreeX, kFreeY));
  ASSERT_TRUE(WaitUntil([&] { return Clicks(game) > clicks; }, 20s)) << "the game did not get the focus back";

  // Overlay mode: a click on the overlay's Keybinds tab should reach the game.
  // The overlay is an unmanaged window, whose empty input shape XWayland
  // passes on to the compositor only from 24.1; Debian 12 has 22.1, where
  // the click stays with the overlay (which ignores it in overlay mode).
  const int release = XVendorRelease(app.display());
  const bool passesShape = release >= 12401000;
  std::cout << "XWayland vendor release " << release << "\n";
  clicks = Clicks(game);
  input.Click(g.x + e2e::kKeybindsTab.x, g.y + e2e::kKeybindsTab.y);
  // A click beside the overlay comes after it: once that one is in, so is the first.
  ASSERT_TRUE(input.Click(kFreeX, kFreeY));
  ASSERT_TRUE(WaitUntil([&] { return Clicks(game) >= clicks + 1; }));
  app.Quiesce();
  EXPECT_EQ(Clicks(game), clicks + (passesShape ? 2 : 1))
      << (passesShape ? "the click did not pass through the overlay"
                      : "XWayland 22 passed the input shape on after all: the README says it does not");
  EXPECT_EQ(e2e::ActiveTab(app.Capture()), 0) << "the overlay acted on a click in overlay mode";

  // Interactive mode, by the X11 grab of 7 while an X11 window has the focus
  // (mutter alone has no global shortcuts portal).
  Display* dpy = app.display();
  const ::Window x11Window = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 800, 100, 300, 100, 0, 0, 0);
  XWMHints hints{};
  hints.flags = InputHint;
  hints.input = True;
  XSetWMHints(dpy, x11Window, &hints);

  XMapRaised(dpy, x11Window);
  XFlush(dpy);
  XSelectInput(dpy, x11Window, KeyPressMask);
  // Mutter maps a new window under the focused one; asked as a pager would,
  // it raises and focuses it. It has the keyboard once a key typed reaches it.
  ASSERT_TRUE(WaitUntil(
      [&] {
        XEvent activate{};
        activate.xclient.type = ClientMessage;
        activate.xclient.window = x11Window;
        activate.xclient.message_type = XInternAtom(dpy, "_NET_ACTIVE_WINDOW", False);
        activate.xclient.format = 32;
        activate.xclient.data.l[0] = 2;
        XSendEvent(dpy, DefaultRootWindow(dpy), False, SubstructureRedirectMask | SubstructureNotifyMask, &activate);
        XFlush(dpy);
        input.Key(kKeyShift);
        XEvent event;
        return WaitUntil([&] { return XCheckWindowEvent(dpy, x11Window, KeyPressMask, &event) == True; }, 500ms);
      },
      20s))
      << "the X11 window did not get the focus";
  ASSERT_TRUE(input.Key(kKey7));
  EXPECT_TRUE(WaitUntil([&] { return bool(e2e::ModeIs(app.Capture(), true)); }, 20s))
      << "7 did not switch to interactive mode";

  // The game has the focus again, and the overlay above it takes the click.
  clicks = Clicks(game);
  ASSERT_TRUE(input.Click(kFreeX, kFreeY));
  ASSERT_TRUE(WaitUntil([&] { return Clicks(game) > clicks; }, 20s)) << "the game did not get the focus back";
  clicks = Clicks(game);
  EXPECT_TRUE(WaitUntil(
      [&] {
        input.Click(g.x + e2e::kKeybindsTab.x, g.y + e2e::kKeybindsTab.y);
        return WaitUntil([&] { return e2e::ActiveTab(app.Capture()) == 1; }, 1s);
      },
      20s))
      << "the overlay did not take the click";
  EXPECT_EQ(Clicks(game), clicks) << "the click also reached the game";
  sd_bus_flush_close_unref(bus);
}

}  // namespace
}  // namespace desktops
