// The atoms the driver uses, interned once per connection.
#pragma once

#include "x11/xlib.h"

namespace platform::x11 {

struct Atoms {
  Atom utf8String;
  Atom netWmName;
  Atom netWmState;
  Atom netWmStateAbove;
  Atom netWmStateSkipTaskbar;
  Atom netWmStateSkipPager;
  Atom netWmWindowType;
  Atom netWmWindowTypeUtility;
  Atom netWmWindowTypeNormal;
  Atom netWmWindowOpacity;
  Atom netWmUserTime;
  Atom netWmPid;
  Atom netActiveWindow;
  Atom netSupportingWmCheck;
  Atom wmState;
  Atom motifWmHints;
  Atom clipboard;
  Atom targets;
  Atom pasteProperty;  // where a converted selection is delivered to us
};

Atoms InternAtoms(Display* dpy);

}  // namespace platform::x11
