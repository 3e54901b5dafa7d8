// Another X client beside the driver (a game, a desktop): it injects input
// with XTest, owns windows and reads what the server holds.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../common/wait_until.h"
#include "recorder.h"
#include "x11/x11_driver.h"

namespace x11test {

inline constexpr int kHangMs = static_cast<int>(testwait::kHangLimit.count());

class OtherClient {
 public:
  OtherClient();
  ~OtherClient();
  OtherClient(const OtherClient&) = delete;
  OtherClient& operator=(const OtherClient&) = delete;

  Display* dpy() const { return dpy_; }
  Atom AtomNamed(const char* name);
  // A mapped window of this client; its events go to this client.
  Window MapWindow(int x, int y, int width, int height, long eventMask);
  void Focus(Window w);

  void Key(KeySym sym, bool down);
  void Tap(KeySym sym);
  void MovePointer(int x, int y);
  void Button(unsigned button, bool down);
  void Click(int x, int y);
  void SetNumLock(bool on);
  // A passive grab of this client on the root window; false when refused.
  bool GrabKey(KeySym sym, unsigned modifiers);

  std::vector<long> Longs(Window w, const char* property);
  std::string Bytes(Window w, const char* property);
  // The window's pixels as 0x00RRGGBB, row by row.
  std::vector<std::uint32_t> Pixels(Window w, int x, int y, int width, int height);
  // Takes the next event of a kind for this window, waiting up to `ms`.
  // After its round trip to the server, an event the server made before is
  // already here: a short `ms` shows that one did not come.
  bool NextEvent(Window w, int type, XEvent* ev, int ms = kHangMs);

 private:
  Display* dpy_;
  std::vector<Window> windows_;
};

// Runs the driver's event loop until `done()` holds or `ms` pass.
template <class Done>
bool PumpUntil(platform::X11Driver& driver, Done done, int ms = kHangMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  XSync(driver.display(), False);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    driver.WaitAndDispatchEvents(10);
  }
  return true;
}

// Runs the driver's event loop for a while (to show that something does not
// come). Its round trip first brings in all the server made before: the
// events of input that the other client sent and synced.
void Pump(platform::X11Driver& driver, int ms);

HWND FakeHwnd(int n);

// The driver, another client, and an overlay window like the program's.
class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A window with the overlay's styles, shown, at (x, y) on the screen.
  HWND ShowOverlay(int x = 100, int y = 100, int width = 320, int height = 373);

  std::unique_ptr<platform::X11Driver> driver;
  std::unique_ptr<OtherClient> other;
};

}  // namespace x11test
