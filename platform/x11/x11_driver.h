// The display driver for an X server: the overlay's X window, input in
// (keys, pointer, hotkeys on the root window), frames out, clipboard.
#pragma once

#include "x11/xlib.h"

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "driver.h"
#include "x11/atoms.h"
#include "hotkey_source.h"
#include "portal/portal_shortcuts.h"
#include "x11/hosting.h"
#include "x11/root_key_grabs.h"
#include "gdi/draw_cache/presented_frame.h"

namespace platform {

class X11Driver final : public Driver {
 public:
  // Connects to the named display ($DISPLAY when null); null when it cannot.
  static std::unique_ptr<X11Driver> Open(const char* displayName);
  ~X11Driver() override;
  X11Driver(const X11Driver&) = delete;
  X11Driver& operator=(const X11Driver&) = delete;

  void CreateTopLevel(HWND hwnd, const TopLevelInit& init) override;
  void DestroyTopLevel(HWND hwnd) override;
  void ShowTopLevel(HWND hwnd, bool visible) override;
  void MoveTopLevel(HWND hwnd, int x, int y, int width, int height) override;
  void SetOpacity(HWND hwnd, BYTE alpha) override;
  void SetClickThrough(HWND hwnd, bool enabled) override;
  void RaiseTopMost(HWND hwnd) override;
  void SetCursorShape(HWND hwnd, CursorShape shape) override;
  void FocusTopLevel(HWND hwnd) override;
  void Present(HWND hwnd, const std::uint32_t* pixels, int stride, int width, int height, const RECT& dirty) override;
  POINT CursorPos() override;
  void SetCapture(HWND hwnd) override;
  bool GrabHotkey(int id, UINT vk) override;
  void UngrabHotkey(UINT vk) override;
  void SetClipboardText(const std::wstring& text) override;
  std::wstring ClipboardText() override;
  int DpiY() override;
  void WaitAndDispatchEvents(int timeoutMs) override;
  void Wake() override;

  Display* display() const { return dpy_; }
  // The X window of a top-level, None when it has none.
  Window XWindowOf(HWND hwnd) const;
  // Frames that reached the server (a repaint that changed nothing sends none).
  int transfers() const { return transfers_; }

 private:
  struct TopLevel {
    HWND hwnd = nullptr;
    Window xwin = None;
    GC gc = nullptr;
    XIC ic = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    bool mapRequested = false;
    bool mapped = false;  // viewable, as the last Map/UnmapNotify said
    bool passThrough = false;
    bool focused = false;         // has the X keyboard focus
    bool keyboardWanted = false;  // as WM_HINTS tells the manager
    bool overlay = false;         // frameless and top-most
    // Override-redirect: no manager stacks it under a fullscreen game or
    // frames it; it keeps itself on top and takes the keyboard itself.
    bool unmanaged = false;
    // Managed for now, for the keyboard (ManagedForKeys hosting).
    bool managedForKeys = false;
    bool buttonDown = false;
    bool keysOnRelease = false;   // a press asked for the keys: once it ends
    Time keysTime = CurrentTime;  // of that press
    // Withdrawn from the manager, to be mapped unmanaged once it let go.
    bool unmanagePending = false;
    std::chrono::steady_clock::time_point unmanageBy{};
    // The window manager's frame (our parent when that is not the root) and
    // where our window sits in it: moves are asked for the frame's corner.
    Window wmFrame = None;
    POINT frameOffset{0, 0};
    POINT wanted{0, 0};  // where the window itself was last asked to be
    bool placementChecked = true;
    CursorShape cursor = CursorShape::Arrow;
    draw_cache::PresentedFrame frame;
  };

