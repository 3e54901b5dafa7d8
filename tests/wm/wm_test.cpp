// The Linux build under a real window manager, beside a game window that has
// the focus: where the overlay lands, that it has no frame and stays above
// the game, that clicks pass through it in overlay mode only, that the
// hotkeys work while the game has the keyboard, dragging, typing a split
// name, and that it never asks for attention; then the same overlay over a
// focused fullscreen game. scripts/wm-suite.sh starts the X server and the
// manager.
#include "panel.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#ifndef BRENVIK_GAME_WINDOW
#define BRENVIK_GAME_WINDOW "wm_game_window"
#endif

namespace e2e {
namespace {

namespace fs = std::filesystem;

constexpr Geometry kHome{100, 100, 320, 373};
// The game covers the left part of the overlay's place, as a game in a
// window does; the desktop lies beneath the rest.
constexpr Geometry kGame{0, 0, 300, 700};
// Screen points over the overlay's Timer panel background, clear of tabs:
// one over the game, one over the desktop.
constexpr Point kOverOverlay{250, 300};
constexpr Point kBesideTheGame{400, 300};
// The screen of the suite's X server, and a point on it far from the overlay.
constexpr Geometry kScreen{0, 0, 1280, 1024};
constexpr Point kFarFromTheOverlay{900, 700};

// The game: a process of its own, so the manager treats it as another
// application. It logs what reaches it (see game_window.cpp).
class Game {
 public:
  Game() {
    std::string tmpl = (fs::temp_directory_path() / "brenvik-wm-XXXXXX").string();
    if (char* made = mkdtemp(tmpl.data())) dir_ = made;
  }
  ~Game() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
  }
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  ::testing::AssertionResult Start(int x, int y, int width, int height, bool fullscreen = false) {
    const std::string log = (dir_ / "game.log").string();
    pid_ = fork();
    if (pid_ == 0) {
      const std::string args[] = {std::to_string(x), std::to_string(y), std::to_string(width), std::to_string(height)};
      execl(BRENVIK_GAME_WINDOW, BRENVIK_GAME_WINDOW, log.c_str(), args[0].c_str(), args[1].c_str(), args[2].c_str(),
            args[3].c_str(), fullscreen ? "fullscreen" : static_cast<char*>(nullptr), static_cast<char*>(nullptr));
      _exit(127);
    }
    if (pid_ < 0) return ::testing::AssertionFailure() << "fork failed";
    const std::string prefix = "window ";
    if (!WaitUntil([&] { return !Lines().empty(); }) || Lines()[0].rfind(prefix, 0) != 0)
      return ::testing::AssertionFailure() << "the game window did not come up";
    window_ = std::strtoul(Lines()[0].c_str() + prefix.size(), nullptr, 10);
    return ::testing::AssertionSuccess();
  }

  Window window() const { return window_; }
  std::vector<std::string> Lines() const {
    std::ifstream in(dir_ / "game.log");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // Whether `line` is logged after the first `from` lines, waiting for it.
  bool Logs(const std::string& line, size_t from) const {
    return WaitUntil([&] { return LoggedSince(line, from); });
  }
  // Whether `line` is logged after the first `from` lines by now. After
  // Mark(), all that reached the game before is logged.
  bool LoggedSince(const std::string& line, size_t from) const {
    auto lines = Lines();
    return std::find(lines.begin() + std::min(from, lines.size()), lines.end(), line) != lines.end();
  }
  // Sets a property on the game's window and waits until the game logs it:
  // the X server delivers its events in order, so what reached the game
  // before (a press, a key) has been logged by then.
  bool Mark(Display* d) {
    const long n = ++marks_;
    XChangeProperty(d, window_, XInternAtom(d, "BRENVIK_MARK", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&n), 1);
    XSync(d, False);
    return Logs("mark " + std::to_string(n), 0);
  }
  // Raises itself and takes the focus, as a game does when the player
  // returns to it.
  bool Activate() const {
    const size_t from = Lines().size();
    kill(pid_, SIGUSR1);
    return Logs("activated", from);
  }

 private:
  fs::path dir_;
  pid_t pid_ = -1;
  Window window_ = 0;
  long marks_ = 0;
};

// The root's child that holds w: the manager's frame, or w itself.
Window TopLevelOf(Display* d, Window w) {
  for (;;) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &n)) return w;
    if (children) XFree(children);
    if (parent == root || parent == None) return w;
    w = parent;
  }
}

