#include "harness.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <cairo.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#ifndef BRENVIK_LINUX_EXE
#define BRENVIK_LINUX_EXE "build/linux/brenvik"
#endif
#ifndef BRENVIK_WINDOWS_EXE
#define BRENVIK_WINDOWS_EXE "build/windows/brenvik.exe"
#endif

namespace e2e {

namespace fs = std::filesystem;

namespace {

const Rgb kBackground{30, 32, 40};

// Windows come and go while the tree is walked; a vanished window must not
// end the test process.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string ReadWholeFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string CmdLine(pid_t pid) {
  std::string s = ReadWholeFile("/proc/" + std::to_string(pid) + "/cmdline");
  for (char& c : s)
    if (c == '\0') c = ' ';
  return s;
}

fs::path Cwd(pid_t pid) {
  std::error_code ec;
  fs::path p = fs::read_symlink("/proc/" + std::to_string(pid) + "/cwd", ec);
  return ec ? fs::path() : p;
}

std::string WindowName(Display* d, Window w) {
  Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
  Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string name;
  if (XGetWindowProperty(d, w, netName, 0, 256, False, utf8, &type, &format, &count, &after, &data) == Success &&
      data) {
    if (type == utf8 && format == 8) name.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
  }
  if (!name.empty()) return name;
  char* legacy = nullptr;
  if (XFetchName(d, w, &legacy) && legacy) {
    name = legacy;
    XFree(legacy);
  }
  return name;
}

long WindowPid(Display* d, Window w) {
  Atom netPid = XInternAtom(d, "_NET_WM_PID", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  long pid = -1;
  if (XGetWindowProperty(d, w, netPid, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
      data) {
    if (format == 32 && count == 1) pid = *reinterpret_cast<long*>(data);
    XFree(data);
  }
  return pid;
}

// Depth-first search for a viewable window titled "Brenvik", skipping windows
// that say they belong to another process.
Window FindTitled(Display* d, Window parent, const std::vector<pid_t>& pids) {
  Window root = 0, par = 0, *children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(d, parent, &root, &par, &children, &n)) return 0;
  std::vector<Window> kids(children, children + n);
  if (children) XFree(children);
  for (Window w : kids) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(d, w, &a) || a.map_state != IsViewable) continue;
    if (WindowName(d, w) == "Brenvik") {
      long pid = WindowPid(d, w);
      bool ours = pid <= 0;
      for (pid_t p : pids) ours = ours || pid == p;
      if (ours) return w;
    }
  }
  for (Window w : kids) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(d, w, &a) || a.map_state != IsViewable) continue;
    if (Window found = FindTitled(d, w, pids)) return found;
  }
  return 0;
}

// How often the main thread of a process has gone to sleep, or -1.
long SleepsOf(pid_t pid) {
  if (pid <= 0) return -1;
  std::istringstream in(ReadWholeFile("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/status"));
  for (std::string line; std::getline(in, line);)
    if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::atol(line.c_str() + 24);
  return -1;
}

}  // namespace

std::string ToString(Rgb c) {
  return "RGB(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) + ")";
}

void PrintTo(const Rgb& c, std::ostream* os) { *os << ToString(c); }

bool Near(Rgb a, Rgb b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

Image::Image(int width, int height, std::vector<Rgb> pixels)
    : width_(width), height_(height), pixels_(std::move(pixels)) {}

Rgb Image::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {-1, -1, -1};
  return pixels_[static_cast<size_t>(y) * width_ + x];
}

int Image::CountExact(Box a, Rgb colour) const { return CountNear(a, colour, 0); }

int Image::CountNear(Box a, Rgb colour, int tolerance) const {
  int n = 0;
  for (int y = a.top; y < a.bottom; ++y)
    for (int x = a.left; x < a.right; ++x)
      if (Near(At(x, y), colour, tolerance)) ++n;
  return n;
}

bool Image::AllExact(Box a, Rgb colour) const {
  return CountExact(a, colour) == (a.right - a.left) * (a.bottom - a.top);
}

int Image::FindInColumn(int x, int top, int bottom, Rgb colour) const {
  for (int y = top; y < bottom; ++y)
    if (At(x, y) == colour) return y;
  return -1;
}

