// What only the Linux build has to prove about the X server: hotkeys from the
// root window while another client has the keyboard, clicks through the
// overlay, keys already held by another client, text typed through the input
// method, a missing display, and the idle cost of the overlay.
#include "panel.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <tuple>

namespace e2e {
namespace {

// Another X client: the game the player is in.
class Game {
 public:
  Game() {
    // The server resets when the last client of the previous test leaves,
    // and refuses connections meanwhile.
    WaitUntil([&] { return (dpy_ = XOpenDisplay(nullptr)) != nullptr; });
  }
  ~Game() {
    if (!dpy_) return;
    if (numLockSet_) SetNumLock(false);
    if (window_) XDestroyWindow(dpy_, window_);
    XCloseDisplay(dpy_);
  }
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  Display* dpy() const { return dpy_; }
  Window window() const { return window_; }

  // A window under where the overlay will be, taking clicks and keys.
  void Open(int x, int y, int width, int height) {
    XSetWindowAttributes attrs{};
    attrs.background_pixel = 0x00406040;
    attrs.event_mask = ButtonPressMask | KeyPressMask;
    window_ = XCreateWindow(dpy_, DefaultRootWindow(dpy_), x, y, width, height, 0, CopyFromParent, InputOutput,
                            CopyFromParent, CWBackPixel | CWEventMask, &attrs);
    XMapWindow(dpy_, window_);
    XSync(dpy_, False);
  }
  void TakeFocus() {
    XSetInputFocus(dpy_, window_, RevertToParent, CurrentTime);
    XSync(dpy_, False);
  }
  bool HasFocus() const {
    Window focused = 0;
    int revert = 0;
    XGetInputFocus(dpy_, &focused, &revert);
    return focused == window_;
  }
  void SetNumLock(bool on) {
    const unsigned mask = XkbKeysymToModifiers(dpy_, XK_Num_Lock);
    XkbLockModifiers(dpy_, XkbUseCoreKbd, mask, on ? mask : 0);
    XSync(dpy_, False);
    numLockSet_ = on;
  }
  // Takes the next event of a type for the game's window within `ms`.
  bool Got(int type, XEvent* ev, int ms = 1000) {
    for (int waited = 0; waited <= ms; waited += 10) {
      if (XCheckTypedWindowEvent(dpy_, window_, type, ev)) return true;
      pollfd fd{ConnectionNumber(dpy_), POLLIN, 0};
      poll(&fd, 1, 10);
    }
    return false;
  }
  // Takes the next event of a type for any window of the game (a key grab on
  // the root window reports there).
  bool GotAnywhere(int type, XEvent* ev, int ms = 1000) {
    for (int waited = 0; waited <= ms; waited += 10) {
      if (XCheckTypedEvent(dpy_, type, ev)) return true;
      pollfd fd{ConnectionNumber(dpy_), POLLIN, 0};
      poll(&fd, 1, 10);
    }
    return false;
  }
  void Drain() {
    XEvent ev;
    XSync(dpy_, False);
    while (XCheckWindowEvent(dpy_, window_, ButtonPressMask | KeyPressMask, &ev)) {
    }
  }

 private:
  Display* dpy_ = nullptr;
  Window window_ = 0;
  bool numLockSet_ = false;
};

class LinuxOnlyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = std::make_unique<App>("linux");
    ASSERT_TRUE(game_.dpy()) << "no X display";
  }
  void TearDown() override { app_->Kill(); }

  App& app() { return *app_; }
  Game& game() { return game_; }
  Image Frame() { return SettledFrame(app()); }

 private:
  Game game_;
  std::unique_ptr<App> app_;
};

