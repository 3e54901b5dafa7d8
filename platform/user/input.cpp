// Input from the driver: pointer, keys and characters become queued
// messages for the capture, focus or pointed-at window; focus, capture and
// the cursor shape.
#include <cstdlib>

#include "driver.h"
#include "events.h"
#include "user/user_internal.h"

namespace platform::user {
namespace {

struct InputState {
  HWND focus = nullptr;
  HWND capture = nullptr;
  HWND cursorTop = nullptr;  // the top-level the pointer was last seen over
  HCURSOR cursor = nullptr;
  bool buttonDown = false;
  POINT lastScreen{0, 0};
  // The last press that could start a double click.
  HWND pressed = nullptr;
  DWORD pressedAt = 0;
  POINT pressedScreen{0, 0};
};

InputState& In() {
  static InputState state;
  return state;
}

// As Windows' defaults: a second press this soon and this near is a
// double click, for windows whose class asks for them.
constexpr DWORD kDoubleClickMs = 500;
constexpr int kDoubleClickSlop = 2;

// Turns a press into WM_LBUTTONDBLCLK when it completes a double click.
void MatchDoubleClick(const Window& target, MSG& out, POINT screen) {
  const bool wanted = target.cls && (target.cls->style & CS_DBLCLKS);
  const bool second = wanted && In().pressed == target.handle && out.time - In().pressedAt <= kDoubleClickMs &&
                      std::abs(screen.x - In().pressedScreen.x) <= kDoubleClickSlop &&
                      std::abs(screen.y - In().pressedScreen.y) <= kDoubleClickSlop;
  if (second) {
    out.message = WM_LBUTTONDBLCLK;
    In().pressed = nullptr;  // a third press starts again
    return;
  }
  In().pressed = target.handle;
  In().pressedAt = out.time;
  In().pressedScreen = screen;
}

LPARAM PointParam(int x, int y) {
  return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}

// The deepest visible child of `w` whose window rectangle holds the point
// (client coordinates of `w`); later children lie on top.
Window& DeepestAt(Window& w, POINT& point) {
  for (auto it = w.children.rbegin(); it != w.children.rend(); ++it) {
    Window* child = Find(*it);
    if (!child || !child->visible || (child->style & WS_DISABLED)) continue;
    const RECT& r = child->rect;
    if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom) {
      const int b = BorderWidth(*child);
      point.x -= r.left + b;
      point.y -= r.top + b;
      return DeepestAt(*child, point);
    }
  }
  return w;
}

// The window a pointer message goes to and the point in its client area.
Window* MouseTarget(HWND top, int x, int y, POINT& client) {
  Window* topWindow = Find(top);
  Window* capture = Find(In().capture);
  if (capture) {
    if (!topWindow) return capture;
    const POINT topOrigin = ClientOriginOnScreen(*topWindow);
    const POINT captureOrigin = ClientOriginOnScreen(*capture);
    client = POINT{topOrigin.x + x - captureOrigin.x, topOrigin.y + y - captureOrigin.y};
    return capture;
  }
  if (!topWindow || !IsShownOnScreen(*topWindow)) return nullptr;
  client = POINT{x, y};
  return &DeepestAt(*topWindow, client);
}

HWND KeyTarget(HWND top) {
  Window* focus = Find(In().focus);
  if (focus && IsSelfOrDescendant(focus->handle, top)) return focus->handle;
  return Find(top) ? top : nullptr;
}

void SendSetCursor(HWND hwnd, UINT mouseMsg) {
  Deliver(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, mouseMsg));
}

void QueueMouse(HWND top, InputKind kind, UINT message, WPARAM wParam, int x, int y) {
  QueuedMessage q;
  q.input = kind;
  q.msg.hwnd = top;
  q.msg.message = message;
  q.msg.wParam = wParam;
  q.msg.lParam = PointParam(x, y);
  q.msg.time = static_cast<DWORD>(NowMs());
  if (Window* w = Find(top)) {
    const POINT origin = ClientOriginOnScreen(*w);
    In().lastScreen = POINT{origin.x + x, origin.y + y};
  }
  q.msg.pt = In().lastScreen;
  PostInput(q);
}

void QueueKeyboard(HWND top, InputKind kind, UINT message, WPARAM wParam, LPARAM lParam) {
  QueuedMessage q;
  q.input = kind;
  q.msg.hwnd = top;
  q.msg.message = message;
  q.msg.wParam = wParam;
  q.msg.lParam = lParam;
  q.msg.time = static_cast<DWORD>(NowMs());
  q.msg.pt = In().lastScreen;
  PostInput(q);
}

