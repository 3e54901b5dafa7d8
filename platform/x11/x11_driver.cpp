#include "x11/x11_driver.h"

#include <X11/Xatom.h>

#include <X11/XKBlib.h>
#include <X11/cursorfont.h>
#include <fcntl.h>
#include <cstdlib>
#include <poll.h>
#include <unistd.h>

#include "x11/clipboard.h"
#include "x11/key_grabs.h"
#include "x11/keymap.h"
#include "x11/root_key_grabs.h"
#include "x11/window_props.h"
#include "x11/x_errors.h"

namespace platform {
namespace {

constexpr long kTopLevelEvents = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                                 PointerMotionMask | StructureNotifyMask | FocusChangeMask | PropertyChangeMask;
constexpr int kPasteTimeoutMs = 500;
// The name of our desktop entry, brenvik.desktop.
constexpr const char* kAppId = "brenvik";
constexpr size_t kRememberedPositions = 32;

int NativeByteOrder() {
  const std::uint16_t probe = 1;
  return *reinterpret_cast<const unsigned char*>(&probe) == 1 ? LSBFirst : MSBFirst;
}

// Frames are 0x00RRGGBB words: they go to the server as they are only on a
// 24-bit TrueColor visual with these masks.
bool FindFrameVisual(Display* dpy, int screen, XVisualInfo* info) {
  return XMatchVisualInfo(dpy, screen, 24, TrueColor, info) && info->red_mask == 0xFF0000 &&
         info->green_mask == 0x00FF00 && info->blue_mask == 0x0000FF;
}

}  // namespace

std::unique_ptr<X11Driver> X11Driver::Open(const char* displayName) {
  Display* dpy = XOpenDisplay(displayName);
  if (!dpy) return nullptr;
  int fds[2];
  if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
    XCloseDisplay(dpy);
    return nullptr;
  }
  return std::unique_ptr<X11Driver>(new X11Driver(dpy, fds[0], fds[1]));
}

X11Driver::X11Driver(Display* dpy, int wakeRead, int wakeWrite)
    : dpy_(dpy),
      screen_(DefaultScreen(dpy)),
      root_(RootWindow(dpy, DefaultScreen(dpy))),
      atoms_(x11::InternAtoms(dpy)),
      wakeRead_(wakeRead),
      wakeWrite_(wakeWrite) {
  x11::InstallQuietErrorHandler();
  XVisualInfo info;
  if (FindFrameVisual(dpy_, screen_, &info)) {
    visual_ = info.visual;
    depth_ = 24;
    colormap_ = visual_ == DefaultVisual(dpy_, screen_) ? DefaultColormap(dpy_, screen_)
                                                        : XCreateColormap(dpy_, root_, visual_, AllocNone);
  } else {
    visual_ = DefaultVisual(dpy_, screen_);
    depth_ = DefaultDepth(dpy_, screen_);
    colormap_ = DefaultColormap(dpy_, screen_);
  }
  // A held key then repeats as presses only, without releases in between.
  Bool supported = False;
  XkbSetDetectableAutoRepeat(dpy_, True, &supported);
  numLockMask_ = x11::FindLockMasks(dpy_).numLock;
  hosting_ = x11::ChooseHosting(x11::IsXWayland(dpy_), x11::ManagerName(dpy_, atoms_));
  rootGrabs_ = std::make_unique<x11::RootKeyGrabs>(dpy_, root_);
  // Under XWayland the grabs see keys only while an X11 window has the
  // keyboard; the desktop's own shortcuts see them everywhere.
  if (const char* wayland = std::getenv("WAYLAND_DISPLAY"); wayland && *wayland)
    portal_ = x11::PortalShortcuts::Connect(kAppId, x11::KeysymNameOfVk);
  hotkeys_ = portal_ ? static_cast<x11::HotkeySource*>(portal_.get()) : rootGrabs_.get();

  // Restacking among the root's children: something may land above the overlay.
  XSelectInput(dpy_, root_, SubstructureNotifyMask);
  selectionOwner_ = XCreateWindow(dpy_, root_, -10, -10, 1, 1, 0, 0, InputOnly, CopyFromParent, 0, nullptr);
  cursors_[static_cast<int>(CursorShape::Arrow)] = XCreateFontCursor(dpy_, XC_left_ptr);
  cursors_[static_cast<int>(CursorShape::Hand)] = XCreateFontCursor(dpy_, XC_hand2);
  cursors_[static_cast<int>(CursorShape::IBeam)] = XCreateFontCursor(dpy_, XC_xterm);
  OpenInputMethod();
}