  X11Driver(Display* dpy, int wakeRead, int wakeWrite);
  TopLevel* Find(HWND hwnd);
  TopLevel* FindOwning(HWND hwnd);  // the top-level of a window or of its child
  TopLevel* FindByXWindow(Window w);
  void PutArea(TopLevel& top, const RECT& area);
  void TakeFocus(TopLevel& top, Time userTime);
  // _NET_WM_USER_TIME: the user's latest press on the window.
  void SetUserTime(TopLevel& top, Time userTime);
  // Hands the keyboard back to the window that had it before an unmanaged
  // top-level took it.
  void GiveKeyboardBack(Time time);
  // While an unmanaged top-level has the keyboard, a press anywhere else
  // passes by us first: no manager gives the keyboard back for it.
  void WatchPressesElsewhere(bool watch);
  void HandlePressElsewhere(const XButtonEvent& ev);
  void HandleRootNotice(const XEvent& ev);
  // Restacks an unmanaged top-level just above the highest window that
  // covers it; false when none does.
  bool PutBackOnTop(TopLevel& top);
  // Puts back on top the unmanaged top-levels that something covers, looking
  // at most once per tick; the milliseconds until the next look is due, -1
  // when none is.
  int KeepOnTop();
  // Managed for the keyboard, or unmanaged again: unmaps the window,
  // switches, maps it again.
  void ManageForKeys(TopLevel& top, bool managed);
  // Maps a window withdrawn by ManageForKeys unmanaged, once the manager let
  // it go (or gave no sign in time: `late`).
  void FinishUnmanage(TopLevel& top, bool late);
  // Milliseconds until a pending unmanage gives up waiting; -1 when none waits.
  int FinishLateUnmanages();
  void SetOverrideRedirect(TopLevel& top, bool unmanaged);
  void SetPassThrough(TopLevel& top);
  void NudgeForNewInputShape(TopLevel& top);
  void RememberRequested(POINT p);
  void HandleReparent(TopLevel& top, const XReparentEvent& ev);
  // The window's own top-left corner in root coordinates.
  POINT RootPositionOf(const TopLevel& top);
  void MeasureFrame(TopLevel& top);
  void OpenInputMethod();
  void Dispatch(XEvent& ev);
  void HandleKey(TopLevel& top, XKeyEvent& ev, bool down);
  void HandleConfigure(TopLevel& top, const XConfigureEvent& ev);
  void TypeText(TopLevel& top, XKeyEvent& ev);
  void RefreshKeyboard();
  // Hands the portal's keys to the root-window grabs once the desktop has
  // refused them (or gone away); true when it did.
  bool FallBackFromPortal();

  Display* dpy_;
  int screen_;
  Window root_;
  Visual* visual_ = nullptr;
  int depth_ = 24;
  Colormap colormap_ = None;
  x11::Atoms atoms_;
  int wakeRead_, wakeWrite_;
  XIM im_ = nullptr;
  Window selectionOwner_ = None;  // holds CLIPBOARD and receives pasted text
  std::wstring clipboardText_;
  Cursor cursors_[3] = {None, None, None};
  std::map<HWND, TopLevel> tops_;
  HWND captured_ = nullptr;
  std::set<unsigned> keysDown_;  // keycodes, to tell auto-repeat from a press
  unsigned numLockMask_ = 0;
  x11::Hosting hosting_ = x11::Hosting::Unmanaged;  // of the overlay
  std::unique_ptr<x11::RootKeyGrabs> rootGrabs_;
  std::unique_ptr<x11::PortalShortcuts> portal_;  // on Wayland, when the desktop offers it
  x11::HotkeySource* hotkeys_ = nullptr;          // the one source that holds the keys
  // Positions asked for lately: a window manager's echo of one of them is
  // not a move by someone else.
  std::deque<POINT> requestedPositions_;
  int transfers_ = 0;
  Time lastUserTime_ = CurrentTime;  // of the latest press on one of our windows
  Window focusBefore_ = None;        // had the keyboard before an unmanaged top-level took it
  bool watchingPresses_ = false;
  std::vector<std::pair<unsigned, unsigned>> pressGrabs_;  // (button, modifiers) grabbed on the root
  bool restacked_ = false;                                 // the root's children changed places since the last look
  std::chrono::steady_clock::time_point lastLook_{};       // at the stacking order
  // A round trip to the server may have read events off the connection
  // into Xlib's lower layer, where poll() cannot see them.
  bool eventsMayWait_ = true;
};

}  // namespace platform
