// Stands in for the window model: records what the driver hands it.
#pragma once

#include <vector>

#include "win32_layer.h"

namespace x11test {

enum class Got { Move, Button, Wheel, Key, Char, Hotkey, Exposure, Focus, Moved };

struct Event {
  Got kind;
  HWND hwnd = nullptr;
  int x = 0, y = 0;   // Move, Button, Wheel, Moved
  bool down = false;  // Button, Key; Focus: focused
  int delta = 0;
  UINT vk = 0, scan = 0;
  bool extended = false, repeat = false, alt = false;
  WCHAR ch = 0;
  RECT area{};
};

std::vector<Event>& Events();
std::vector<Event> EventsOf(Got kind);

}  // namespace x11test