// Position of a root child in the stacking order, bottom first; -1 if none.
int StackingIndex(Display* d, Window top) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned n = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n)) return -1;
  int index = -1;
  for (unsigned i = 0; i < n; ++i)
    if (children[i] == top) index = static_cast<int>(i);
  if (children) XFree(children);
  return index;
}

std::vector<long> Longs(Display* d, Window w, const char* property) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> values;
  if (XGetWindowProperty(d, w, XInternAtom(d, property, False), 0, 64, False, AnyPropertyType, &type, &format, &count,
                         &after, &data) == Success &&
      data) {
    if (format == 32) values.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
    XFree(data);
  }
  return values;
}

class WmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (fullscreenGame_)
      ASSERT_TRUE(game_.Start(0, 0, kScreen.width, kScreen.height, true));
    else
      ASSERT_TRUE(game_.Start(kGame.x, kGame.y, kGame.width, kGame.height));
    app_ = std::make_unique<App>("linux");
    app().ReadOwnPixels();
    ASSERT_TRUE(app().Start());
    // Managers mark a window when it appears; a press on it clears the mark.
    ExpectNeverAskedForAttention();
  }
  void TearDown() override {
    if (app_ && app().window()) ExpectNeverAskedForAttention();
    if (app_) {
      EXPECT_TRUE(app().Running()) << "the overlay ended";
    }
    app_.reset();
  }

  bool fullscreenGame_ = false;

  App& app() { return *app_; }
  Game& game() { return game_; }
  Display* display() { return app().display(); }

  void Toggle() { app().Hotkey(XK_7); }
  bool Interactive() { return ModeIs(SettledFrame(app()), true); }
  void ClickScreen(Point p) {
    app().MoveMouseScreen(p.x, p.y);
    app().ButtonDown();
    app().ButtonUp();
  }
  bool GameGetsTheClick(Point p) {
    const size_t from = game().Lines().size();
    ClickScreen(p);
    EXPECT_TRUE(game().Mark(display()));
    return game().LoggedSince("press 1 " + std::to_string(p.x) + " " + std::to_string(p.y), from);
  }
  bool GameGetsTheKey() {
    const size_t from = game().Lines().size();
    app().Key(XK_a);
    EXPECT_TRUE(game().Mark(display()));
    return game().LoggedSince("key a", from);
  }
  bool GameGotAHotkey() {
    EXPECT_TRUE(game().Mark(display()));
    return game().LoggedSince("key 7", 0);
  }
  // The frame the manager put around the overlay, if any, is exactly as
  // large as the overlay's own window.
  ::testing::AssertionResult NoFrame() {
    const Window top = TopLevelOf(display(), app().window());
    Window root = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    XGetGeometry(display(), top, &root, &x, &y, &width, &height, &border, &depth);
    const Geometry own = app().geometry();
    if (x != own.x || y != own.y || int(width) != own.width || int(height) != own.height || border != 0)
      return ::testing::AssertionFailure()
             << "the outer window is " << x << "," << y << " " << width << "x" << height << " border " << border
             << ", the overlay " << own.x << "," << own.y << " " << own.width << "x" << own.height;
    for (long extent : Longs(display(), app().window(), "_NET_FRAME_EXTENTS")) {
      if (extent != 0) return ::testing::AssertionFailure() << "frame extents are not zero";
    }
    return ::testing::AssertionSuccess();
  }
  bool AboveTheGame() {
    return StackingIndex(display(), TopLevelOf(display(), app().window())) >
           StackingIndex(display(), TopLevelOf(display(), game().window()));
  }
  // The share of the overlay's own pixels that the screen shows at its
  // place (blended with the game beneath under a compositor).
  double ShareOnScreen() {
    const Image own = app().Capture();
    const Geometry g = app().geometry();
    if (own.empty() || g.x < 0 || g.y < 0 || g.x + g.width > kScreen.width || g.y + g.height > kScreen.height) return 0;
    XImage* screen =
        XGetImage(display(), DefaultRootWindow(display()), g.x, g.y, g.width, g.height, AllPlanes, ZPixmap);
    if (!screen) return 0;
    int same = 0;
    for (int y = 0; y < g.height; ++y)
      for (int x = 0; x < g.width; ++x) {
        const unsigned long p = XGetPixel(screen, x, y);
        const Rgb seen{int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)};
        if (Near(seen, own.At(x, y), 24)) ++same;
      }
    XDestroyImage(screen);
    return static_cast<double>(same) / (g.width * g.height);
  }
  ::testing::AssertionResult ShowsOnScreen() {
    double share = 0;
    if (WaitUntil([&] { return (share = ShareOnScreen()) >= 0.95; })) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the screen shows " << share * 100 << "% of the overlay's pixels";
  }
  void ExpectNeverAskedForAttention() {
    const Atom attention = XInternAtom(display(), "_NET_WM_STATE_DEMANDS_ATTENTION", False);
    auto states = Longs(display(), app().window(), "_NET_WM_STATE");
    EXPECT_EQ(std::count(states.begin(), states.end(), static_cast<long>(attention)), 0)
        << "the overlay demands attention";
    if (XWMHints* hints = XGetWMHints(display(), app().window())) {
      EXPECT_FALSE(hints->flags & XUrgencyHint) << "the overlay is marked urgent";
      XFree(hints);
    }
  }

 private:
  Game game_;
  std::unique_ptr<App> app_;
};

