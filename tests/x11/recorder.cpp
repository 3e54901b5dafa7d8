#include "recorder.h"

#include "events.h"

namespace x11test {

std::vector<Event>& Events() {
  static std::vector<Event> events;
  return events;
}

std::vector<Event> EventsOf(Got kind) {
  std::vector<Event> out;
  for (const Event& e : Events())
    if (e.kind == kind) out.push_back(e);
  return out;
}

}  // namespace x11test

using x11test::Events;
using x11test::Got;

namespace platform {

void OnMouseMove(HWND top, int x, int y) { Events().push_back({.kind = Got::Move, .hwnd = top, .x = x, .y = y}); }
void OnButton(HWND top, bool down, int x, int y) {
  Events().push_back({.kind = Got::Button, .hwnd = top, .x = x, .y = y, .down = down});
}
void OnWheel(HWND top, int delta, int x, int y) {
  Events().push_back({.kind = Got::Wheel, .hwnd = top, .x = x, .y = y, .delta = delta});
}
void OnKey(HWND top, UINT vk, UINT scan, bool extended, bool down, bool repeat, bool alt) {
  Events().push_back({.kind = Got::Key,
                      .hwnd = top,
                      .down = down,
                      .vk = vk,
                      .scan = scan,
                      .extended = extended,
                      .repeat = repeat,
                      .alt = alt});
}
void OnChar(HWND top, WCHAR ch) { Events().push_back({.kind = Got::Char, .hwnd = top, .ch = ch}); }
void OnHotkey(UINT vk) { Events().push_back({.kind = Got::Hotkey, .vk = vk}); }
void OnExpose(HWND top, const RECT& area) { Events().push_back({.kind = Got::Exposure, .hwnd = top, .area = area}); }
void OnFocusChange(HWND top, bool focused) { Events().push_back({.kind = Got::Focus, .hwnd = top, .down = focused}); }
void OnMoved(HWND top, int x, int y) { Events().push_back({.kind = Got::Moved, .hwnd = top, .x = x, .y = y}); }

}  // namespace platform

// The driver asks for the parent of a window it does not know; here every
// window is a top-level.
HWND GetParent(HWND) { return nullptr; }
