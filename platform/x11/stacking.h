// An unmanaged window keeps itself above the others: no window manager
// does it, and none may put a focused fullscreen game over it.
#pragma once

#include "x11/xlib.h"

namespace platform::x11 {

// The highest viewable window stacked above `w` among the root's children
// that a manager placed (or that stands on its own without one); None when
// nothing covers `w`. Other unmanaged windows (menus, tooltips, another
// overlay) do not count: two overlays raising in turn would never end.
Window HighestCovering(Display* dpy, Window w);

// Restacks `w` just above `sibling`, below any unmanaged window over it.
void StackJustAbove(Display* dpy, Window w, Window sibling);

}  // namespace platform::x11