UINT GenericKey(UINT vk) {
  switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU: return VK_MENU;
    default: return vk;
  }
}

}  // namespace

bool ResolveInput(const QueuedMessage& q, bool remove, MSG& out) {
  out = q.msg;
  const int x = static_cast<short>(LOWORD(q.msg.lParam));
  const int y = static_cast<short>(HIWORD(q.msg.lParam));
  switch (q.input) {
    case InputKind::MouseMove:
    case InputKind::ButtonDown:
    case InputKind::ButtonUp: {
      POINT client{0, 0};
      Window* target = MouseTarget(q.msg.hwnd, x, y, client);
      if (!target) return false;
      out.hwnd = target->handle;
      out.lParam = PointParam(client.x, client.y);
      if (!remove) return true;
      In().cursorTop = TopLevelOf(*target).handle;
      if (q.input == InputKind::ButtonDown) In().buttonDown = true;
      if (q.input == InputKind::ButtonUp) In().buttonDown = false;
      if (q.input == InputKind::MouseMove) out.wParam = In().buttonDown ? MK_LBUTTON : 0;
      // WM_SETCURSOR goes only to a window the pointer is over, not to a capture.
      if (q.input != InputKind::ButtonUp && !Find(In().capture)) SendSetCursor(out.hwnd, q.msg.message);
      if (q.input == InputKind::ButtonDown) {
        Window* pressed = Find(out.hwnd);
        if (Window* top = Find(q.msg.hwnd); pressed && top) {
          const POINT origin = ClientOriginOnScreen(*top);
          MatchDoubleClick(*pressed, out, POINT{origin.x + x, origin.y + y});
        }
      }
      return Find(out.hwnd) != nullptr;
    }
    case InputKind::Wheel:
      // lParam holds the screen point already; the top-level under the pointer takes it.
      return Find(q.msg.hwnd) != nullptr;
    case InputKind::Key: {
      const HWND target = KeyTarget(q.msg.hwnd);
      if (!target) return false;
      out.hwnd = target;
      if (remove) {
        const bool up = q.msg.message == WM_KEYUP || q.msg.message == WM_SYSKEYUP;
        SetKeyDown(static_cast<UINT>(q.msg.wParam), !up);
      }
      return true;
    }
    case InputKind::Char: {
      const HWND target = KeyTarget(q.msg.hwnd);
      if (!target) return false;
      out.hwnd = target;
      return true;
    }
    case InputKind::None: return Find(q.msg.hwnd) != nullptr;
  }
  return false;
}

void FocusLostBy(HWND dying) {
  HWND focus = In().focus;
  if (!focus || !IsSelfOrDescendant(focus, dying)) return;
  // As on Windows: a dying child hands the focus to its parent.
  Window* w = Find(dying);
  HWND heir = (w && IsChildWindow(*w)) ? w->parent : nullptr;
  SetFocus(heir);
  if (In().focus && IsSelfOrDescendant(In().focus, dying)) In().focus = nullptr;
}

void CaptureLostBy(HWND dying) {
  if (In().capture && IsSelfOrDescendant(In().capture, dying)) ReleaseCapture();
}

HWND CursorWindow() { return In().cursorTop; }
void SetCursorWindow(HWND top) { In().cursorTop = top; }

void ResetInput() { In() = InputState{}; }

}  // namespace platform::user

