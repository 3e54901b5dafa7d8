// Who stacks the overlay. On an X server a window manager would put a
// focused fullscreen game over it, so it is unmanaged there. Under XWayland
// the compositor decides: Mutter needs it managed, KWin managed while it
// has the keyboard.
#pragma once

#include <string>

#include "x11/xlib.h"

namespace platform::x11 {

enum class Hosting {
  // Override-redirect: it keeps itself on top and takes the keyboard itself
  // (X11 window managers, sway, any other compositor).
  Unmanaged,
  // KWin on Wayland gives the keyboard to no unmanaged window, and puts a
  // focused fullscreen window over managed ones: unmanaged, and managed
  // only from a click in interactive mode until the keyboard goes elsewhere.
  ManagedForKeys,
  // A keep-above window the manager stacks: Mutter on Wayland. Before
  // XWayland 24.1 only a managed window's input shape reaches Mutter, so an
  // unmanaged overlay would keep the clicks meant for a native game.
  Managed,
};

// Whether the X server is XWayland: it offers the XWAYLAND extension, or
// the session is a Wayland one.
bool IsXWayland(Display* dpy);

// The hosting for the overlay under the window manager of that name.
Hosting ChooseHosting(bool xwayland, const std::string& managerName);

}  // namespace platform::x11
