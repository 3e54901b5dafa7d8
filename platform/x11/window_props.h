// What the window manager reads from an overlay window: its names, type,
// frame, stacking, opacity and input shape.
#pragma once

#include "x11/xlib.h"

#include <string>
#include <vector>

#include "win32_layer.h"
#include "x11/atoms.h"

namespace platform::x11 {

// WM_NAME, _NET_WM_NAME, WM_CLASS (both parts the class name) and _NET_WM_PID.
void SetWindowIdentity(Display* dpy, Window w, const Atoms& atoms, const std::wstring& title,
                       const std::wstring& className);

// The states a window of these extended styles asks for: above the others
// when top-most, off the taskbar and pager when a tool window.
std::vector<Atom> WantedStates(const Atoms& atoms, DWORD exStyle);

// Set before the first map: window type, no frame for popups, no focus
// taken at map time, the wanted states.
void SetManagementHints(Display* dpy, Window w, const Atoms& atoms, DWORD style, DWORD exStyle);

// WM_HINTS input: whether the window wants the keyboard from the manager.
// Not when it appears, so the game keeps the focus (a manager that will not
// focus a window that wants it marks it "demands attention" instead), and
// not while clicks pass through it.
void SetKeyboardWanted(Display* dpy, Window w, bool wanted);

// A window to type into, mapped for the manager: a normal window that wants
// the keyboard. KWin focuses no utility window, not even on a click.
void MarkForTyping(Display* dpy, Window w, const Atoms& atoms);

// Position and size as the program's own choice, so a window manager keeps them.
void SetPlacementHints(Display* dpy, Window w, int x, int y, int width, int height);

// Asks the window manager to add these states to a mapped window.
void RequestStates(Display* dpy, Window w, const Atoms& atoms, const std::vector<Atom>& states);

// Whether a window manager that follows the EWMH runs: its check window
// names itself (a stale root property names a window that is gone).
bool ManagerRunning(Display* dpy, const Atoms& atoms);

// The running window manager's own name ("KWin", "GNOME Shell"); empty
// when none runs.
std::string ManagerName(Display* dpy, const Atoms& atoms);

// Whether a window manager still holds the window: WM_STATE is set and not
// Withdrawn. A window may turn unmanaged only once the manager let it go.
bool ManagerHolds(Display* dpy, Window w, const Atoms& atoms);

// _NET_WM_WINDOW_OPACITY: 0 transparent .. 255 opaque.
void SetOpacityProperty(Display* dpy, Window w, const Atoms& atoms, BYTE alpha);

// An empty input shape lets every pointer event fall through to the windows
// beneath; without it the window takes the pointer again.
void SetPointerPassThrough(Display* dpy, Window w, bool passThrough);

}  // namespace platform::x11