// The game lies beneath the overlay. In overlay mode a click on the overlay
// lands in the game and changes nothing; the player never gives the overlay
// the keyboard, so the keys reach it from the root window, with NumLock on
// as well, and not with Shift held. In interactive mode the overlay takes
// the clicks.
TEST_F(LinuxOnlyTest, HotkeysAndClicksWhileTheGameHasTheFocusAndLiesBeneath) {
  game().Open(50, 50, 500, 500);
  ASSERT_TRUE(app().Start());
  const Geometry g = app().geometry();
  const Image before = Frame();

  XEvent ev;
  for (Point p : {kKeybindsTab, kEditSplitsTab, kCloseButton}) {
    app().Click(p.x, p.y);
    ASSERT_TRUE(game().Got(ButtonPress, &ev)) << "click at " << p.x << "," << p.y;
    EXPECT_EQ(ev.xbutton.x_root, g.x + p.x);
    EXPECT_EQ(ev.xbutton.y_root, g.y + p.y);
  }
  const Image after = Frame();
  EXPECT_TRUE(app().Running()) << "a click on the close button closed the overlay";
  EXPECT_EQ(ActiveTab(after), 0);
  EXPECT_TRUE(ModeIs(after, false));
  EXPECT_EQ(CloseDiscColour(after), CloseDiscColour(before));

  game().TakeFocus();
  game().Drain();
  int bar = SeparatorBarTop(Frame());
  ASSERT_GT(bar, 100);
  app().KeyDown(XK_Shift_L);
  app().Key(XK_space);
  app().KeyUp(XK_Shift_L);
  EXPECT_EQ(GreenBoxLine(Frame(), bar), -1) << "Shift+Space split";
  EXPECT_TRUE(game().Got(KeyPress, &ev)) << "Shift+Space is the game's key";
  game().Drain();

  game().SetNumLock(true);
  app().Key(XK_space);
  EXPECT_EQ(GreenBoxLine(Frame(), bar), 0) << "Space did not start the run with NumLock on";
  app().Key(XK_space);
  EXPECT_EQ(GreenBoxLine(Frame(), bar), 1);
  app().Key(XK_c);
  EXPECT_EQ(GreenBoxLine(Frame(), bar), -1) << "C did not cancel";
  app().Key(XK_7);
  EXPECT_TRUE(ModeIs(Frame(), true));
  game().SetNumLock(false);
  app().Key(XK_7);
  EXPECT_TRUE(ModeIs(Frame(), false));

  EXPECT_TRUE(game().HasFocus()) << "the overlay took the keyboard";
  EXPECT_FALSE(game().Got(KeyPress, &ev, 100)) << "a hotkey also reached the game";
  EXPECT_TRUE(app().ListFiles().empty());

  app().Key(XK_7);
  game().Drain();
  app().Click(kKeybindsTab.x, kKeybindsTab.y);
  EXPECT_EQ(ActiveTab(Frame()), 1);
  EXPECT_FALSE(game().Got(ButtonPress, &ev, 200)) << "an interactive click also reached the window beneath";
}

// Another program holds C: the cancel action is left without a hotkey,
// silently, and the split and toggle keys work.
TEST_F(LinuxOnlyTest, AKeyHeldByAnotherProgramLeavesOnlyThatActionWithout) {
  game().Open(600, 500, 300, 300);
  const KeyCode c = XKeysymToKeycode(game().dpy(), XK_c);
  XGrabKey(game().dpy(), c, AnyModifier, DefaultRootWindow(game().dpy()), False, GrabModeAsync, GrabModeAsync);
  XSync(game().dpy(), False);
  ASSERT_TRUE(app().Start());
  game().TakeFocus();
  int bar = SeparatorBarTop(Frame());
  ASSERT_GT(bar, 100);

  app().Key(XK_space);
  EXPECT_EQ(GreenBoxLine(Frame(), bar), 0);
  app().Key(XK_c);
  XEvent ev;
  EXPECT_TRUE(game().GotAnywhere(KeyPress, &ev)) << "the holder did not get its key";
  EXPECT_EQ(GreenBoxLine(Frame(), bar), 0) << "C cancelled although another program holds it";
  app().Key(XK_7);
  EXPECT_TRUE(ModeIs(Frame(), true));
  EXPECT_TRUE(app().Running());
}