bool Image::WritePng(const std::string& path) const {
  if (empty()) return false;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width_, height_);
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < height_; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < width_; ++x) {
      Rgb c = At(x, y);
      if (c.r < 0) c = {0, 0, 0};
      row[x] = (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | uint32_t(c.b);
    }
  }
  cairo_surface_mark_dirty(s);
  bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(s);
  return ok;
}

std::vector<std::string> ListedTargets() {
  const char* v = std::getenv("BRENVIK_E2E_TARGETS");
  std::string list = v ? v : "windows";
  for (char& c : list)
    if (c == ',') c = ' ';
  std::istringstream in(list);
  std::vector<std::string> out;
  for (std::string t; in >> t;) out.push_back(t);
  return out;
}

std::string BinaryFor(const std::string& target) {
  if (target == "windows") {
    std::string e = Env("BRENVIK_WINDOWS_EXE");
    return e.empty() ? BRENVIK_WINDOWS_EXE : e;
  }
  if (target == "linux") {
    std::string e = Env("BRENVIK_LINUX_EXE");
    return e.empty() ? BRENVIK_LINUX_EXE : e;
  }
  return "";
}

std::string TargetParamName(const ::testing::TestParamInfo<std::string>& info) {
  std::string s;
  for (char c : info.param) s += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return s;
}

void Sleep(Millis d) { std::this_thread::sleep_for(d); }

App::App(std::string target) : target_(std::move(target)), binary_(BinaryFor(target_)) {
  std::string tmpl = (fs::temp_directory_path() / "brenvik-e2e-XXXXXX").string();
  if (char* made = mkdtemp(tmpl.data())) dir_ = fs::path(made) / "work";
  fs::create_directories(dir_);
}

App::~App() {
  Kill();
  if (display_) XCloseDisplay(display_);
  std::error_code ec;
  if (!dir_.empty() && Env("BRENVIK_E2E_KEEP").empty()) fs::remove_all(dir_.parent_path(), ec);
}