namespace platform {

using user::Find;
using user::In;
using user::InputKind;
using user::Window;

void OnMouseMove(HWND top, int x, int y) { user::QueueMouse(top, InputKind::MouseMove, WM_MOUSEMOVE, 0, x, y); }

void OnButton(HWND top, bool down, int x, int y) {
  if (down) {
    user::QueueMouse(top, InputKind::ButtonDown, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
  } else {
    user::QueueMouse(top, InputKind::ButtonUp, WM_LBUTTONUP, 0, x, y);
  }
}

void OnWheel(HWND top, int delta, int x, int y) {
  Window* w = Find(top);
  if (!w) return;
  const POINT origin = user::ClientOriginOnScreen(*w);
  In().lastScreen = POINT{origin.x + x, origin.y + y};
  const WPARAM wParam = MAKEWPARAM(In().buttonDown ? MK_LBUTTON : 0, static_cast<WORD>(static_cast<short>(delta)));
  user::QueueKeyboard(top, InputKind::Wheel, WM_MOUSEWHEEL, wParam,
                      user::PointParam(In().lastScreen.x, In().lastScreen.y));
}

void OnKey(HWND top, UINT vk, UINT scan, bool extended, bool down, bool repeat, bool alt) {
  vk = user::GenericKey(vk);
  const bool system = alt || vk == VK_MENU || vk == VK_F10;
  UINT message = down ? WM_KEYDOWN : WM_KEYUP;
  if (system) message = down ? WM_SYSKEYDOWN : WM_SYSKEYUP;
  DWORD lParam = 1 | ((scan & 0xFF) << 16);
  if (extended) lParam |= 1u << 24;
  if (alt) lParam |= 1u << 29;
  if (!down || repeat) lParam |= 1u << 30;
  if (!down) lParam |= 1u << 31;
  user::QueueKeyboard(top, InputKind::Key, message, vk, static_cast<LPARAM>(lParam));
  // Backspace types a character on Win32 (TranslateMessage makes it), and
  // the EDIT class deletes on that character, not on the key.
  if (down && !alt && vk == VK_BACK) {
    user::QueueKeyboard(top, InputKind::Char, WM_CHAR, 0x08, static_cast<LPARAM>(lParam));
  }
}

void OnChar(HWND top, WCHAR ch) { user::QueueKeyboard(top, InputKind::Char, WM_CHAR, static_cast<WPARAM>(ch), 1); }

void OnExpose(HWND top, const RECT& area) {
  if (Window* w = Find(top); w && !user::IsChildWindow(*w)) user::MarkFrameDirty(*w, area);
}

void OnFocusChange(HWND top, bool focused) {
  if (focused) return;
  // Another application took the keyboard: the edit box loses it, and the
  // hotkeys act again.
  if (In().focus && user::IsSelfOrDescendant(In().focus, top)) SetFocus(nullptr);
}

void OnMoved(HWND top, int x, int y) {
  Window* w = Find(top);
  if (!w || user::IsChildWindow(*w)) return;
  w->rect = user::Offset(w->rect, x - w->rect.left, y - w->rect.top);
}

}  // namespace platform

using platform::user::Find;
using platform::user::In;
using platform::user::Window;

HWND GetFocus() { return Find(In().focus) ? In().focus : nullptr; }

HWND SetFocus(HWND hwnd) {
  if (hwnd && !Find(hwnd)) return nullptr;
  HWND previous = GetFocus();
  if (previous == hwnd) return previous;
  In().focus = hwnd;
  if (previous) SendMessageW(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd && In().focus == hwnd) SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  return previous;
}

HWND SetCapture(HWND hwnd) {
  HWND previous = GetCapture();
  Window* w = Find(hwnd);
  if (!w) return previous;
  In().capture = hwnd;
  if (previous && previous != hwnd) SendMessageW(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  platform::GetDriver()->SetCapture(platform::user::TopLevelOf(*w).handle);
  return previous;
}

BOOL ReleaseCapture() {
  HWND previous = GetCapture();
  In().capture = nullptr;
  if (previous) {
    platform::GetDriver()->SetCapture(nullptr);
    SendMessageW(previous, WM_CAPTURECHANGED, 0, 0);
  }
  return TRUE;
}

HWND GetCapture() { return Find(In().capture) ? In().capture : nullptr; }

BOOL GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  *point = platform::GetDriver()->CursorPos();
  return TRUE;
}

// Cursor handles are the resource ids of the standard cursors.
HCURSOR LoadCursorW(HINSTANCE, LPCWSTR name) {
  const auto id = reinterpret_cast<ULONG_PTR>(name);
  if (name == IDC_ARROW || name == IDC_IBEAM || name == IDC_HAND) return reinterpret_cast<HCURSOR>(id);
  return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR previous = In().cursor;
  In().cursor = cursor;
  if (!cursor) return previous;
  platform::CursorShape shape = platform::CursorShape::Arrow;
  if (cursor == LoadCursorW(nullptr, IDC_HAND)) shape = platform::CursorShape::Hand;
  if (cursor == LoadCursorW(nullptr, IDC_IBEAM)) shape = platform::CursorShape::IBeam;
  if (HWND top = platform::user::CursorWindow(); Find(top)) platform::GetDriver()->SetCursorShape(top, shape);
  return previous;
}
