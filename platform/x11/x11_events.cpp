// Events from the X server, handed to the window model.
#include <X11/XKBlib.h>

#include <algorithm>

#include "events.h"
#include "x11/clipboard.h"
#include "x11/key_grabs.h"
#include "x11/root_key_grabs.h"
#include "x11/keymap.h"
#include "x11/text.h"
#include "x11/window_props.h"
#include "x11/x11_driver.h"

namespace platform {

void X11Driver::Dispatch(XEvent& ev) {
  // The input method sees every event first and may consume it.
  if (XFilterEvent(&ev, None)) return;
  if (ev.type == KeyPress && ev.xkey.window == root_) return rootGrabs_->HandleKey(ev.xkey);
  if (ev.type == SelectionRequest) {
    if (ev.xselectionrequest.owner == selectionOwner_)
      x11::AnswerSelectionRequest(dpy_, atoms_, ev.xselectionrequest, clipboardText_);
    return;
  }
  if (ev.type == SelectionClear) {
    if (ev.xselectionclear.window == selectionOwner_) clipboardText_.clear();
    return;
  }
  if (ev.type == MappingNotify) {
    XRefreshKeyboardMapping(&ev.xmapping);
    // A new keymap (a layout switch; under XWayland every new keyboard) can
    // move our keys to other keycodes, and the locks to other modifiers.
    if (ev.xmapping.request != MappingPointer) RefreshKeyboard();
    return;
  }
  if (ev.xany.window == root_) {
    if (ev.type == ButtonPress)
      HandlePressElsewhere(ev.xbutton);
    else
      HandleRootNotice(ev);
    return;
  }
  TopLevel* top = FindByXWindow(ev.xany.window);
  if (!top) return;
  switch (ev.type) {
    case KeyPress:
    case KeyRelease: HandleKey(*top, ev.xkey, ev.type == KeyPress); break;
    case ButtonPress:
    case ButtonRelease: {
      const bool down = ev.type == ButtonPress;
      const XButtonEvent& b = ev.xbutton;
      if (b.button == Button1) {
        // As a click activates a window on Windows: the keyboard follows, so
        // a key can be captured on the Keybinds panel.
        top->buttonDown = down;
        if (down) {
          lastUserTime_ = b.time;
          TakeFocus(*top, b.time);
        }
        OnButton(top->hwnd, down, b.x, b.y);
        if (!down && top->keysOnRelease) {
          top->keysOnRelease = false;
          if (!top->passThrough) ManageForKeys(*top, true);
        }
      } else if (down && (b.button == Button4 || b.button == Button5)) {
        OnWheel(top->hwnd, b.button == Button4 ? WHEEL_DELTA : -WHEEL_DELTA, b.x, b.y);
      }
      break;
    }
    case MotionNotify: {
      // Only the latest of a run of moves matters.
      XMotionEvent m = ev.xmotion;
      XEvent next;
      while (XEventsQueued(dpy_, QueuedAlready) > 0) {
        XPeekEvent(dpy_, &next);
        if (next.type != MotionNotify || next.xmotion.window != m.window) break;
        XNextEvent(dpy_, &next);
        m = next.xmotion;
      }
      OnMouseMove(top->hwnd, m.x, m.y);
      break;
    }
    case Expose: {
      const RECT area{ev.xexpose.x, ev.xexpose.y, ev.xexpose.x + ev.xexpose.width, ev.xexpose.y + ev.xexpose.height};
      if (top->frame.width > 0)
        PutArea(*top, area);
      else
        OnExpose(top->hwnd, area);
      break;
    }
    case ConfigureNotify: HandleConfigure(*top, ev.xconfigure); break;
    case MapNotify:
      top->mapped = true;
      // Some window managers drop an input shape set before mapping.
      if (top->passThrough) SetPassThrough(*top);
      break;
    case UnmapNotify:
      top->mapped = false;
      FinishUnmanage(*top, false);
      break;
    case ReparentNotify:
      HandleReparent(*top, ev.xreparent);
      FinishUnmanage(*top, false);
      break;
    case PropertyNotify:
      if (ev.xproperty.atom == atoms_.wmState) FinishUnmanage(*top, false);
      break;
    case FocusIn:
    case FocusOut: {
      // A key grab (our own hotkeys included) moves the focus only for its
      // duration: that is no focus change for the window.
      if (ev.xfocus.mode == NotifyGrab || ev.xfocus.mode == NotifyUngrab) break;
      if (ev.xfocus.detail == NotifyPointer || ev.xfocus.detail == NotifyInferior) break;
      const bool focused = ev.type == FocusIn;
      top->focused = focused;
      if (top->unmanaged) WatchPressesElsewhere(focused);
      // The keys went elsewhere: unmanaged again, above a fullscreen game.
      if (!focused && top->managedForKeys && top->mapped) ManageForKeys(*top, false);
      if (top->ic) focused ? XSetICFocus(top->ic) : XUnsetICFocus(top->ic);
      if (!focused) keysDown_.clear();
      OnFocusChange(top->hwnd, focused);
      break;
    }
    default: break;
  }
}

void X11Driver::HandleKey(TopLevel& top, XKeyEvent& ev, bool down) {
  const KeyCode keycode = static_cast<KeyCode>(ev.keycode);
  KeySym sym = XkbKeycodeToKeysym(dpy_, keycode, 0, 0);
  if (x11::IsKeypadKeysym(sym) && (ev.state & numLockMask_)) {
    const KeySym withNumLock = XkbKeycodeToKeysym(dpy_, keycode, 0, 1);
    if (x11::IsKeypadKeysym(withNumLock)) sym = withNumLock;
  }
  x11::WindowsKey key = x11::KeyForKeysym(sym);
  // Evdev keycodes are set-1 scan codes plus 8: a key of another layout is
  // named by its place on the keyboard.
  if (key.vk == 0 && keycode >= 8 && keycode - 8 < 0x80) key = x11::KeyForScan(keycode - 8);
  bool repeat = false;
  if (down)
    repeat = !keysDown_.insert(keycode).second;
  else
    keysDown_.erase(keycode);
  const bool alt = (ev.state & Mod1Mask) || key.vk == VK_MENU || key.vk == VK_F10;
  if (key.vk != 0) OnKey(top.hwnd, key.vk, key.scan, key.extended, down, repeat, alt);
  if (down && !alt && !(ev.state & ControlMask)) TypeText(top, ev);
}

void X11Driver::TypeText(TopLevel& top, XKeyEvent& ev) {
  std::string buffer(32, '\0');
  std::wstring text;
  KeySym sym = NoSymbol;
  if (top.ic) {
    Status status = 0;
    int length = Xutf8LookupString(top.ic, &ev, buffer.data(), static_cast<int>(buffer.size()), &sym, &status);
    if (status == XBufferOverflow) {
      buffer.resize(static_cast<size_t>(length) + 1);
      length = Xutf8LookupString(top.ic, &ev, buffer.data(), static_cast<int>(buffer.size()), &sym, &status);
    }
    if (status != XLookupChars && status != XLookupBoth) return;
    text = x11::FromUtf8(std::string_view(buffer.data(), static_cast<size_t>(std::max(length, 0))));
  } else {
    const int length = XLookupString(&ev, buffer.data(), static_cast<int>(buffer.size()), &sym, nullptr);
    text = x11::FromLatin1(std::string_view(buffer.data(), static_cast<size_t>(std::max(length, 0))));
  }
  for (wchar_t ch : text)
    if (x11::IsTypedCharacter(ch)) OnChar(top.hwnd, ch);
}

void X11Driver::HandleReparent(TopLevel& top, const XReparentEvent& ev) {
  if (ev.window != top.xwin) return;
  const Window previous = top.wmFrame;
  // Some window managers nest the window in more than one frame: the
  // outermost one, the root's child, is the one placed and the one whose
  // input region clips all the others.
  Window frame = ev.parent;
  while (frame != root_ && frame != None) {
    Window rootReturn = None, parent = None, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(dpy_, frame, &rootReturn, &parent, &children, &count)) break;
    if (children) XFree(children);
    if (parent == root_ || parent == None) break;
    frame = parent;
  }
  eventsMayWait_ = true;
  top.wmFrame = frame == root_ ? None : frame;
  if (previous != None && previous != top.wmFrame) x11::SetPointerPassThrough(dpy_, previous, false);
  if (top.wmFrame == None) {
    top.frameOffset = {0, 0};
  } else {
    top.placementChecked = false;  // the frame may have pushed the window off its spot
    MeasureFrame(top);
  }
  if (top.passThrough || previous != None) SetPassThrough(top);
}

