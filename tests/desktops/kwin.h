// KWin's side of a test: real input through its fake-input protocol, the
// windows as its scripting sees them, the composited pixels (ScreenShot2),
// and the global shortcuts it holds (kglobalaccel).
#pragma once

#include <systemd/sd-bus.h>

#include <optional>
#include <string>
#include <vector>

#include "harness.h"
#include "session.h"

namespace desktops {

class FakeInput {
 public:
  FakeInput();
  // Each returns when KWin has had the request.
  bool Key(unsigned code);
  bool MoveTo(int x, int y);
  bool Click(int x, int y);
  // The left button down there, and up where the pointer is.
  bool Press(int x, int y);
  bool Release();

 private:
  bool Send(const std::string& command);
  Child client_;
};

struct KWinWindow {
  std::string caption;
  bool keepAbove = false, active = false, fullScreen = false, skipTaskbar = false, demandsAttention = false;
  double opacity = 0;
  int layer = 0, stackingOrder = 0;
  e2e::Geometry frame;
};

class KWin {
 public:
  explicit KWin(sd_bus* bus) : bus_(bus), receiver_(bus) {}
  // The managed windows, from a script run inside KWin; empty on failure.
  std::vector<KWinWindow> Windows();
  std::optional<KWinWindow> Window(const std::string& caption);
  // The screen's pixels in an area, as composited.
  e2e::Image Screen(const e2e::Geometry& area);
  // The unique names of kglobalaccel's components.
  std::vector<std::string> ShortcutComponents();

 private:
  sd_bus* bus_;
  Receiver receiver_;
  unsigned scripts_ = 0;
};

}  // namespace desktops
