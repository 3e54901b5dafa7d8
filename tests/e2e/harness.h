// End-to-end harness: starts a real Brenvik binary (the Linux build, or the
// Windows build under Wine) in a fresh working directory, finds its window on
// the X server, reads its pixels from the server, drives it with XTest input
// and reads the files it writes.
#pragma once

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <sys/types.h>

#include "../common/wait_until.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;
using Millis = std::chrono::milliseconds;
using testwait::kHangLimit;
using testwait::WaitUntil;

struct Rgb {
  int r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};
std::string ToString(Rgb c);
void PrintTo(const Rgb& c, std::ostream* os);
// Every channel within tolerance.
bool Near(Rgb a, Rgb b, int tolerance);

// A pixel area in client coordinates: left and top included, right and bottom
// excluded.
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// Pixels of a window as read from the X server.
class Image {
 public:
  Image() = default;
  Image(int width, int height, std::vector<Rgb> pixels);
  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return pixels_.empty(); }
  // Outside the image gives RGB(-1, -1, -1), which matches no colour.
  Rgb At(int x, int y) const;
  int CountExact(Box area, Rgb colour) const;
  int CountNear(Box area, Rgb colour, int tolerance) const;
  bool AllExact(Box area, Rgb colour) const;
  // First y in [top, bottom) at which column x holds the colour, or -1.
  int FindInColumn(int x, int top, int bottom, Rgb colour) const;
  bool WritePng(const std::string& path) const;

 private:
  int width_ = 0, height_ = 0;
  std::vector<Rgb> pixels_;
};

// Identity of a file's current content: a rewrite (in place or by rename)
// changes it.
struct FileStamp {
  unsigned long inode = 0;
  long long modifiedNs = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

struct Geometry {
  int x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const Geometry&, const Geometry&) = default;
};

// The targets listed in BRENVIK_E2E_TARGETS ("windows", "linux"); "windows"
// when the variable is unset.
std::vector<std::string> ListedTargets();
// The binary of a target: BRENVIK_WINDOWS_EXE / BRENVIK_LINUX_EXE from the
// environment, else the path the build compiled in.
std::string BinaryFor(const std::string& target);
// Test-name suffix for INSTANTIATE_TEST_SUITE_P.
std::string TargetParamName(const ::testing::TestParamInfo<std::string>& info);

// One run of the binary in its own temporary working directory. The directory
// lives as long as the App, so a test can start the binary again over the
// files an earlier start left.
class App {
 public:
  explicit App(std::string target);
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  const std::string& target() const { return target_; }
  bool isWindows() const { return target_ == "windows"; }
  const std::filesystem::path& dir() const { return dir_; }

  // Files of the working directory.
  void WriteFile(const std::string& name, const std::string& bytes) const;
  std::optional<std::string> ReadFile(const std::string& name) const;
  std::vector<std::string> ListFiles() const;
  std::optional<FileStamp> Stamp(const std::string& name) const;

  // Starts this command line instead of the binary (in dir() all the same):
  // a launcher that ends by exec-ing the Linux binary.
  void SetCommand(std::vector<std::string> argv) { command_ = std::move(argv); }
  // Starts the binary, finds its window and waits until it has settled.
  ::testing::AssertionResult Start();
  // Waits until the window's geometry has stayed the same for a while and the
  // window shows the background colour at its right edge.
  ::testing::AssertionResult Settle(Millis timeout = kHangLimit);

  Display* display() const { return display_; }
  Window window() const { return window_; }
  pid_t pid() const { return child_; }
  // The process that runs the program: the child itself on Linux, the Wine
  // process whose command line names brenvik.exe on Windows.
  pid_t ProgramPid() const;

  // Current screen geometry of the window.
  Geometry geometry() const;
  // Waits until the geometry is the wanted one: a move or resize reaches the
  // server a little after the input that caused it.
  ::testing::AssertionResult GeometryBecomes(const Geometry& want, Millis timeout = kHangLimit) const;
  ::testing::AssertionResult HeightBecomes(int want, Millis timeout = kHangLimit) const;
  // A file written in answer to a press: the program may take a moment on a loaded machine.
  ::testing::AssertionResult FileBecomes(const std::string& name, const std::string& want,
                                         Millis timeout = kHangLimit) const;
  // Waits until the program has handled all input sent so far and drawn what
  // it changed: its message loop has gone round several times since. For
  // what shows no change to wait for: a key that must do nothing, a file
  // that must not be written.
  void Quiesce() const;
  // The window's pixels, read from the root window (no compositor runs, so
  // the root shows the window's exact pixels).
  Image Capture() const;
  // Reads the window's own pixels from then on: under a compositor the
  // screen shows it blended with what lies beneath.
  void ReadOwnPixels() { ownPixels_ = true; }
  Rgb Pixel(int x, int y) const;
  // Writes the window to $BRENVIK_SCREENSHOT_DIR/<target>-<name>.png when
  // the variable is set.
  void Screenshot(const std::string& name) const;

  // Input. Coordinates are client pixels of the window.
  void Focus() const;
  void MoveMouse(int x, int y) const;
  void MoveMouseScreen(int x, int y) const;
  void ButtonDown(int button = 1) const;
  void ButtonUp(int button = 1) const;
  void Click(int x, int y) const;
  // Press at (x0, y0), move in steps to (x1, y1), release.
  void Drag(int x0, int y0, int x1, int y1) const;
  // Positive steps turn the wheel up (button 4), negative down (button 5).
  void Wheel(int x, int y, int steps) const;
  void KeyDown(unsigned long keysym) const;
  void KeyUp(unsigned long keysym) const;
  void Key(unsigned long keysym) const;
  // A key with Control held.
  void ControlKey(unsigned long keysym) const;
  // Types ASCII letters, digits and a few symbols (Shift for capitals).
  void Type(const std::string& text) const;
  // Focuses the window (Wine's hotkeys fire only then) and presses the key.
  void Hotkey(unsigned long keysym) const;

  // Resident memory of the program process in KiB, or -1.
  long ResidentKiB() const;

  bool Running();
  // The exit status of the started process, or nothing on time-out.
  std::optional<int> WaitExit(Millis timeout);
  void Kill();

 private:
  ::testing::AssertionResult Launch();
  ::testing::AssertionResult FindWindow(Millis timeout);
  void Sync() const;

  std::string target_;
  std::string binary_;
  std::vector<std::string> command_;
  std::filesystem::path dir_;
  Display* display_ = nullptr;
  Window window_ = 0;
  pid_t child_ = -1;
  std::optional<int> exitStatus_;
  bool ownPixels_ = false;
};

// A pause that is not a wait for the program: input pacing, a hold.
void Sleep(Millis d);

// The fixture: one App for the target of the test parameter. TearDown kills
// whatever is left of the process.
class AppTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override;
  void TearDown() override;
  App& app() { return *app_; }

 private:
  std::unique_ptr<App> app_;
};

}  // namespace e2e

// Runs a suite of AppTest-derived tests once for every listed target.
#define BRENVIK_E2E_TARGETS(Suite) \
  INSTANTIATE_TEST_SUITE_P(Targets, Suite, ::testing::ValuesIn(::e2e::ListedTargets()), ::e2e::TargetParamName)