POINT X11Driver::RootPositionOf(const TopLevel& top) {
  int x = 0, y = 0;
  Window child = None;
  XTranslateCoordinates(dpy_, top.xwin, root_, 0, 0, &x, &y, &child);
  eventsMayWait_ = true;
  return {x, y};
}

void X11Driver::MeasureFrame(TopLevel& top) {
  if (top.wmFrame == None) return;
  Window rootReturn = None;
  int fx = 0, fy = 0;
  unsigned fw = 0, fh = 0, border = 0, depth = 0;
  eventsMayWait_ = true;
  if (!XGetGeometry(dpy_, top.wmFrame, &rootReturn, &fx, &fy, &fw, &fh, &border, &depth)) return;
  int outerX = 0, outerY = 0;
  Window child = None;
  // The frame's outer corner, its border included, is the point placed.
  XTranslateCoordinates(dpy_, top.wmFrame, root_, -static_cast<int>(border), -static_cast<int>(border), &outerX,
                        &outerY, &child);
  const POINT own = RootPositionOf(top);
  top.frameOffset = {own.x - outerX, own.y - outerY};
}

void X11Driver::HandleConfigure(TopLevel& top, const XConfigureEvent& ev) {
  if (ev.window != top.xwin) return;
  POINT at{ev.x, ev.y};
  if (top.wmFrame != None) {
    // Inside a frame the window's own root position is the truth, whatever
    // the notice says.
    MeasureFrame(top);
    at = RootPositionOf(top);
    if (!top.placementChecked) {
      top.placementChecked = true;
      if (at.x != top.wanted.x || at.y != top.wanted.y) {
        XMoveWindow(dpy_, top.xwin, top.wanted.x - top.frameOffset.x, top.wanted.y - top.frameOffset.y);
        XFlush(dpy_);
        return;
      }
    }
  } else if (!ev.send_event) {
    return;  // only a window manager's synthetic notice carries root coordinates
  }
  // One that repeats a position we asked for is no move by someone else.
  for (const POINT& p : requestedPositions_)
    if (p.x == at.x && p.y == at.y) return;
  OnMoved(top.hwnd, at.x, at.y);
}

void X11Driver::RefreshKeyboard() {
  numLockMask_ = x11::FindLockMasks(dpy_).numLock;
  rootGrabs_->GrabAgain();
}

}  // namespace platform