X11Driver::~X11Driver() {
  while (!tops_.empty()) DestroyTopLevel(tops_.begin()->first);
  if (im_) XCloseIM(im_);
  for (Cursor c : cursors_)
    if (c != None) XFreeCursor(dpy_, c);
  XDestroyWindow(dpy_, selectionOwner_);
  if (colormap_ != DefaultColormap(dpy_, screen_)) XFreeColormap(dpy_, colormap_);
  XCloseDisplay(dpy_);
  close(wakeRead_);
  close(wakeWrite_);
}

void X11Driver::OpenInputMethod() {
  if (!XSupportsLocale()) return;
  XSetLocaleModifiers("");
  im_ = XOpenIM(dpy_, nullptr, nullptr, nullptr);
  if (!im_) {
    // The configured input method is not running: use Xlib's own.
    XSetLocaleModifiers("@im=none");
    im_ = XOpenIM(dpy_, nullptr, nullptr, nullptr);
  }
}

X11Driver::TopLevel* X11Driver::Find(HWND hwnd) {
  auto it = tops_.find(hwnd);
  return it == tops_.end() ? nullptr : &it->second;
}

X11Driver::TopLevel* X11Driver::FindOwning(HWND hwnd) {
  for (int depth = 0; hwnd && depth < 32; ++depth) {
    if (TopLevel* top = Find(hwnd)) return top;
    hwnd = GetParent(hwnd);
  }
  return nullptr;
}

X11Driver::TopLevel* X11Driver::FindByXWindow(Window w) {
  for (auto& [hwnd, top] : tops_)
    if (top.xwin == w) return &top;
  return nullptr;
}

Window X11Driver::XWindowOf(HWND hwnd) const {
  auto it = tops_.find(hwnd);
  return it == tops_.end() ? None : it->second.xwin;
}

void X11Driver::CreateTopLevel(HWND hwnd, const TopLevelInit& init) {
  XSetWindowAttributes attrs{};
  attrs.background_pixmap = None;  // no clearing on exposure: the kept frame answers it
  attrs.border_pixel = 0;
  attrs.colormap = colormap_;
  attrs.bit_gravity = NorthWestGravity;  // a resize keeps the content
  attrs.event_mask = kTopLevelEvents;
  // A frameless top-most window is the overlay: a manager would put a focused
  // fullscreen game above it.
  const bool overlay = (init.style & WS_POPUP) && (init.exStyle & WS_EX_TOPMOST);
  attrs.override_redirect = overlay && hosting_ != x11::Hosting::Managed ? True : False;
  const unsigned long mask =
      CWBackPixmap | CWBorderPixel | CWColormap | CWBitGravity | CWEventMask | CWOverrideRedirect;
  const int width = init.width > 0 ? init.width : 1;
  const int height = init.height > 0 ? init.height : 1;
  TopLevel top;
  top.hwnd = hwnd;
  top.overlay = overlay;
  top.unmanaged = attrs.override_redirect == True;
  top.style = init.style;
  top.exStyle = init.exStyle;
  top.xwin = XCreateWindow(dpy_, root_, init.x, init.y, width, height, 0, depth_, InputOutput, visual_, mask, &attrs);
  top.gc = XCreateGC(dpy_, top.xwin, 0, nullptr);
  XSetGraphicsExposures(dpy_, top.gc, False);
  x11::SetWindowIdentity(dpy_, top.xwin, atoms_, init.title, init.className);
  x11::SetManagementHints(dpy_, top.xwin, atoms_, init.style, init.exStyle);
  x11::SetPlacementHints(dpy_, top.xwin, init.x, init.y, width, height);
  XDefineCursor(dpy_, top.xwin, cursors_[static_cast<int>(CursorShape::Arrow)]);
  if (im_) {
    top.ic = XCreateIC(im_, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, top.xwin, XNFocusWindow,
                       top.xwin, nullptr);
    long filterEvents = 0;
    if (top.ic && !XGetICValues(top.ic, XNFilterEvents, &filterEvents, nullptr))
      XSelectInput(dpy_, top.xwin, kTopLevelEvents | filterEvents);
  }
  requestedPositions_.push_back({init.x, init.y});
  top.wanted = {init.x, init.y};
  tops_[hwnd] = std::move(top);
  eventsMayWait_ = true;  // the input context may have asked the server
  XFlush(dpy_);
}

void X11Driver::DestroyTopLevel(HWND hwnd) {
  TopLevel* top = Find(hwnd);
  if (!top) return;
  if (captured_ == hwnd) SetCapture(nullptr);
  if (top->focused) WatchPressesElsewhere(false);
  if (top->ic) XDestroyIC(top->ic);
  eventsMayWait_ = true;
  XFreeGC(dpy_, top->gc);
  XDestroyWindow(dpy_, top->xwin);
  tops_.erase(hwnd);
  XFlush(dpy_);
}

