// The overlay as an unmanaged window: it stays on top of whatever the
// manager raises, and takes and gives back the keyboard itself.
#include "x11/key_grabs.h"
#include "x11/stacking.h"
#include "x11/window_props.h"
#include "x11/x11_driver.h"
#include "x11/x_errors.h"

namespace platform {
namespace {

// How long a manager may take to let a window go before it is mapped
// unmanaged anyway.
constexpr auto kLetGoWait = std::chrono::seconds(1);

// The shell repaints this often: the overlay is back on top within one
// repaint, and looks (and raises) no more often, however busy the desktop.
constexpr auto kLookGap = std::chrono::milliseconds(15);

}  // namespace

void X11Driver::HandleRootNotice(const XEvent& ev) {
  Window moved = None;
  switch (ev.type) {
    case ConfigureNotify: moved = ev.xconfigure.window; break;
    case MapNotify: moved = ev.xmap.window; break;
    case CirculateNotify: moved = ev.xcirculate.window; break;
    case ReparentNotify: moved = ev.xreparent.window; break;
    default: return;
  }
  // Our own raises and moves cover nothing.
  if (!FindByXWindow(moved)) restacked_ = true;
}

bool X11Driver::PutBackOnTop(TopLevel& top) {
  eventsMayWait_ = true;
  const Window over = x11::HighestCovering(dpy_, top.xwin);
  if (over == None) return false;
  x11::StackJustAbove(dpy_, top.xwin, over);
  return true;
}

int X11Driver::KeepOnTop() {
  if (!restacked_) return -1;
  using namespace std::chrono;
  const auto now = steady_clock::now();
  if (now - lastLook_ < kLookGap)
    return static_cast<int>(duration_cast<milliseconds>(kLookGap - (now - lastLook_)).count()) + 1;
  restacked_ = false;
  lastLook_ = now;
  for (auto& [hwnd, top] : tops_)
    if (top.unmanaged && top.mapRequested) PutBackOnTop(top);
  XFlush(dpy_);
  return -1;
}

void X11Driver::WatchPressesElsewhere(bool watch) {
  if (watch == watchingPresses_) return;
  watchingPresses_ = watch;
  eventsMayWait_ = true;
  if (!watch) {
    for (const auto& [button, modifiers] : pressGrabs_) XUngrabButton(dpy_, button, modifiers, root_);
    pressGrabs_.clear();
    XFlush(dpy_);
    return;
  }
  // A synchronous grab holds each press until we pass it on, unchanged, to
  // where it was going.
  auto grab = [&](unsigned button, unsigned modifiers) {
    XGrabButton(dpy_, button, modifiers, root_, False, ButtonPressMask, GrabModeSync, GrabModeAsync, None, None);
    pressGrabs_.emplace_back(button, modifiers);
  };
  x11::ErrorTrap every(dpy_);
  grab(AnyButton, AnyModifier);
  if (every.Finish() == 0) return;
  pressGrabs_.clear();
  // The manager holds some presses on the root (with its modifier): take
  // the plain ones, whatever the locks.
  x11::ErrorTrap plain(dpy_);
  for (unsigned button : {Button1, Button2, Button3})
    for (unsigned modifiers : x11::LockCombinations(x11::FindLockMasks(dpy_))) grab(button, modifiers);
  plain.Finish();
}

void X11Driver::HandlePressElsewhere(const XButtonEvent& ev) {
  const TopLevel* on = FindByXWindow(ev.subwindow);
  if (!on || on->passThrough) GiveKeyboardBack(ev.time);
  XAllowEvents(dpy_, ReplayPointer, ev.time);
  XFlush(dpy_);
}

void X11Driver::GiveKeyboardBack(Time time) {
  Window to = focusBefore_;
  focusBefore_ = None;
  XWindowAttributes attrs{};
  if (to == None || !XGetWindowAttributes(dpy_, to, &attrs) || attrs.map_state != IsViewable) to = PointerRoot;
  XSetInputFocus(dpy_, to, RevertToPointerRoot, time);
  eventsMayWait_ = true;
  XFlush(dpy_);
}

void X11Driver::SetOverrideRedirect(TopLevel& top, bool unmanaged) {
  XSetWindowAttributes attrs{};
  attrs.override_redirect = unmanaged ? True : False;
  XChangeWindowAttributes(dpy_, top.xwin, CWOverrideRedirect, &attrs);
  top.unmanaged = unmanaged;
}

void X11Driver::ManageForKeys(TopLevel& top, bool managed) {
  if (!top.overlay || hosting_ != x11::Hosting::ManagedForKeys || top.managedForKeys == managed) return;
  top.managedForKeys = managed;
  eventsMayWait_ = true;
  RememberRequested(top.wanted);  // the manager's word on where it is now is no move
  if (!top.mapRequested) {
    top.unmanagePending = false;
    SetOverrideRedirect(top, !managed);
    XFlush(dpy_);
    return;
  }
  if (managed) {
    // Nobody holds an unmanaged window: unmap it, and map it for the manager.
    top.unmanagePending = false;
    if (top.focused) WatchPressesElsewhere(false);
    XUnmapWindow(dpy_, top.xwin);
    SetOverrideRedirect(top, false);
    top.mapRequested = false;
    ShowTopLevel(top.hwnd, true);
    return;
  }
  // The manager must let the window go before it may map unmanaged.
  top.unmanagePending = true;
  top.unmanageBy = std::chrono::steady_clock::now() + kLetGoWait;
  XWithdrawWindow(dpy_, top.xwin, screen_);
  XFlush(dpy_);
}

void X11Driver::FinishUnmanage(TopLevel& top, bool late) {
  if (!top.unmanagePending) return;
  eventsMayWait_ = true;
  if (!late && (top.mapped || top.wmFrame != None || x11::ManagerHolds(dpy_, top.xwin, atoms_))) return;
  top.unmanagePending = false;
  SetOverrideRedirect(top, true);
  if (top.wmFrame != None) {
    XReparentWindow(dpy_, top.xwin, root_, top.wanted.x, top.wanted.y);
    top.wmFrame = None;
    top.frameOffset = {0, 0};
  }
  XMoveWindow(dpy_, top.xwin, top.wanted.x, top.wanted.y);
  XMapRaised(dpy_, top.xwin);
  if (top.passThrough) SetPassThrough(top);
  XFlush(dpy_);
}

int X11Driver::FinishLateUnmanages() {
  using namespace std::chrono;
  int dueMs = -1;
  const auto now = steady_clock::now();
  for (auto& [hwnd, top] : tops_) {
    if (!top.unmanagePending) continue;
    if (now >= top.unmanageBy) {
      FinishUnmanage(top, true);
      continue;
    }
    const int ms = static_cast<int>(duration_cast<milliseconds>(top.unmanageBy - now).count()) + 1;
    if (dueMs < 0 || ms < dueMs) dueMs = ms;
  }
  return dueMs;
}

}  // namespace platform
