// Where the system-wide hotkeys come from: the X server's key grabs, or the
// desktop's global shortcuts on Wayland. One source holds all the keys.
#pragma once

#include "win32_layer.h"

namespace platform::x11 {

// What a source needs from the driver's wait besides the X connection.
struct PollNeed {
  int fd = -1;  // -1: nothing to watch
  short events = 0;
  int timeoutMs = -1;  // -1: no deadline of its own
};

class HotkeySource {
 public:
  virtual ~HotkeySource() = default;
  // A bare key under a hotkey id; false when it cannot be had.
  virtual bool Add(int id, UINT vk) = 0;
  virtual void Remove(UINT vk) = 0;
  // Sends what waits to be sent and says what the wait must watch.
  virtual PollNeed PrepareWait() { return {}; }
  // Handles what arrived on the descriptor (or its deadline passed).
  virtual void Process() {}
};

}  // namespace platform::x11