void X11Driver::ShowTopLevel(HWND hwnd, bool visible) {
  TopLevel* top = Find(hwnd);
  if (!top || top->mapRequested == visible) return;
  if (!visible && top->unmanagePending) {
    // Already withdrawn: it stays hidden, unmanaged as it was to become.
    top->unmanagePending = false;
    SetOverrideRedirect(*top, true);
    top->mapRequested = false;
    XFlush(dpy_);
    return;
  }
  if (visible) {
    // Window managers read the states when the window is mapped, and take
    // later changes only as requests.
    x11::SetManagementHints(dpy_, top->xwin, atoms_, top->style, top->exStyle);
    top->keyboardWanted = false;
    if (top->unmanaged) {
      XMapRaised(dpy_, top->xwin);
    } else {
      if (top->managedForKeys) {
        // Mapped for the keys a click asked for: the manager may focus it
        // at once, as the user's own doing.
        x11::MarkForTyping(dpy_, top->xwin, atoms_);
        top->keyboardWanted = true;
        SetUserTime(*top, top->keysTime);
      }
      XMapWindow(dpy_, top->xwin);
      x11::RequestStates(dpy_, top->xwin, atoms_, x11::WantedStates(atoms_, top->exStyle));
    }
  } else {
    XWithdrawWindow(dpy_, top->xwin, screen_);
  }
  top->mapRequested = visible;
  XFlush(dpy_);
}

void X11Driver::MoveTopLevel(HWND hwnd, int x, int y, int width, int height) {
  TopLevel* top = Find(hwnd);
  if (!top) return;
  width = width > 0 ? width : 1;
  height = height > 0 ? height : 1;
  RememberRequested({x, y});
  top->wanted = {x, y};
  top->placementChecked = top->wmFrame == None;
  // The window manager places its frame's corner where a managed window asks
  // to be: ask for the spot that puts the window itself at (x, y).
  const int frameX = x - top->frameOffset.x, frameY = y - top->frameOffset.y;
  x11::SetPlacementHints(dpy_, top->xwin, frameX, frameY, width, height);
  XMoveResizeWindow(dpy_, top->xwin, frameX, frameY, width, height);
  XFlush(dpy_);
}

void X11Driver::RememberRequested(POINT p) {
  requestedPositions_.push_back(p);
  while (requestedPositions_.size() > kRememberedPositions) requestedPositions_.pop_front();
}

void X11Driver::SetOpacity(HWND hwnd, BYTE alpha) {
  if (TopLevel* top = Find(hwnd)) {
    x11::SetOpacityProperty(dpy_, top->xwin, atoms_, alpha);
    XFlush(dpy_);
  }
}

void X11Driver::SetClickThrough(HWND hwnd, bool enabled) {
  TopLevel* top = Find(hwnd);
  if (!top) return;
  const bool changed = top->passThrough != enabled;
  top->passThrough = enabled;
  if (enabled && top->managedForKeys) ManageForKeys(*top, false);
  if (enabled && top->keyboardWanted) {
    x11::SetKeyboardWanted(dpy_, top->xwin, false);
    top->keyboardWanted = false;
  }
  SetPassThrough(*top);
  if (changed && top->mapped) NudgeForNewInputShape(*top);
  // Clicks go to the game now: so do the keys. The server knows whether we
  // have them: the FocusIn of a press just made may not have arrived yet.
  if (enabled && top->unmanaged) {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(dpy_, &focus, &revert);
    eventsMayWait_ = true;
    if (focus == top->xwin) GiveKeyboardBack(CurrentTime);
  }
}

void X11Driver::NudgeForNewInputShape(TopLevel& top) {
  // Mutter finds the window under a press from the input shapes it knew
  // when the window last moved: after a change, the press of a drag went
  // to the wrong window. A move there and back makes it look again.
  const POINT at = RootPositionOf(top);
  const int x = at.x - top.frameOffset.x, y = at.y - top.frameOffset.y;
  RememberRequested({at.x + 1, at.y});
  RememberRequested(at);
  XMoveWindow(dpy_, top.xwin, x + 1, y);
  XMoveWindow(dpy_, top.xwin, x, y);
  XFlush(dpy_);
}

void X11Driver::SetPassThrough(TopLevel& top) {
  x11::SetPointerPassThrough(dpy_, top.xwin, top.passThrough);
  // A parent's input region clips its children's: a frame that takes the
  // pointer would keep the clicks from the window beneath.
  if (top.wmFrame != None) x11::SetPointerPassThrough(dpy_, top.wmFrame, top.passThrough);
  XFlush(dpy_);
}

