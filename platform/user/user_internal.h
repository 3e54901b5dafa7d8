// The window model's own state and the helpers its files share. Nothing
// here is part of the Win32 surface; drivers use platform/events.h.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rect.h"
#include "win32_layer.h"

namespace platform {

// Windows that exist (created and not yet destroyed).
int LiveWindowCount();

// Milliseconds of the clock that timers and message times use. Tests put
// their own clock in place; nullptr restores the steady clock.
void SetClockForTests(std::function<std::int64_t()> nowMs);
std::int64_t NowMs();

// Destroys every window and forgets queued messages, timers, hotkeys,
// classes registered by the application, focus, capture and key state, so
// that each test starts from an empty desktop.
void ResetForTests();

namespace user {

struct SubclassEntry {
  SUBCLASSPROC proc = nullptr;
  UINT_PTR id = 0;
  DWORD_PTR refData = 0;
  bool removed = false;
};

struct WindowClass {
  std::wstring name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  bool system = false;  // registered by the layer itself (EDIT)
};

struct Window {
  HWND handle = nullptr;
  const WindowClass* cls = nullptr;
  WNDPROC proc = nullptr;
  std::wstring text;
  DWORD style = 0;
  DWORD exStyle = 0;
  // Top-levels: screen coordinates. Children: the parent's client coordinates.
  RECT rect{};
  HWND parent = nullptr;       // parent of a child, owner of a top-level
  std::vector<HWND> children;  // bottom to top
  LONG_PTR id = 0;
  LONG_PTR userData = 0;
  bool visible = false;
  bool destroying = false;

  // Painting: the update region as a bounding rectangle in client coordinates.
  bool updatePending = false;
  RECT update{};
  bool erasePending = false;
  bool framePending = false;  // WM_NCPAINT before the next WM_PAINT

  // Newest first.
  std::vector<std::shared_ptr<SubclassEntry>> subclasses;

  // Top-levels only: the pixels of the whole window and what of them has
  // changed since the last present.
  cairo_surface_t* frame = nullptr;
  RECT dirty{};
};

// The window behind a handle, or nullptr for a dead or foreign handle.
Window* Find(HWND hwnd);
bool IsChildWindow(const Window& w);
Window& TopLevelOf(Window& w);
// True when `w` is `ancestor` or lies below it.
bool IsSelfOrDescendant(HWND w, HWND ancestor);
// Every live window, top-levels and their descendants, parents before children.
// One list, made anew by each call: go through it before the next call.
const std::vector<HWND>& WindowsInPaintOrder();
bool IsShownOnScreen(const Window& w);  // visible, and every ancestor too
bool IsEditClass(const Window& w);

// Geometry in the frame of the window's top-level.
int BorderWidth(const Window& w);
RECT ClientRectOf(const Window& w);  // {0, 0, width, height}
POINT ClientOriginInFrame(const Window& w);
POINT WindowOriginInFrame(const Window& w);
POINT ClientOriginOnScreen(const Window& w);
// The client area in frame coordinates, cut by every ancestor's client area.
RECT VisibleClientInFrame(const Window& w);

// The message path: subclasses first (newest first), then the window procedure.
LRESULT Deliver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Input waiting in the queue: the target window and its coordinates are
// decided when the message is taken, as capture and focus stand then.
enum class InputKind { None, MouseMove, ButtonDown, ButtonUp, Wheel, Key, Char };
struct QueuedMessage {
  MSG msg{};  // for input: hwnd is the top-level, lParam the top-level's client point
  InputKind input = InputKind::None;
};
void PostInput(const QueuedMessage& q);
// The message the target window receives, or false when nobody is left to
// receive it. With `remove`, also does what taking it from the queue does:
// WM_SETCURSOR, focus on a press, the key state.
bool ResolveInput(const QueuedMessage& q, bool remove, MSG& out);

// Queue housekeeping.
void ForgetQueuedMessagesFor(HWND hwnd);
void ForgetTimersOf(HWND hwnd);
void ForgetHotkeysOf(HWND hwnd);
void ResetQueue();
void ResetHotkeys();
void ResetInput();
void ResetKeyState();
void ForgetSubclasses(Window& w);
void DestroyAllWindowsForTests();

// Painting.
void CreateFrame(Window& top);
void ResizeFrame(Window& top);
void DestroyFrame(Window& top);
// Adds `area` (client coordinates) to the update region.
void AddToUpdate(Window& w, const RECT& area, bool erase);
// The whole window, frame included, and every descendant.
void InvalidateWholeWindow(Window& w);
bool AnyPaintPending();
// Hands every changed frame to the driver, one transfer per top-level.
void PresentPendingFrames();
void MarkFrameDirty(Window& top, const RECT& area);
void ForgetDCsOf(HWND hwnd);

// Input bookkeeping the queue updates as it hands out messages.
void FocusLostBy(HWND dying);
void CaptureLostBy(HWND dying);
void SetKeyDown(UINT vk, bool down);
// The top-level whose cursor SetCursor changes.
HWND CursorWindow();
void SetCursorWindow(HWND top);

// The EDIT class, registered at first use.
const WindowClass* EditClass();
LRESULT CALLBACK EditWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// WM_GETTEXT: copies at most size - 1 characters and a terminator.
LRESULT CopyTextOut(const std::wstring& text, WPARAM size, LPARAM buffer);

// Rectangle helpers.
using platform::Intersect;
using platform::IsEmpty;
using platform::Offset;
using platform::Union;

}  // namespace user
}  // namespace platform
