// The real Linux binary on Debian's KDE Plasma (kwin_wayland with XWayland,
// the real portal frontend and KDE's backend), run inside that session by
// run_kde.sh: real key presses while a native Wayland window has the focus,
// what the desktop keeps across starts and rebinds, and how KWin stacks and
// blends the overlay.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iostream>

#include "kwin.h"
#include "panel.h"

namespace desktops {
namespace {

using e2e::App;
using e2e::WaitUntil;

constexpr const char* kGame = "game-wayland";
constexpr const char* kOverlay = "Brenvik";

class KdeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sd_bus_open_user(&bus_);
    calls_ = new PortalCallCounter;
    kwin_ = new KWin(bus_);
    input_ = new FakeInput;
  }
  static void TearDownTestSuite() {
    delete input_;
    delete kwin_;
    delete calls_;
    sd_bus_flush_close_unref(bus_);
  }

  std::unique_ptr<App> StartBrenvik() {
    auto app = std::make_unique<App>("linux");
    app->ReadOwnPixels();  // XWayland's root shows nothing
    app->WriteFile("splits.txt", "A\r\nB\r\nC\r\nD\r\nE\r\nF\r\n");
    EXPECT_TRUE(app->Start());
    return app;
  }
  // Brenvik over the native game, which has the focus (and is fullscreen).
  std::unique_ptr<App> StartOverTheFocusedGame(bool fullscreen) {
    EXPECT_TRUE(WaitUntil([] { return kwin_->Window(kGame).has_value(); }, 20s)) << "no native window";
    auto app = StartBrenvik();
    EXPECT_TRUE(FocusGame(*app));
    const auto fullscreenNow = [] {
      const auto w = kwin_->Window(kGame);
      return w && w->fullScreen;
    };
    if (fullscreen) {
      EXPECT_TRUE(WaitUntil(fullscreenNow, 20s)) << "the native window is not fullscreen";
    }
    return app;
  }
  // A press on the native window, away from the overlay, gives it the focus.
  ::testing::AssertionResult FocusGame(const App& app) {
    const e2e::Geometry overlay = app.geometry();
    const int x = overlay.x + overlay.width + 100 < 1280 ? overlay.x + overlay.width + 100 : overlay.x - 100;
    if (!input_->Click(x, 900)) return ::testing::AssertionFailure() << "the fake input client did not answer";
    if (WaitUntil([] { return IsActive(kGame); }, 20s)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the native window did not get the focus";
  }
  static bool IsActive(const std::string& caption) {
    const auto w = kwin_->Window(caption);
    return w && w->active;
  }
  ::testing::AssertionResult LineBecomes(const App& app, int want) {
    const int bar = e2e::SeparatorBarTop(app.Capture());
    int line = -2;
    if (WaitUntil([&] { return (line = e2e::GreenBoxLine(app.Capture(), bar)) == want; }, 20s))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the green box is on line " << line << ", not " << want;
  }
  ::testing::AssertionResult ModeBecomes(const App& app, bool interactive) {
    if (WaitUntil([&] { return bool(e2e::ModeIs(app.Capture(), interactive)); }, 20s))
      return ::testing::AssertionSuccess();
    return e2e::ModeIs(app.Capture(), interactive);
  }
  void ClickOn(const App& app, e2e::Point p) {
    const e2e::Geometry g = app.geometry();
    ASSERT_TRUE(input_->Click(g.x + p.x, g.y + p.y));
  }
  ::testing::AssertionResult TabBecomes(const App& app, int tab) {
    if (WaitUntil([&] { return e2e::ActiveTab(app.Capture()) == tab; }, 20s)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "tab " << e2e::ActiveTab(app.Capture()) << " is active, not " << tab;
  }
  // KWin lists the overlay as its active window once it has the keyboard.
  static ::testing::AssertionResult HasTheKeys() {
    if (WaitUntil([] { return IsActive(kOverlay); }, 20s)) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure() << "KWin did not give the overlay the keyboard; its windows:";
    for (const KWinWindow& w : kwin_->Windows())
      failure << " [" << w.caption << (w.active ? " active" : "") << (w.keepAbove ? " above" : "")
              << (w.fullScreen ? " fullscreen" : "") << " layer " << w.layer << "]";
    return failure;
  }
  // The overlay's own pixels are what the screen shows at its place.
  ::testing::AssertionResult ShowsOnScreen(const App& app) {
    const e2e::Geometry g = app.geometry();
    const e2e::Rgb own = app.Pixel(g.width - 5, 45);
    e2e::Rgb shown;
    if (WaitUntil(
            [&] {
              return e2e::Near(shown = kwin_->Screen({g.x + g.width - 5, g.y + 45, 1, 1}).At(0, 0), own, 20);
            },
            20s))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the screen shows " << e2e::ToString(shown) << " where the overlay shows "
                                         << e2e::ToString(own);
  }
  static std::string Components() {
    std::string all;
    for (const std::string& c : kwin_->ShortcutComponents()) all += c + ";";
    return all;
  }
  static int BrenvikComponents() {
    const auto names = kwin_->ShortcutComponents();
    return static_cast<int>(
        std::count_if(names.begin(), names.end(), [](const std::string& n) { return n.find("brenvik") != n.npos; }));
  }
  static size_t KeyCount(NativeWindow& game, const std::string& press) {
    const auto& presses = game.Presses();
    return static_cast<size_t>(std::count(presses.begin(), presses.end(), press));
  }
  static bool GameGot(NativeWindow& game, const std::string& press) {
    const auto& presses = game.Presses();
    return std::find(presses.begin(), presses.end(), press) != presses.end();
  }

  static sd_bus* bus_;
  static PortalCallCounter* calls_;
  static KWin* kwin_;
  static FakeInput* input_;
};

sd_bus* KdeTest::bus_ = nullptr;
PortalCallCounter* KdeTest::calls_ = nullptr;
KWin* KdeTest::kwin_ = nullptr;
FakeInput* KdeTest::input_ = nullptr;

TEST_F(KdeTest, RealKeysSplitCancelAndToggleOverANativeWindowAndTheDesktopIsAskedOnce) {
  ASSERT_TRUE(calls_->Ok()) << "no monitor of the session bus";
  NativeWindow game(kGame, {"--size", "1280x1024"});
  ASSERT_TRUE(WaitUntil([] { return kwin_->Window(kGame).has_value(); }, 20s)) << "no native window";

  auto app = StartBrenvik();
  ASSERT_TRUE(WaitUntil([] { return BrenvikComponents() == 1; }, 20s)) << "components: " << Components();
  std::cout << "kglobalaccel components: " << Components() << "\n";
  ASSERT_TRUE(FocusGame(*app));

  ASSERT_TRUE(input_->Key(kKeySpace));
  EXPECT_TRUE(LineBecomes(*app, 0)) << "Space did not start the run";
  ASSERT_TRUE(input_->Key(kKeySpace));
  EXPECT_TRUE(LineBecomes(*app, 1)) << "Space did not split";
  ASSERT_TRUE(input_->Key(kKeyC));
  EXPECT_TRUE(LineBecomes(*app, -1)) << "C did not cancel";
  ASSERT_TRUE(input_->Key(kKey7));
  EXPECT_TRUE(ModeBecomes(*app, true)) << "7 did not switch to interactive mode";
  ASSERT_TRUE(input_->Key(kKey7));
  EXPECT_TRUE(ModeBecomes(*app, false)) << "7 did not switch back";
  EXPECT_TRUE(IsActive(kGame)) << "the native window lost the focus";
  EXPECT_FALSE(GameGot(game, "key space") || GameGot(game, "key c") || GameGot(game, "key 7"))
      << "the hotkeys also reached the focused window";
  EXPECT_EQ(calls_->Count("BindShortcuts"), 0u) << "Plasma binds at CreateSession; its bind opens its settings";

  // The next start finds its shortcuts where it left them.
  app->Kill();
  app = StartBrenvik();
  ASSERT_TRUE(WaitUntil([] { return calls_->Count("CreateSession") == 2; }, 20s));
  ASSERT_TRUE(FocusGame(*app));
  ASSERT_TRUE(input_->Key(kKeySpace));
  EXPECT_TRUE(LineBecomes(*app, 0)) << "Space did not start the run after a restart";
  ASSERT_TRUE(input_->Key(kKeyC));
  EXPECT_TRUE(LineBecomes(*app, -1));
  EXPECT_EQ(BrenvikComponents(), 1) << "components: " << Components();
  EXPECT_EQ(calls_->Count("BindShortcuts"), 0u);

  // A new split key, captured and saved on the Keybinds panel: the desktop
  // is asked again under the same name. A click in interactive mode makes
  // the overlay a window KWin manages, and KWin gives it the keys at once
  // (until then, a second click would land beneath it).
  ASSERT_TRUE(input_->Key(kKey7));
  ASSERT_TRUE(ModeBecomes(*app, true));
  ClickOn(*app, e2e::kKeybindsTab);
  ASSERT_TRUE(TabBecomes(*app, 1));
  ASSERT_TRUE(HasTheKeys());
  const e2e::Image before = app->Capture();
  ClickOn(*app, e2e::kSplitButton);
  ASSERT_TRUE(WaitUntil([&] { return !(app->Capture().At(160, 143) == before.At(160, 143)); }, 20s))
      << "the split button did not ask for a key";
  ASSERT_TRUE(HasTheKeys());
  ASSERT_TRUE(input_->Key(kKeyQ));
  ClickOn(*app, e2e::kSaveButton);
  EXPECT_TRUE(app->FileBecomes("keybinds.cfg", "cancel=67\r\nsplit=81\r\ntoggle=55\r\n"));
  ASSERT_TRUE(WaitUntil([] { return calls_->Count("CreateSession") == 3; }, 20s)) << "the Save made no new session";
  ClickOn(*app, e2e::kTimerTab);
  ASSERT_TRUE(TabBecomes(*app, 0));
  ASSERT_TRUE(input_->Key(kKey7));
  ASSERT_TRUE(ModeBecomes(*app, false));
  // Plasma 5.27 keeps the key it holds for a shortcut over a new wish (the
  // user changes it in System Settings, Shortcuts): Space still splits, and
  // Q goes to the focused window.
  ASSERT_TRUE(FocusGame(*app));
  ASSERT_TRUE(input_->Key(kKeyQ));
  EXPECT_TRUE(WaitUntil([&] { return GameGot(game, "key q"); }, 20s)) << "Q did not reach the focused window";
  ASSERT_TRUE(input_->Key(kKeySpace));
  EXPECT_TRUE(LineBecomes(*app, 0)) << "Space no longer splits";
  EXPECT_FALSE(GameGot(game, "key space")) << "Space also reached the focused window";
  EXPECT_EQ(BrenvikComponents(), 1) << "components: " << Components();
  EXPECT_EQ(calls_->Count("BindShortcuts"), 0u);
}

TEST_F(KdeTest, TheOverlayShowsAboveTheNativeWindowAt235Of255) {
  NativeWindow game(kGame, {"--size", "1280x1024"});
  auto app = StartOverTheFocusedGame(false);
  ASSERT_FALSE(HasFailure());
  // The overlay is an unmanaged window, in no list of KWin's: its pixels on
  // the screen say that it is above the game, and at what opacity.
  // The composited pixels: the overlay's background blended with the game's.
  const e2e::Geometry g = app->geometry();
  const e2e::Rgb own = app->Pixel(g.width - 5, 45);
  e2e::Rgb beneath, want, shown;
  EXPECT_TRUE(WaitUntil(
      [&] {
        beneath = kwin_->Screen({g.x + g.width + 20, g.y + 45, 1, 1}).At(0, 0);
        want = {(own.r * 235 + beneath.r * 20) / 255, (own.g * 235 + beneath.g * 20) / 255,
                (own.b * 235 + beneath.b * 20) / 255};
        shown = kwin_->Screen({g.x + g.width - 5, g.y + 45, 1, 1}).At(0, 0);
        return e2e::Near(shown, want, 3);
      },
      20s))
      << "shown " << e2e::ToString(shown) << ", want " << e2e::ToString(want) << " (own " << e2e::ToString(own)
      << " over " << e2e::ToString(beneath) << ")";
}

// In overlay mode a click on the overlay should reach the window beneath.
// Over a native window that takes XWayland passing the overlay's empty input
// shape on to KWin, which it does from 24.1; Debian 12 has 22.1, where the
// click stays with the overlay.
TEST_F(KdeTest, AClickOnTheOverlayReachesANativeWindowBeneathOnlyWhereXWaylandPassesTheInputShape) {
  NativeWindow game(kGame, {"--size", "1280x1024"});
  auto app = StartOverTheFocusedGame(false);
  ASSERT_FALSE(HasFailure());
  const auto clicks = [&] { return game.Clicks(); };
  // The press that gave the game the focus is its first.
  ASSERT_TRUE(WaitUntil([&] { return clicks() >= 1; }, 20s));
  const size_t before = clicks();
  ClickOn(*app, e2e::kKeybindsTab);
  // A click beside the overlay comes after it: once that one is in, so is the first.
  ASSERT_TRUE(FocusGame(*app));
  ASSERT_TRUE(WaitUntil([&] { return clicks() >= before + 1; }, 20s));
  const int release = XVendorRelease(app->display());
  const bool passesShape = release >= 12401000;
  std::cout << "XWayland vendor release " << release << "\n";
  EXPECT_EQ(clicks(), before + (passesShape ? 2 : 1))
      << (passesShape ? "the click on the overlay did not reach the native window"
                      : "XWayland 22 passed the input shape on after all: the README says it does not");
  EXPECT_EQ(e2e::ActiveTab(app->Capture()), 0) << "the overlay acted on a click in overlay mode";
}

// KWin puts a focused fullscreen window above keep-above ones; the overlay,
// an unmanaged window, must still show over it.
TEST_F(KdeTest, TheOverlayShowsOverAFocusedFullscreenNativeWindow) {
  NativeWindow game(kGame, {"--fullscreen"});
  auto app = StartOverTheFocusedGame(true);
  ASSERT_FALSE(HasFailure());
  EXPECT_TRUE(ShowsOnScreen(*app));
}

// KWin gives the keyboard only to a window it manages, and puts a focused
// fullscreen window over those: the overlay is managed only from a click in
// interactive mode until the keyboard goes elsewhere.
TEST_F(KdeTest, ANameTypedOverAFullscreenGameIsKeptAndTheOverlayStaysInSight) {
  NativeWindow game(kGame, {"--fullscreen"});
  auto app = StartOverTheFocusedGame(true);
  ASSERT_FALSE(HasFailure());
  EXPECT_TRUE(ShowsOnScreen(*app)) << "over the focused game";

  ASSERT_TRUE(input_->Key(kKey7));
  ASSERT_TRUE(ModeBecomes(*app, true));
  EXPECT_TRUE(ShowsOnScreen(*app)) << "in interactive mode";
  const auto clicked = std::chrono::steady_clock::now();
  ClickOn(*app, e2e::kEditSplitsTab);
  ASSERT_TRUE(HasTheKeys());
  // A figure for docs/desktops.md, not a limit: it moves with the load.
  std::cout << "KWin gave the overlay the keyboard within "
            << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - clicked).count()
            << " ms of the click (polled)\n";
  ASSERT_TRUE(TabBecomes(*app, 2));
  EXPECT_TRUE(ShowsOnScreen(*app)) << "while it holds the keyboard";
  // Managed for now, it still has no taskbar entry and asks for no attention.
  const auto overlay = kwin_->Window(kOverlay);
  ASSERT_TRUE(overlay.has_value());
  EXPECT_TRUE(overlay->keepAbove);
  EXPECT_TRUE(overlay->skipTaskbar);
  EXPECT_FALSE(overlay->demandsAttention);
  const e2e::Box row = e2e::RowBox(0, 0);
  ClickOn(*app, {row.left + 40, row.top + 14});
  ASSERT_TRUE(input_->Key(kKeyEnd));
  ASSERT_TRUE(input_->Key(kKeyBackspace));
  for (char c : std::string("kde")) ASSERT_TRUE(input_->Key(LetterKey(c)));
  ClickOn(*app, e2e::kTimerTab);
  EXPECT_TRUE(app->FileBecomes("splits.txt", "kde\r\nB\r\nC\r\nD\r\nE\r\nF\r\n"));
  EXPECT_FALSE(GameGot(game, "key k")) << "the typed keys reached the game";

  // A click on the game gives it the keys, and the overlay stays over it.
  ASSERT_TRUE(FocusGame(*app));
  EXPECT_TRUE(ShowsOnScreen(*app)) << "once the game had the keys back";
  ASSERT_TRUE(input_->Key(kKeyQ));
  EXPECT_TRUE(WaitUntil([&] { return KeyCount(game, "key q") == 1; }, 20s)) << "Q did not reach the game";

  // Again, and back to overlay mode while the overlay holds the keys: it
  // stays in sight, and the game has the keys again.
  ClickOn(*app, e2e::kEditSplitsTab);
  ASSERT_TRUE(TabBecomes(*app, 2));
  ASSERT_TRUE(HasTheKeys()) << "the second time";
  ClickOn(*app, {row.left + 40, row.top + 14});
  ASSERT_TRUE(input_->Key(kKeyEnd));
  ASSERT_TRUE(input_->Key(LetterKey('x')));
  ClickOn(*app, e2e::kTimerTab);
  EXPECT_TRUE(app->FileBecomes("splits.txt", "kdex\r\nB\r\nC\r\nD\r\nE\r\nF\r\n"));
  ASSERT_TRUE(input_->Key(kKey7));
  ASSERT_TRUE(ModeBecomes(*app, false));
  EXPECT_TRUE(ShowsOnScreen(*app)) << "back in overlay mode";
  EXPECT_TRUE(WaitUntil([] { return IsActive(kGame); }, 20s)) << "the game did not get the keys back";
  ASSERT_TRUE(input_->Key(kKeyQ));
  EXPECT_TRUE(WaitUntil([&] { return KeyCount(game, "key q") == 2; }, 20s)) << "Q did not reach the game";
  EXPECT_FALSE(GameGot(game, "key x")) << "a key typed into the overlay reached the game";
}

// A drag moves the overlay by the pointer's exact travel, unmanaged (the
// first, which hands it to KWin on release) and managed (the second).
TEST_F(KdeTest, ADragOverAFullscreenGameMovesTheOverlayByThePointersTravel) {
  NativeWindow game(kGame, {"--fullscreen"});
  auto app = StartOverTheFocusedGame(true);
  ASSERT_FALSE(HasFailure());
  ASSERT_TRUE(input_->Key(kKey7));
  ASSERT_TRUE(ModeBecomes(*app, true));
  auto drag = [&](int x, int y, int dx, int dy) {
    const e2e::Geometry g = app->geometry();
    ASSERT_TRUE(input_->Press(g.x + x, g.y + y));
    // The drag starts where the pointer is when the press is handled.
    app->Quiesce();
    for (int i = 1; i <= 10; ++i) ASSERT_TRUE(input_->MoveTo(g.x + x + dx * i / 10, g.y + y + dy * i / 10));
    ASSERT_TRUE(input_->Release());
    // Exact on an X server (the window-manager suite holds that). Through
    // KWin and XWayland one run on an overloaded machine ended a pixel off,
    // unexplained so far: a pixel is let pass, and printed.
    e2e::Geometry now;
    EXPECT_TRUE(WaitUntil(
        [&] {
          now = app->geometry();
          return std::abs(now.x - (g.x + dx)) <= 1 && std::abs(now.y - (g.y + dy)) <= 1 && now.width == g.width &&
                 now.height == g.height;
        },
        20s))
        << "the window is at " << now.x << "," << now.y << ", not " << g.x + dx << "," << g.y + dy;
    if (now.x != g.x + dx || now.y != g.y + dy) std::cout << "the drag ended a pixel off\n";
  };
  drag(300, 250, 60, 40);
  ASSERT_TRUE(HasTheKeys());
  drag(20, 300, -80, -70);
  const e2e::Geometry g = app->geometry();
  const auto frame = kwin_->Window(kOverlay);
  ASSERT_TRUE(frame.has_value()) << "KWin does not manage the overlay";
  EXPECT_EQ(frame->frame.x, g.x);
  EXPECT_EQ(frame->frame.y, g.y);
  EXPECT_EQ(frame->frame.width, g.width) << "KWin framed the overlay";
  EXPECT_TRUE(ShowsOnScreen(*app)) << "after the drags";
  EXPECT_EQ(game.Clicks(), 1u) << "a press of the drags reached the game";
}

}  // namespace
}  // namespace desktops