void X11Driver::RaiseTopMost(HWND hwnd) {
  TopLevel* top = Find(hwnd);
  if (!top) return;
  top->exStyle |= WS_EX_TOPMOST;
  eventsMayWait_ = true;
  // An unmanaged window raises itself, and only over a window that covers
  // it: two overlays would otherwise raise in turn.
  if (top->unmanaged) {
    if (top->mapRequested) PutBackOnTop(*top);
    XFlush(dpy_);
    return;
  }
  // A manager keeps a window of the above state on top by itself, and
  // KWin takes a raise from a window without the focus as a call for
  // attention.
  if (top->mapRequested && x11::ManagerRunning(dpy_, atoms_))
    x11::RequestStates(dpy_, top->xwin, atoms_, {atoms_.netWmStateAbove});
  else
    XRaiseWindow(dpy_, top->xwin);
  XFlush(dpy_);
}

void X11Driver::SetCursorShape(HWND hwnd, CursorShape shape) {
  TopLevel* top = FindOwning(hwnd);
  if (!top || top->cursor == shape) return;
  top->cursor = shape;
  XDefineCursor(dpy_, top->xwin, cursors_[static_cast<int>(shape)]);
  XFlush(dpy_);
}

void X11Driver::FocusTopLevel(HWND hwnd) {
  if (TopLevel* top = FindOwning(hwnd)) TakeFocus(*top, lastUserTime_);
}

void X11Driver::TakeFocus(TopLevel& top, Time userTime) {
  if (!top.mapRequested || top.focused) return;
  if (top.unmanaged && hosting_ == x11::Hosting::ManagedForKeys) {
    // The compositor gives the keys only to a managed window: become one
    // once the press has ended (unmapping would lose its release).
    if (top.passThrough) return;
    top.keysTime = userTime;
    if (top.buttonDown)
      top.keysOnRelease = true;
    else
      ManageForKeys(top, true);
    return;
  }
  if (top.unmanaged) {
    // No manager hands an unmanaged window the keyboard: take it, and
    // remember whose it was.
    Window current = None;
    int revert = 0;
    XGetInputFocus(dpy_, &current, &revert);
    eventsMayWait_ = true;
    if (current != None && current != PointerRoot && !FindByXWindow(current)) focusBefore_ = current;
    XSetInputFocus(dpy_, top.xwin, RevertToPointerRoot, userTime);
    XFlush(dpy_);
    return;
  }
  if (!top.keyboardWanted) {
    x11::SetKeyboardWanted(dpy_, top.xwin, true);
    top.keyboardWanted = true;
  }
  // With the press's time the window manager sees a user's request, not a
  // window stealing the focus (which some answer with "demands attention").
  SetUserTime(top, userTime);
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = top.xwin;
  ev.xclient.message_type = atoms_.netActiveWindow;
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = 1;  // from an application
  ev.xclient.data.l[1] = static_cast<long>(userTime);
  XSendEvent(dpy_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
  // Without a window manager nobody acts on the message; an unviewable
  // window answers BadMatch, which the quiet handler drops. KWin on Wayland
  // focuses the window from the click itself, and takes an X focus it did
  // not give for focus stealing.
  if (hosting_ != x11::Hosting::ManagedForKeys) XSetInputFocus(dpy_, top.xwin, RevertToParent, userTime);
  XFlush(dpy_);
}

void X11Driver::SetUserTime(TopLevel& top, Time userTime) {
  if (userTime == CurrentTime) return;
  const long value = static_cast<long>(userTime);
  XChangeProperty(dpy_, top.xwin, atoms_.netWmUserTime, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&value), 1);
}

void X11Driver::PutArea(TopLevel& top, const RECT& area) {
  const RECT r = draw_cache::ClipToFrame(top.frame, area);
  if (draw_cache::IsEmptyRect(r)) return;
  XImage* image = XCreateImage(dpy_, visual_, depth_, ZPixmap, 0, reinterpret_cast<char*>(top.frame.pixels.data()),
                               top.frame.width, top.frame.height, 32, top.frame.width * 4);
  if (!image) return;
  image->byte_order = NativeByteOrder();
  XPutImage(dpy_, top.xwin, top.gc, image, r.left, r.top, r.left, r.top, r.right - r.left, r.bottom - r.top);
  image->data = nullptr;  // the pixels stay ours
  XDestroyImage(image);
  XFlush(dpy_);
  ++transfers_;
}

