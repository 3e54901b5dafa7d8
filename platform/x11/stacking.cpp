#include "x11/stacking.h"

namespace platform::x11 {

Window HighestCovering(Display* dpy, Window w) {
  Window root = None, parent = None, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count)) return None;
  Window covering = None;
  // The children come bottom first: look down from the top to `w`.
  for (unsigned i = count; i-- > 0 && children[i] != w;) {
    XWindowAttributes attrs{};
    if (XGetWindowAttributes(dpy, children[i], &attrs) && attrs.map_state == IsViewable && !attrs.override_redirect) {
      covering = children[i];
      break;
    }
  }
  if (children) XFree(children);
  return covering;
}

void StackJustAbove(Display* dpy, Window w, Window sibling) {
  XWindowChanges changes{};
  changes.sibling = sibling;
  changes.stack_mode = Above;
  XConfigureWindow(dpy, w, CWSibling | CWStackMode, &changes);
}

}  // namespace platform::x11
