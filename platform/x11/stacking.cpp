#include "x11/stacking.h"

namespace platform::x11 {

bool CoveredByAnother(Display* dpy, Window w) {
  Window root = None, parent = None, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count)) return false;
  bool covered = false;
  bool above = false;  // the children come bottom first
  for (unsigned i = 0; i < count && !covered; ++i) {
    if (children[i] == w) {
      above = true;
      continue;
    }
    if (!above) continue;
    XWindowAttributes attrs{};
    covered = XGetWindowAttributes(dpy, children[i], &attrs) && attrs.map_state == IsViewable &&
              !attrs.override_redirect;
  }
  if (children) XFree(children);
  return covered;
}

}  // namespace platform::x11