void X11Driver::Present(HWND hwnd, const std::uint32_t* pixels, int stride, int width, int height, const RECT& dirty) {
  TopLevel* top = Find(hwnd);
  if (!top) return;
  const RECT changed = draw_cache::MergeFrame(top->frame, pixels, stride, width, height, dirty);
  if (!draw_cache::IsEmptyRect(changed)) PutArea(*top, changed);
}

POINT X11Driver::CursorPos() {
  Window rootReturn = None, child = None;
  int rootX = 0, rootY = 0, winX = 0, winY = 0;
  unsigned mask = 0;
  XQueryPointer(dpy_, root_, &rootReturn, &child, &rootX, &rootY, &winX, &winY, &mask);
  eventsMayWait_ = true;
  return {rootX, rootY};
}

void X11Driver::SetCapture(HWND hwnd) {
  if (!hwnd) {
    if (captured_) XUngrabPointer(dpy_, CurrentTime);
    captured_ = nullptr;
    XFlush(dpy_);
    return;
  }
  TopLevel* top = FindOwning(hwnd);
  if (!top) return;
  // Moves and the release then reach the window wherever the pointer is.
  XGrabPointer(dpy_, top->xwin, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
               GrabModeAsync, None, None, CurrentTime);
  captured_ = top->hwnd;
  XFlush(dpy_);
}

bool X11Driver::GrabHotkey(int id, UINT vk) {
  eventsMayWait_ = true;
  return hotkeys_->Add(id, vk);
}

void X11Driver::UngrabHotkey(UINT vk) {
  eventsMayWait_ = true;
  hotkeys_->Remove(vk);
}

void X11Driver::SetClipboardText(const std::wstring& text) {
  clipboardText_ = text;
  XSetSelectionOwner(dpy_, atoms_.clipboard, selectionOwner_, CurrentTime);
  XFlush(dpy_);
}

std::wstring X11Driver::ClipboardText() {
  eventsMayWait_ = true;
  if (XGetSelectionOwner(dpy_, atoms_.clipboard) == selectionOwner_) return clipboardText_;
  return x11::RequestClipboardText(dpy_, atoms_, selectionOwner_, kPasteTimeoutMs);
}

// The shell sizes only its timer font by the resolution, every other font
// in pixels: the Windows default keeps the two in proportion.
int X11Driver::DpiY() { return 96; }

bool X11Driver::FallBackFromPortal() {
  if (!portal_ || !portal_->Failed()) return false;
  hotkeys_ = rootGrabs_.get();
  for (const auto& key : portal_->Keys()) rootGrabs_->Add(key.id, key.vk);
  portal_.reset();
  XFlush(dpy_);
  return true;
}

void X11Driver::WaitAndDispatchEvents(int timeoutMs) {
  x11::PollNeed hotkeyNeed = hotkeys_->PrepareWait();
  if (FallBackFromPortal()) hotkeyNeed = {};
  for (int dueMs : {KeepOnTop(), FinishLateUnmanages()})
    if (dueMs >= 0 && (timeoutMs < 0 || dueMs < timeoutMs)) timeoutMs = dueMs;
  // Every request is flushed where it is made. Reading the connection when
  // poll() found nothing on it would cost system calls every frame.
  if (eventsMayWait_) {
    eventsMayWait_ = false;
    XEventsQueued(dpy_, QueuedAfterReading);
  }
  if (XQLength(dpy_) == 0) {
    pollfd fds[3] = {
        {ConnectionNumber(dpy_), POLLIN, 0}, {wakeRead_, POLLIN, 0}, {hotkeyNeed.fd, hotkeyNeed.events, 0}};
    int timeout = timeoutMs;
    if (hotkeyNeed.timeoutMs >= 0 && (timeout < 0 || hotkeyNeed.timeoutMs < timeout)) timeout = hotkeyNeed.timeoutMs;
    poll(fds, hotkeyNeed.fd >= 0 ? 3 : 2, timeout < 0 ? -1 : timeout);
    if (fds[1].revents & POLLIN) {
      char drain[64];
      while (read(wakeRead_, drain, sizeof drain) > 0) {
      }
    }
    if (hotkeyNeed.fd >= 0) {
      hotkeys_->Process();
      if (FallBackFromPortal()) eventsMayWait_ = true;
    }
    if (fds[0].revents == 0) return;
  }
  while (XPending(dpy_) > 0) {
    XEvent ev;
    XNextEvent(dpy_, &ev);
    Dispatch(ev);
  }
  XFlush(dpy_);  // what handling the events asked of the server (an input method's requests)
}

void X11Driver::Wake() { [[maybe_unused]] const ssize_t written = write(wakeWrite_, "w", 1); }

}  // namespace platform