// Keycodes without symbols, to put characters of other alphabets on.
std::vector<KeyCode> SpareKeycodes(Display* d, size_t count) {
  int minCode = 0, maxCode = 0, perCode = 0;
  XDisplayKeycodes(d, &minCode, &maxCode);
  KeySym* map = XGetKeyboardMapping(d, minCode, maxCode - minCode + 1, &perCode);
  std::vector<KeyCode> spare;
  for (int code = maxCode; code >= minCode && spare.size() < count; --code) {
    bool empty = true;
    for (int k = 0; k < perCode; ++k) empty = empty && map[(code - minCode) * perCode + k] == NoSymbol;
    if (empty) spare.push_back(static_cast<KeyCode>(code));
  }
  XFree(map);
  return spare;
}

TEST_F(LinuxOnlyTest, ANonAsciiNameTypedIntoAnEditBoxIsSavedAsUtf8) {
  ASSERT_TRUE(app().Start());
  Display* d = game().dpy();
  const auto spare = SpareKeycodes(d, 2);
  ASSERT_EQ(spare.size(), 2u);
  KeySym ediaeresis = XK_ediaeresis, zhe = 0x1000436;  // ë, and ж as a Unicode keysym
  XChangeKeyboardMapping(d, spare[0], 1, &ediaeresis, 1);
  XChangeKeyboardMapping(d, spare[1], 1, &zhe, 1);
  XSync(d, False);

  app().Key(XK_7);
  app().Click(kEditSplitsTab.x, kEditSplitsTab.y);
  ASSERT_EQ(ActiveTab(Frame()), 2);
  const Box box = RowBox(0, 0);
  app().Click(box.left + 40, box.top + 14);
  app().ControlKey(XK_a);
  app().Key(XK_BackSpace);
  app().Type("Zo");
  for (KeyCode code : spare) {
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
    XSync(d, False);
    Sleep(50ms);  // spaced like the harness's own keys
  }
  app().Click(kTimerTab.x, kTimerTab.y);
  EXPECT_TRUE(app().FileBecomes("splits.txt", "Zo\xC3\xAB\xD0\xB6\r\nBoss Start\r\nidk\r\nNew Split\r\nNew Split\r\n"));

  KeySym none = NoSymbol;
  for (KeyCode code : spare) XChangeKeyboardMapping(d, code, 1, &none, 1);
  XSync(d, False);
}

