// Hotkeys as passive grabs of bare keys on the root window. Under XWayland
// they fire only while an X11 window has the keyboard.
#pragma once

#include "x11/xlib.h"

#include <map>
#include <vector>

#include "hotkey_source.h"

namespace platform::x11 {

class RootKeyGrabs final : public HotkeySource {
 public:
  RootKeyGrabs(Display* dpy, Window root);
  bool Add(int id, UINT vk) override;
  void Remove(UINT vk) override;
  // A key press on the root window: one of ours when bare.
  void HandleKey(const XKeyEvent& ev);
  // After a new keymap: keys and locks may sit elsewhere now.
  void GrabAgain();

 private:
  // The keycode that gives `vk` in the current keymap, 0 when none does.
  int KeycodeOf(UINT vk);
  // Grabs the key that gives `vk` now; its keycode, 0 when it has none or
  // another hotkey or client holds it.
  int GrabFreeKeycode(UINT vk);

  Display* dpy_;
  Window root_;
  std::vector<unsigned> lockCombinations_;
  std::map<UINT, int> keycodes_;  // vk -> grabbed keycode, 0 while it has none
};

}  // namespace platform::x11
