// An unmanaged window keeps itself above the others: no window manager
// does it, and none may put a focused fullscreen game over it.
#pragma once

#include "x11/xlib.h"

namespace platform::x11 {

// Whether a viewable window that a manager placed (or that stands on its own
// without one) is stacked above `w` among the root's children. Other
// unmanaged windows (menus, tooltips, another overlay) do not count: two
// overlays raising in turn would never end.
bool CoveredByAnother(Display* dpy, Window w);

}  // namespace platform::x11