// Runs the Linux binary with DISPLAY set to `display` (unset when empty);
// gives its standard error and exit status.
std::pair<std::string, int> RunWithDisplay(const std::string& display) {
  const std::string env = display.empty() ? "env -u DISPLAY" : "env DISPLAY=" + display;
  const std::string command = env + " '" + BinaryFor("linux") + "' 2>&1 >/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {"", -1};
  std::string output;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
  const int status = pclose(pipe);
  return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// Files that are not plain, small files (a FIFO nobody writes, endless
// devices, one enormous line) neither hold up the start nor fill the memory,
// and stay as they were.
TEST_F(LinuxOnlyTest, HostileFilesNeitherBlockTheStartNorFillTheMemory) {
  ASSERT_EQ(mkfifo((app().dir() / "bestsplits.txt").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", app().dir() / "pbtime.txt");
  std::filesystem::create_symlink("/dev/urandom", app().dir() / "keybinds.cfg");
  app().WriteFile("splits.txt", std::string(64u << 20, 'W'));
  const auto before = std::chrono::steady_clock::now();
  ASSERT_TRUE(app().Start());
  app().Hotkey(XK_7);
  EXPECT_TRUE(WaitUntil([&] { return bool(ModeIs(app().Capture(), true)); }));
  const auto took = std::chrono::steady_clock::now() - before;
  std::printf("start to a working hotkey: %lld ms, resident %ld KiB\n",
              static_cast<long long>(std::chrono::duration_cast<Millis>(took).count()), app().ResidentKiB());
  // Start() itself waits for the window to stay still for 400 ms; a read
  // that blocks or runs on without end takes far longer than this on any machine.
  EXPECT_LT(took, 10s);
  EXPECT_LT(app().ResidentKiB(), 100 * 1024);
  EXPECT_TRUE(std::filesystem::is_fifo(app().dir() / "bestsplits.txt"));
  EXPECT_EQ(std::filesystem::file_size(app().dir() / "splits.txt"), 64u << 20);
}

// Without a display the program says which one it could not open and exits
// with 1, soon; a display that comes up a moment after the start is used.
TEST_F(LinuxOnlyTest, AMissingDisplayIsNamedAndOneAppearingHalfASecondLaterIsUsed) {
  const auto before = std::chrono::steady_clock::now();
  auto [message, status] = RunWithDisplay(":4711");
  EXPECT_EQ(message, "cannot open display :4711\n");
  EXPECT_EQ(status, 1);
  // About two seconds of retries; endless ones would never end.
  EXPECT_LT(std::chrono::steady_clock::now() - before, 10s) << "the retries took too long";
  std::tie(message, status) = RunWithDisplay("");
  EXPECT_EQ(message, "cannot open display (none)\n");
  EXPECT_EQ(status, 1);

  const pid_t program = fork();
  ASSERT_GE(program, 0);
  if (program == 0) {
    setenv("DISPLAY", ":4713", 1);
    if (chdir(app().dir().c_str()) != 0) _exit(126);
    execl(BinaryFor("linux").c_str(), "brenvik", static_cast<char*>(nullptr));
    _exit(127);
  }
  Sleep(500ms);  // the server comes up this late on purpose
  const pid_t server = fork();
  ASSERT_GE(server, 0);
  if (server == 0) {
    execlp("Xvfb", "Xvfb", ":4713", "-screen", "0", "800x600x24", "-nolisten", "tcp", static_cast<char*>(nullptr));
    _exit(127);
  }
  Display* d = nullptr;
  WaitUntil([&] { return (d = XOpenDisplay(":4713")) != nullptr; });
  bool mapped = false;
  if (d) {
    mapped = WaitUntil([&] {
      Window root = 0, parent = 0, *children = nullptr;
      unsigned count = 0;
      XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count);
      if (children) XFree(children);
      return count > 0;
    });
    XCloseDisplay(d);
  }
  int waited = 0;
  const bool stillRunning = waitpid(program, &waited, WNOHANG) == 0;
  kill(program, SIGKILL);
  waitpid(program, &waited, 0);
  kill(server, SIGTERM);
  waitpid(server, &waited, 0);
  EXPECT_TRUE(d) << "the late server did not come up";
  EXPECT_TRUE(stillRunning) << "the program gave up before the display appeared";
  EXPECT_TRUE(mapped) << "no window on the late display";
}

// utime + stime of a process, in clock ticks.
long long CpuTicks(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The fields after the command name, which ends at the last ')'.
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::string field;
  long long utime = 0, stime = 0;
  for (int i = 3; fields >> field; ++i) {
    if (i == 14) utime = std::stoll(field);
    if (i == 15) {
      stime = std::stoll(field);
      break;
    }
  }
  return utime + stime;
}

// The overlay repaints every 15 ms while the player plays. A loaded machine
// makes any tight CPU bound flaky, so this only catches a busy loop (25% of
// a core) and gross memory growth; bench/overlay_cost measures the real cost.
TEST_F(LinuxOnlyTest, SoakIdleOverlayIsNoBusyLoopAndKeepsItsMemory) {
  ASSERT_TRUE(app().Start());
  const pid_t pid = app().ProgramPid();
  Sleep(2s);  // past start-up: the span measured, not a wait
  const long rssStart = app().ResidentKiB();
  long rssMax = rssStart;
  const long long ticksStart = CpuTicks(pid);
  const auto start = std::chrono::steady_clock::now();
  for (int second = 0; second < 6; ++second) {
    Sleep(1s);
    rssMax = std::max(rssMax, app().ResidentKiB());
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpuPercent =
      100.0 * static_cast<double>(CpuTicks(pid) - ticksStart) / static_cast<double>(sysconf(_SC_CLK_TCK)) / seconds;
  std::printf("idle overlay: %.2f%% of one core over %.1f s; resident %ld KiB at the start, %ld KiB at most\n",
              cpuPercent, seconds, rssStart, rssMax);
  EXPECT_LT(cpuPercent, 25.0);
  EXPECT_LT(rssMax - rssStart, 8192);
  EXPECT_TRUE(app().Running());
}

}  // namespace
}  // namespace e2e
