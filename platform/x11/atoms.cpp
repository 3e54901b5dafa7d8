#include "x11/atoms.h"

namespace platform::x11 {

Atoms InternAtoms(Display* dpy) {
  const char* names[] = {
      "UTF8_STRING",
      "_NET_WM_NAME",
      "_NET_WM_STATE",
      "_NET_WM_STATE_ABOVE",
      "_NET_WM_STATE_SKIP_TASKBAR",
      "_NET_WM_STATE_SKIP_PAGER",
      "_NET_WM_WINDOW_TYPE",
      "_NET_WM_WINDOW_TYPE_UTILITY",
      "_NET_WM_WINDOW_TYPE_NORMAL",
      "_NET_WM_WINDOW_OPACITY",
      "_NET_WM_USER_TIME",
      "_NET_WM_PID",
      "_NET_ACTIVE_WINDOW",
      "_NET_SUPPORTING_WM_CHECK",
      "WM_STATE",
      "_MOTIF_WM_HINTS",
      "CLIPBOARD",
      "TARGETS",
      "BRENVIK_PASTE",
  };
  constexpr int kCount = sizeof(names) / sizeof(names[0]);
  Atom atoms[kCount];
  XInternAtoms(dpy, const_cast<char**>(names), kCount, False, atoms);
  int i = 0;
  Atoms a;
  a.utf8String = atoms[i++];
  a.netWmName = atoms[i++];
  a.netWmState = atoms[i++];
  a.netWmStateAbove = atoms[i++];
  a.netWmStateSkipTaskbar = atoms[i++];
  a.netWmStateSkipPager = atoms[i++];
  a.netWmWindowType = atoms[i++];
  a.netWmWindowTypeUtility = atoms[i++];
  a.netWmWindowTypeNormal = atoms[i++];
  a.netWmWindowOpacity = atoms[i++];
  a.netWmUserTime = atoms[i++];
  a.netWmPid = atoms[i++];
  a.netActiveWindow = atoms[i++];
  a.netSupportingWmCheck = atoms[i++];
  a.wmState = atoms[i++];
  a.motifWmHints = atoms[i++];
  a.clipboard = atoms[i++];
  a.targets = atoms[i++];
  a.pasteProperty = atoms[i++];
  static_assert(sizeof(Atoms) == kCount * sizeof(Atom), "one name per atom");
  return a;
}

}  // namespace platform::x11
