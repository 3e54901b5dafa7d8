// The real Linux binary on Debian's GNOME compositor (mutter 43, headless,
// XWayland; no gnome-shell), run inside that session by run_gnome.sh: the
// overlay above a focused native Wayland window, fullscreen or not, clicks
// passing through it in overlay mode, and clicks and typed keys taken in
// interactive mode. Input is real, through Mutter's RemoteDesktop interface.
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

constexpr int kFreeX = 1100, kFreeY = 900;  // on the game, clear of the overlay

class GnomeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GE(sd_bus_open_user(&bus_), 0);
    // Mutter may run this before its RemoteDesktop takes sessions.
    ASSERT_TRUE(WaitUntil([&] { return (input_ = std::make_unique<MutterInput>(bus_))->Ok(); }, 20s))
        << "no RemoteDesktop session";
  }
  void TearDown() override {
    input_.reset();
    sd_bus_flush_close_unref(bus_);
  }

  // The game covers the screen; a click on it gives it the focus. No window
  // list without gnome-shell: the click reaching it says it is there.
  void StartGameAndBrenvik(const std::vector<std::string>& gameOptions) {
    game_ = std::make_unique<NativeWindow>("game-wayland", gameOptions);
    ASSERT_TRUE(WaitUntil([&] { return input_->Click(kFreeX, kFreeY) && game_->Clicks() > 0; }, 20s))
        << "no native window";
    app_ = std::make_unique<App>("linux");
    app_->ReadOwnPixels();
    app_->WriteFile("splits.txt", "A\r\nB\r\n");
    ASSERT_TRUE(app_->Start());
    const e2e::Geometry g = app_->geometry();
    ASSERT_TRUE(g.x + g.width < kFreeX && g.y + g.height < kFreeY) << "the overlay lies on the free point";
    ASSERT_TRUE(FocusGame());
  }
  ::testing::AssertionResult FocusGame() {
    const size_t clicks = game_->Clicks();
    if (!input_->Click(kFreeX, kFreeY)) return ::testing::AssertionFailure() << "RemoteDesktop took no click";
    if (WaitUntil([&] { return game_->Clicks() > clicks; }, 20s)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the game did not get the click";
  }
  bool ClickOverlay(e2e::Point p) {
    const e2e::Geometry g = app_->geometry();
    return input_->Click(g.x + p.x, g.y + p.y);
  }
  // Clicks the point until the overlay shows the tab: a click may come
  // before Mutter has placed the overlay's new input region.
  ::testing::AssertionResult OpenTab(e2e::Point p, int tab) {
    if (WaitUntil(
            [&] { return ClickOverlay(p) && WaitUntil([&] { return e2e::ActiveTab(app_->Capture()) == tab; }, 1s); },
            20s))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the overlay did not take the click on tab " << tab;
  }
  // Interactive mode, by the X11 grab of 7 while an X11 window has the focus
  // (mutter alone has no global shortcuts portal).
  void ToInteractiveMode() {
    Display* dpy = app_->display();
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
          input_->Key(kKeyShift);
          XEvent event;
          return WaitUntil([&] { return XCheckWindowEvent(dpy, x11Window, KeyPressMask, &event) == True; }, 500ms);
        },
        20s))
        << "the X11 window did not get the focus";
    ASSERT_TRUE(input_->Key(kKey7));
    ASSERT_TRUE(WaitUntil([&] { return bool(e2e::ModeIs(app_->Capture(), true)); }, 20s))
        << "7 did not switch to interactive mode";
    XDestroyWindow(dpy, x11Window);
    XFlush(dpy);
  }

  sd_bus* bus_ = nullptr;
  std::unique_ptr<MutterInput> input_;
  std::unique_ptr<NativeWindow> game_;
  std::unique_ptr<App> app_;
};

TEST_F(GnomeTest, ClicksPassThroughTheOverlayToANativeWindowAndAreTakenWhenInteractive) {
  ASSERT_NO_FATAL_FAILURE(StartGameAndBrenvik({"--size", "1280x1024"}));
  // Overlay mode: a click on the overlay's Keybinds tab reaches the game.
  // The overlay is a window Mutter manages, whose input shape it applies
  // whatever XWayland passes on.
  std::cout << "XWayland vendor release " << XVendorRelease(app_->display()) << "\n";
  size_t clicks = game_->Clicks();
  ClickOverlay(e2e::kKeybindsTab);
  // A click beside the overlay comes after it: once that one is in, so is the first.
  ASSERT_TRUE(FocusGame());
  app_->Quiesce();
  EXPECT_EQ(game_->Clicks(), clicks + 2) << "the click did not pass through the overlay";
  EXPECT_EQ(e2e::ActiveTab(app_->Capture()), 0) << "the overlay acted on a click in overlay mode";

  // Interactive mode: the game has the focus again, and the overlay above
  // it takes the click.
  ASSERT_NO_FATAL_FAILURE(ToInteractiveMode());
  ASSERT_TRUE(FocusGame());
  clicks = game_->Clicks();
  EXPECT_TRUE(OpenTab(e2e::kKeybindsTab, 1));
  EXPECT_EQ(game_->Clicks(), clicks) << "the click also reached the game";
}

// A focused fullscreen game: the overlay stays above it (a click on it
// reaches the overlay, not the game), and a name typed into it is kept.
TEST_F(GnomeTest, OverAFocusedFullscreenGameTheOverlayTakesClicksAndTypedKeys) {
  ASSERT_NO_FATAL_FAILURE(StartGameAndBrenvik({"--fullscreen"}));
  ASSERT_NO_FATAL_FAILURE(ToInteractiveMode());
  ASSERT_TRUE(FocusGame());
  const size_t clicks = game_->Clicks();
  ASSERT_TRUE(OpenTab(e2e::kEditSplitsTab, 2));
  EXPECT_EQ(game_->Clicks(), clicks) << "the focused fullscreen game took a click meant for the overlay";

  const e2e::Box row = e2e::RowBox(0, 0);
  ASSERT_TRUE(ClickOverlay({row.left + 40, row.top + 14}));
  ASSERT_TRUE(input_->Key(kKeyEnd));
  ASSERT_TRUE(input_->Key(kKeyBackspace));
  for (char c : std::string("gnome")) ASSERT_TRUE(input_->Key(LetterKey(c)));
  ASSERT_TRUE(ClickOverlay(e2e::kTimerTab));
  EXPECT_TRUE(app_->FileBecomes("splits.txt", "gnome\r\nB\r\n"));
  const auto& presses = game_->Presses();
  EXPECT_EQ(std::find(presses.begin(), presses.end(), "key g"), presses.end()) << "the typed keys reached the game";

  // A click on the game gives it the keys back.
  ASSERT_TRUE(FocusGame());
  ASSERT_TRUE(input_->Key(kKeyQ));
  EXPECT_TRUE(WaitUntil(
      [&] {
        const auto& now = game_->Presses();
        return std::find(now.begin(), now.end(), "key q") != now.end();
      },
      20s))
      << "Q did not reach the game";
}

}  // namespace
}  // namespace desktops