TEST_F(WmTest, SitsAtItsPlaceWithoutAFrameAboveTheGameThatKeepsTheFocus) {
  EXPECT_TRUE(app().GeometryBecomes(kHome));
  EXPECT_TRUE(NoFrame());
  EXPECT_TRUE(GameGetsTheKey()) << "the overlay took the focus when it appeared";
  EXPECT_TRUE(WaitUntil([&] { return AboveTheGame(); })) << "the overlay is below the game";

  ASSERT_TRUE(game().Activate());
  EXPECT_TRUE(GameGetsTheKey()) << "the game could not take the focus back";
  // The overlay puts itself back on top.
  EXPECT_TRUE(WaitUntil([&] { return AboveTheGame(); })) << "the raised game covers the overlay";
  // It must stay there: past an upkeep or so, through rounds of its loop.
  Sleep(1500ms);
  app().Quiesce();
  EXPECT_TRUE(AboveTheGame()) << "the overlay fell below the game again";
  EXPECT_TRUE(app().GeometryBecomes(kHome));
}

TEST_F(WmTest, ClicksPassThroughOnlyInOverlayModeAndHotkeysWorkWhileTheGameHasTheFocus) {
  EXPECT_TRUE(GameGetsTheClick(kOverOverlay)) << "overlay mode kept the click";
  EXPECT_TRUE(GameGetsTheKey()) << "a click through the overlay took the game's focus";

  Toggle();
  EXPECT_TRUE(Interactive()) << "the toggle key did nothing while the game had the focus";
  EXPECT_FALSE(GameGetsTheClick(kOverOverlay)) << "interactive mode let the click through";

  // The overlay has the focus now (the click took it): the hotkey still acts.
  Toggle();
  EXPECT_FALSE(Interactive()) << "the toggle key did nothing the second time";
  EXPECT_TRUE(GameGetsTheClick(kOverOverlay)) << "back in overlay mode the click stayed";
  EXPECT_TRUE(GameGetsTheKey()) << "a click on the game did not give it the keyboard back";
  EXPECT_FALSE(GameGotAHotkey()) << "the game saw the hotkey's key";
  EXPECT_TRUE(app().GeometryBecomes(kHome));
}

TEST_F(WmTest, ADragMovesTheWindowByThePointersExactTravel) {
  // The pointer over the overlay while clicks pass through it to the
  // desktop: Mutter kept what it saw then and lost the drag's press.
  app().MoveMouseScreen(kBesideTheGame.x, kBesideTheGame.y);
  // Time for the manager to see it; nothing in it can be waited for.
  Sleep(200ms);
  Toggle();
  ASSERT_TRUE(Interactive());

  auto drag = [&](int x, int y, int dx, int dy) {
    const Geometry g = app().geometry();
    app().MoveMouseScreen(g.x + x, g.y + y);
    app().ButtonDown();
    // The drag starts where the pointer is when the press is handled: a
    // manager that holds the press a moment would shift the start. The
    // program then handles it.
    Sleep(200ms);
    app().Quiesce();
    for (int i = 1; i <= 10; ++i) app().MoveMouseScreen(g.x + x + dx * i / 10, g.y + y + dy * i / 10);
    app().ButtonUp();
  };
  drag(300, 250, 60, 40);
  EXPECT_TRUE(app().GeometryBecomes(Geometry{160, 140, 320, 373}));
  drag(20, 300, -80, -70);
  EXPECT_TRUE(app().GeometryBecomes(Geometry{80, 70, 320, 373}));
  EXPECT_TRUE(NoFrame());
  EXPECT_TRUE(AboveTheGame());
}