void App::WriteFile(const std::string& name, const std::string& bytes) const {
  std::ofstream out(dir_ / name, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::optional<std::string> App::ReadFile(const std::string& name) const {
  if (!fs::exists(dir_ / name)) return std::nullopt;
  return ReadWholeFile(dir_ / name);
}

std::vector<std::string> App::ListFiles() const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir_, ec)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<FileStamp> App::Stamp(const std::string& name) const {
  struct stat st {};
  if (stat((dir_ / name).c_str(), &st) != 0) return std::nullopt;
  return FileStamp{static_cast<unsigned long>(st.st_ino),
                   static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

::testing::AssertionResult App::Start() {
  if (binary_.empty()) return ::testing::AssertionFailure() << "unknown target " << target_;
  if (!fs::exists(binary_))
    return ::testing::AssertionFailure() << "the " << target_ << " binary is missing: " << binary_;
  if (!display_) {
    display_ = XOpenDisplay(nullptr);
    if (!display_) return ::testing::AssertionFailure() << "cannot open the X display";
    XSetErrorHandler(IgnoreXError);
  }
  Kill();
  exitStatus_.reset();
  window_ = 0;
  if (auto r = Launch(); !r) return r;
  auto launched = std::chrono::steady_clock::now();
  // A fresh Wine prefix is made on the first start, which takes a while on a
  // loaded machine.
  if (auto r = FindWindow(isWindows() ? 60s : kHangLimit); !r) return r;
  if (auto r = Settle(); !r) return r;
  if (isWindows()) {
    // Wine drops the key presses of the first second or so after its window
    // appears (measured: 0.4 s after settling lost them, 1.5 s did not).
    std::this_thread::sleep_until(std::max(launched + 2500ms, std::chrono::steady_clock::now() + 1500ms));
    Focus();
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult App::Launch() {
  fs::path log = dir_.parent_path() / "output.log";
  child_ = fork();
  if (child_ < 0) return ::testing::AssertionFailure() << "fork failed";
  if (child_ == 0) {
    if (chdir(dir_.c_str()) != 0) _exit(126);
    FILE* out = std::fopen(log.c_str(), "a");
    if (out) {
      dup2(fileno(out), 1);
      dup2(fileno(out), 2);
    }
    if (!command_.empty()) {
      std::vector<char*> argv;
      for (const std::string& a : command_) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execvp(argv[0], argv.data());
    } else if (isWindows()) {
      setenv("WINEDEBUG", "-all", 1);
      execlp("wine", "wine", binary_.c_str(), static_cast<char*>(nullptr));
    } else {
      execl(binary_.c_str(), binary_.c_str(), static_cast<char*>(nullptr));
    }
    _exit(127);
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult App::FindWindow(Millis timeout) {
  bool found = WaitUntil(
      [&] {
        if (!Running()) return true;
        std::vector<pid_t> pids{child_};
        if (pid_t p = ProgramPid(); p > 0) pids.push_back(p);
        window_ = FindTitled(display_, DefaultRootWindow(display_), pids);
        return window_ != 0;
      },
      timeout);
  if (!Running())
    return ::testing::AssertionFailure() << "the " << target_ << " process ended at start-up"
                                         << " with status " << exitStatus_.value_or(-1);
  if (!found || !window_)
    return ::testing::AssertionFailure() << "no window titled Brenvik within " << timeout.count() << " ms";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult App::Settle(Millis timeout) {
  Geometry last{};
  auto stableSince = std::chrono::steady_clock::now();
  bool ok = WaitUntil(
      [&] {
        Geometry g = geometry();
        auto now = std::chrono::steady_clock::now();
        if (!(g == last)) {
          last = g;
          stableSince = now;
          return false;
        }
        return g.width > 0 && now - stableSince >= 400ms && Pixel(g.width - 5, 45) == kBackground;
      },
      timeout);
  if (!ok)
    return ::testing::AssertionFailure() << "the window did not settle; geometry " << last.x << "," << last.y << " "
                                         << last.width << "x" << last.height << ", pixel at the right edge "
                                         << ToString(Pixel(last.width - 5, 45));
  return ::testing::AssertionSuccess();
}

pid_t App::ProgramPid() const {
  if (child_ <= 0) return -1;
  if (!isWindows()) return child_;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator("/proc", ec)) {
    std::string name = e.path().filename();
    if (name.empty() || !std::isdigit(static_cast<unsigned char>(name[0]))) continue;
    pid_t pid = std::stoi(name);
    if (CmdLine(pid).find("brenvik.exe") == std::string::npos) continue;
    if (pid == child_ || Cwd(pid) == dir_) return pid;
  }
  return -1;
}

Geometry App::geometry() const {
  Geometry g;
  if (!display_ || !window_) return g;
  XWindowAttributes a{};
  if (!XGetWindowAttributes(display_, window_, &a)) return g;
  Window child = 0;
  XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), 0, 0, &g.x, &g.y, &child);
  g.width = a.width;
  g.height = a.height;
  return g;
}

::testing::AssertionResult App::GeometryBecomes(const Geometry& want, Millis timeout) const {
  Geometry g;
  if (WaitUntil([&] { return (g = geometry()) == want; }, timeout)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the window is at " << g.x << "," << g.y << " " << g.width << "x" << g.height
                                       << ", not at " << want.x << "," << want.y << " " << want.width << "x"
                                       << want.height;
}

::testing::AssertionResult App::HeightBecomes(int want, Millis timeout) const {
  int h = 0;
  if (WaitUntil([&] { return (h = geometry().height) == want; }, timeout)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the window is " << h << " high, not " << want;
}

::testing::AssertionResult App::FileBecomes(const std::string& name, const std::string& want, Millis timeout) const {
  std::optional<std::string> got;
  if (WaitUntil([&] { return (got = ReadFile(name)) == want; }, timeout)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << name << " holds " << ::testing::PrintToString(got) << ", not "
                                       << ::testing::PrintToString(want);
}

Image App::Capture() const {
  Geometry g = geometry();
  if (g.width <= 0 || g.height <= 0) return {};
  int sw = DisplayWidth(display_, DefaultScreen(display_));
  int sh = DisplayHeight(display_, DefaultScreen(display_));
  int x0 = std::max(0, g.x), y0 = std::max(0, g.y);
  int x1 = std::min(sw, g.x + g.width), y1 = std::min(sh, g.y + g.height);
  std::vector<Rgb> px(static_cast<size_t>(g.width) * g.height, Rgb{-1, -1, -1});
  if (x1 > x0 && y1 > y0) {
    XImage* img = ownPixels_
                      ? XGetImage(display_, window_, x0 - g.x, y0 - g.y, x1 - x0, y1 - y0, AllPlanes, ZPixmap)
                      : XGetImage(display_, DefaultRootWindow(display_), x0, y0, x1 - x0, y1 - y0, AllPlanes, ZPixmap);
    if (img) {
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
          unsigned long p = XGetPixel(img, x - x0, y - y0);
          px[static_cast<size_t>(y - g.y) * g.width + (x - g.x)] =
              Rgb{int((p & img->red_mask) >> 16), int((p & img->green_mask) >> 8), int(p & img->blue_mask)};
        }
      XDestroyImage(img);
    }
  }
  return Image(g.width, g.height, std::move(px));
}

Rgb App::Pixel(int x, int y) const {
  Geometry g = geometry();
  int sx = g.x + x, sy = g.y + y;
  if (g.width <= 0 || x < 0 || y < 0 || x >= g.width || y >= g.height || sx < 0 || sy < 0 ||
      sx >= DisplayWidth(display_, DefaultScreen(display_)) || sy >= DisplayHeight(display_, DefaultScreen(display_)))
    return {-1, -1, -1};
  XImage* img = ownPixels_ ? XGetImage(display_, window_, x, y, 1, 1, AllPlanes, ZPixmap)
                           : XGetImage(display_, DefaultRootWindow(display_), sx, sy, 1, 1, AllPlanes, ZPixmap);
  if (!img) return {-1, -1, -1};
  unsigned long p = XGetPixel(img, 0, 0);
  Rgb c{int((p & img->red_mask) >> 16), int((p & img->green_mask) >> 8), int(p & img->blue_mask)};
  XDestroyImage(img);
  return c;
}

void App::Screenshot(const std::string& name) const {
  std::string dir = Env("BRENVIK_SCREENSHOT_DIR");
  if (dir.empty()) return;
  std::error_code ec;
  fs::create_directories(dir, ec);
  std::string path = (fs::path(dir) / (target_ + "-" + name + ".png")).string();
  EXPECT_TRUE(Capture().WritePng(path)) << "cannot write " << path;
}

void App::Sync() const { XSync(display_, False); }

void App::Quiesce() const {
  Sync();
  // The main thread sleeps once per round of its loop (the repaint timer
  // ends one every 15 ms), and under Wine also on each call to its server,
  // about 15 times a round (measured). A busy machine stretches the rounds,
  // and this wait with them; the shortest time is what the suite has always
  // allowed on a quiet one.
  const long rounds = isWindows() ? 60 : 4;
  const pid_t pid = ProgramPid();
  const long from = SleepsOf(pid);
  const auto since = std::chrono::steady_clock::now();
  WaitUntil([&] {
    const long now = SleepsOf(pid);
    const bool gone = now < 0 || from < 0;
    return (gone || now - from >= rounds) && std::chrono::steady_clock::now() - since >= 150ms;
  });
  Sync();
}

void App::Focus() const {
  Window focused = 0;
  int revert = 0;
  XGetInputFocus(display_, &focused, &revert);
  if (focused == window_) return;
  XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
  Sync();
  // Wine activates its window only once it has handled the FocusIn.
  Quiesce();
}

// The short pauses after each input below space it out as a hand would;
// they wait for nothing. What the input changes is read with a wait:
// Quiesce, or a condition polled until it holds.
void App::MoveMouseScreen(int x, int y) const {
  XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
  Sync();
  Sleep(30ms);
}

void App::MoveMouse(int x, int y) const {
  Geometry g = geometry();
  MoveMouseScreen(g.x + x, g.y + y);
}

void App::ButtonDown(int button) const {
  XTestFakeButtonEvent(display_, button, True, CurrentTime);
  Sync();
  Sleep(40ms);
}

void App::ButtonUp(int button) const {
  XTestFakeButtonEvent(display_, button, False, CurrentTime);
  Sync();
  Sleep(60ms);
}

void App::Click(int x, int y) const {
  MoveMouse(x, y);
  ButtonDown();
  ButtonUp();
  Sleep(60ms);
}

void App::Drag(int x0, int y0, int x1, int y1) const {
  Geometry g = geometry();
  MoveMouseScreen(g.x + x0, g.y + y0);
  ButtonDown();
  // The drag starts where the pointer is when the program handles the press.
  Quiesce();
  const int steps = 10;
  for (int i = 1; i <= steps; ++i) MoveMouseScreen(g.x + x0 + (x1 - x0) * i / steps, g.y + y0 + (y1 - y0) * i / steps);
  ButtonUp();
  Sleep(100ms);
}

void App::Wheel(int x, int y, int steps) const {
  MoveMouse(x, y);
  int button = steps > 0 ? 4 : 5;
  for (int i = 0; i < std::abs(steps); ++i) {
    XTestFakeButtonEvent(display_, button, True, CurrentTime);
    XTestFakeButtonEvent(display_, button, False, CurrentTime);
    Sync();
    Sleep(60ms);
  }
}

void App::KeyDown(unsigned long keysym) const {
  KeyCode code = XKeysymToKeycode(display_, keysym);
  EXPECT_NE(code, 0) << "no key code for keysym " << keysym;
  XTestFakeKeyEvent(display_, code, True, CurrentTime);
  Sync();
  Sleep(30ms);
}

void App::KeyUp(unsigned long keysym) const {
  XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), False, CurrentTime);
  Sync();
  Sleep(50ms);
}

void App::Key(unsigned long keysym) const {
  KeyDown(keysym);
  KeyUp(keysym);
}

void App::ControlKey(unsigned long keysym) const {
  KeyDown(XK_Control_L);
  Key(keysym);
  KeyUp(XK_Control_L);
}

void App::Type(const std::string& text) const {
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (std::isupper(u)) {
      KeyDown(XK_Shift_L);
      Key(static_cast<unsigned long>(std::tolower(u)));
      KeyUp(XK_Shift_L);
    } else if (std::isalnum(u)) {
      Key(u);
    } else if (c == ' ') {
      Key(XK_space);
    } else if (c == '-') {
      Key(XK_minus);
    } else if (c == '.') {
      Key(XK_period);
    } else {
      ADD_FAILURE() << "Type() has no key for '" << c << "'";
    }
  }
}

void App::Hotkey(unsigned long keysym) const {
  if (isWindows()) Focus();
  Key(keysym);
}

long App::ResidentKiB() const {
  pid_t pid = ProgramPid();
  if (pid <= 0) return -1;
  std::istringstream in(ReadWholeFile("/proc/" + std::to_string(pid) + "/status"));
  for (std::string line; std::getline(in, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

bool App::Running() {
  if (child_ <= 0) return false;
  if (exitStatus_) return false;
  int status = 0;
  pid_t r = waitpid(child_, &status, WNOHANG);
  if (r == child_) {
    exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return false;
  }
  return r == 0;
}

std::optional<int> App::WaitExit(Millis timeout) {
  WaitUntil([&] { return !Running(); }, timeout);
  return exitStatus_;
}

void App::Kill() {
  if (child_ <= 0) return;
  if (Running()) {
    pid_t program = ProgramPid();
    if (program > 0 && program != child_) kill(program, SIGKILL);
    kill(child_, SIGKILL);
    WaitExit(5s);
  }
  child_ = -1;
  window_ = 0;
}

void AppTest::SetUp() {
  app_ = std::make_unique<App>(GetParam());
  ASSERT_TRUE(std::filesystem::exists(BinaryFor(GetParam())))
      << "the " << GetParam() << " binary is missing: " << BinaryFor(GetParam());
}

void AppTest::TearDown() {
  // The window as it was when the test failed, for the one who reads the log.
  std::string dir = Env("BRENVIK_E2E_FAILURE_DIR");
  if (HasFailure() && !dir.empty() && app_ && app_->window() && app_->Running()) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.') c = '_';
    std::error_code ec;
    fs::create_directories(dir, ec);
    app_->Capture().WritePng((fs::path(dir) / (name + ".png")).string());
  }
  app_.reset();
}

}  // namespace e2e
