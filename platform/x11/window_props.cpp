#include "x11/window_props.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <unistd.h>

#include "x11/text.h"

namespace platform::x11 {
namespace {

void SetCardinals(Display* dpy, Window w, Atom property, Atom type, const std::vector<long>& values) {
  // Format 32 properties are passed as longs, also where long has 64 bits.
  XChangeProperty(dpy, w, property, type, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(values.data()),
                  static_cast<int>(values.size()));
}

void SetBytes(Display* dpy, Window w, Atom property, Atom type, const std::string& bytes) {
  XChangeProperty(dpy, w, property, type, 8, PropModeReplace, reinterpret_cast<const unsigned char*>(bytes.data()),
                  static_cast<int>(bytes.size()));
}

}  // namespace

void SetWindowIdentity(Display* dpy, Window w, const Atoms& atoms, const std::wstring& title,
                       const std::wstring& className) {
  SetBytes(dpy, w, XA_WM_NAME, XA_STRING, ToLatin1(title));
  SetBytes(dpy, w, atoms.netWmName, atoms.utf8String, ToUtf8(title));
  const std::string name = ToLatin1(className);
  // WM_CLASS is two NUL-terminated strings: instance, then class.
  SetBytes(dpy, w, XA_WM_CLASS, XA_STRING, name + '\0' + name + '\0');
  SetCardinals(dpy, w, atoms.netWmPid, XA_CARDINAL, {static_cast<long>(getpid())});
}

std::vector<Atom> WantedStates(const Atoms& atoms, DWORD exStyle) {
  std::vector<Atom> states;
  if (exStyle & WS_EX_TOPMOST) states.push_back(atoms.netWmStateAbove);
  if (exStyle & WS_EX_TOOLWINDOW) {
    states.push_back(atoms.netWmStateSkipTaskbar);
    states.push_back(atoms.netWmStateSkipPager);
  }
  return states;
}

void SetManagementHints(Display* dpy, Window w, const Atoms& atoms, DWORD style, DWORD exStyle) {
  if (exStyle & WS_EX_TOOLWINDOW)
    SetCardinals(dpy, w, atoms.netWmWindowType, XA_ATOM, {static_cast<long>(atoms.netWmWindowTypeUtility)});
  if (style & WS_POPUP) {
    // flags: decorations given; decorations: none.
    SetCardinals(dpy, w, atoms.motifWmHints, atoms.motifWmHints, {2, 0, 0, 0, 0});
  }
  SetKeyboardWanted(dpy, w, false);
  // The input hint keeps the game's focus. A user time of 0 would say the
  // same, but Mutter and KWin then mark the overlay "demands attention"; one
  // left from an earlier press could make a manager focus it at map.
  XDeleteProperty(dpy, w, atoms.netWmUserTime);
  std::vector<long> states;
  for (Atom a : WantedStates(atoms, exStyle)) states.push_back(static_cast<long>(a));
  SetCardinals(dpy, w, atoms.netWmState, XA_ATOM, states);
}

void SetKeyboardWanted(Display* dpy, Window w, bool wanted) {
  XWMHints hints{};
  hints.flags = InputHint | StateHint;
  hints.input = wanted ? True : False;
  hints.initial_state = NormalState;
  XSetWMHints(dpy, w, &hints);
}

void MarkForTyping(Display* dpy, Window w, const Atoms& atoms) {
  SetCardinals(dpy, w, atoms.netWmWindowType, XA_ATOM, {static_cast<long>(atoms.netWmWindowTypeNormal)});
  SetKeyboardWanted(dpy, w, true);
}

void SetPlacementHints(Display* dpy, Window w, int x, int y, int width, int height) {
  XSizeHints hints{};
  hints.flags = USPosition | PPosition | USSize | PSize | PMinSize | PMaxSize | PWinGravity;
  hints.x = x;
  hints.y = y;
  hints.width = hints.min_width = hints.max_width = width;
  hints.height = hints.min_height = hints.max_height = height;
  hints.win_gravity = NorthWestGravity;
  XSetWMNormalHints(dpy, w, &hints);
}

void RequestStates(Display* dpy, Window w, const Atoms& atoms, const std::vector<Atom>& states) {
  const Window root = DefaultRootWindow(dpy);
  for (size_t i = 0; i < states.size(); i += 2) {
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = atoms.netWmState;
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = 1;  // add
    ev.xclient.data.l[1] = static_cast<long>(states[i]);
    ev.xclient.data.l[2] = i + 1 < states.size() ? static_cast<long>(states[i + 1]) : 0;
    ev.xclient.data.l[3] = 1;  // from an application
    XSendEvent(dpy, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
  }
}

namespace {

Window CheckWindowNamedBy(Display* dpy, Window w, Atom property) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  Window named = None;
  if (XGetWindowProperty(dpy, w, property, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
      data) {
    if (type == XA_WINDOW && format == 32 && count == 1) named = static_cast<Window>(*reinterpret_cast<long*>(data));
    XFree(data);
  }
  return named;
}

}  // namespace

bool ManagerRunning(Display* dpy, const Atoms& atoms) {
  const Window check = CheckWindowNamedBy(dpy, DefaultRootWindow(dpy), atoms.netSupportingWmCheck);
  return check != None && CheckWindowNamedBy(dpy, check, atoms.netSupportingWmCheck) == check;
}

std::string ManagerName(Display* dpy, const Atoms& atoms) {
  if (!ManagerRunning(dpy, atoms)) return {};
  const Window check = CheckWindowNamedBy(dpy, DefaultRootWindow(dpy), atoms.netSupportingWmCheck);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string name;
  if (XGetWindowProperty(dpy, check, atoms.netWmName, 0, 256, False, atoms.utf8String, &type, &format, &count, &after,
                         &data) == Success &&
      data) {
    if (type == atoms.utf8String && format == 8) name.assign(reinterpret_cast<const char*>(data), count);
    XFree(data);
  }
  return name;
}

bool ManagerHolds(Display* dpy, Window w, const Atoms& atoms) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool holds = false;
  if (XGetWindowProperty(dpy, w, atoms.wmState, 0, 2, False, atoms.wmState, &type, &format, &count, &after, &data) ==
          Success &&
      data) {
    // The first field is the state: 0 is Withdrawn.
    if (type == atoms.wmState && format == 32 && count >= 1) holds = *reinterpret_cast<long*>(data) != WithdrawnState;
    XFree(data);
  }
  return holds;
}

void SetOpacityProperty(Display* dpy, Window w, const Atoms& atoms, BYTE alpha) {
  const unsigned long value = static_cast<unsigned long>(alpha) * 0x01010101ul;
  SetCardinals(dpy, w, atoms.netWmWindowOpacity, XA_CARDINAL, {static_cast<long>(value)});
}

void SetPointerPassThrough(Display* dpy, Window w, bool passThrough) {
  if (passThrough)
    XShapeCombineRectangles(dpy, w, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
  else
    XShapeCombineMask(dpy, w, ShapeInput, 0, 0, None, ShapeSet);
}

}  // namespace platform::x11