TEST_F(WmTest, ANameTypedIntoAnEditBoxIsKept) {
  Toggle();
  ASSERT_TRUE(Interactive());
  app().Click(kEditSplitsTab.x, kEditSplitsTab.y);
  ASSERT_EQ(ActiveTab(SettledFrame(app())), 2);
  // (No blank: the space bar is the split hotkey.)
  RenameRow(app(), 0, 0, "WmGate");
  EXPECT_TRUE(game().Mark(display()));
  EXPECT_FALSE(game().LoggedSince("key w", 0)) << "typed keys went to the game";
  app().Click(kTimerTab.x, kTimerTab.y);
  EXPECT_TRUE(app().FileBecomes("splits.txt", "WmGate\r\nBoss Start\r\nidk\r\nNew Split\r\nNew Split\r\n"));
}

// Most games run fullscreen, and a manager stacks a focused fullscreen
// window above every window that only asks to stay above.
class WmFullscreenTest : public WmTest {
 protected:
  WmFullscreenTest() { fullscreenGame_ = true; }
};

TEST_F(WmFullscreenTest, TheOverlayShowsOverTheFocusedFullscreenGameAndPassesItsClicks) {
  EXPECT_TRUE(app().GeometryBecomes(kHome));
  ASSERT_TRUE(game().Activate());
  EXPECT_TRUE(GameGetsTheKey());
  EXPECT_TRUE(ShowsOnScreen()) << "once the game took the focus";
  ASSERT_TRUE(game().Activate());
  EXPECT_TRUE(ShowsOnScreen()) << "once the game raised itself again";

  Toggle();
  EXPECT_TRUE(Interactive());
  EXPECT_TRUE(ShowsOnScreen()) << "in interactive mode";
  Toggle();
  EXPECT_FALSE(Interactive());
  EXPECT_TRUE(ShowsOnScreen()) << "back in overlay mode";
  EXPECT_TRUE(GameGetsTheClick(kOverOverlay)) << "overlay mode kept the click";
  EXPECT_TRUE(GameGetsTheKey());
  EXPECT_TRUE(ShowsOnScreen()) << "after a click through it";
  EXPECT_TRUE(NoFrame());
  EXPECT_TRUE(app().GeometryBecomes(kHome));
}

TEST_F(WmFullscreenTest, ANameTypedRightAfterTheGameHadTheFocusIsKeptAndAClickOnTheGameGivesItTheKeys) {
  ASSERT_TRUE(game().Activate());
  EXPECT_TRUE(GameGetsTheKey());
  Toggle();
  ASSERT_TRUE(Interactive());
  app().Click(kEditSplitsTab.x, kEditSplitsTab.y);
  ASSERT_TRUE(WaitUntil([&] { return ActiveTab(app().Capture()) == 2; }));
  const size_t from = game().Lines().size();
  RenameRow(app(), 0, 0, "WmGate");
  EXPECT_TRUE(game().Mark(display()));
  EXPECT_FALSE(game().LoggedSince("key w", from)) << "typed keys went to the game";
  EXPECT_TRUE(ShowsOnScreen());

  EXPECT_TRUE(GameGetsTheClick(kFarFromTheOverlay));
  EXPECT_TRUE(GameGetsTheKey()) << "a click on the game left the keyboard with the overlay";
  EXPECT_TRUE(ShowsOnScreen()) << "the click on the game covered the overlay";
  app().Click(kTimerTab.x, kTimerTab.y);
  EXPECT_TRUE(app().FileBecomes("splits.txt", "WmGate\r\nBoss Start\r\nidk\r\nNew Split\r\nNew Split\r\n"));
}

}  // namespace
}  // namespace e2e
