// Window classes and windows: creation, destruction, styles, geometry,
// parents and children.
#include <algorithm>
#include <cwctype>
#include <map>
#include <memory>
#include <unordered_map>

#include "driver.h"
#include "user/user_internal.h"

namespace platform {
namespace user {
namespace {

struct Registry {
  std::unordered_map<std::uintptr_t, std::unique_ptr<Window>> windows;
  std::vector<HWND> topLevels;  // in creation order
  // Handles are never reused: a stale handle must not reach a new window.
  std::uintptr_t nextHandle = 0x10000;
  std::map<std::wstring, std::unique_ptr<WindowClass>> classes;  // by lower-case name
  ATOM nextAtom = 0xC000;
};

Registry& Reg() {
  static Registry registry;
  return registry;
}

std::wstring Lower(const std::wstring& s) {
  std::wstring out = s;
  for (auto& c : out) c = static_cast<wchar_t>(std::towlower(c));
  return out;
}

const WindowClass* FindClass(LPCWSTR name) {
  if (!name) return nullptr;
  const std::wstring key = Lower(name);
  auto it = Reg().classes.find(key);
  if (it != Reg().classes.end()) return it->second.get();
  if (key == L"edit") return EditClass();
  return nullptr;
}

void SendSizeAndMove(Window& w) {
  const RECT client = ClientRectOf(w);
  Deliver(w.handle, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
  Deliver(w.handle, WM_MOVE, 0, MAKELPARAM(w.rect.left + BorderWidth(w), w.rect.top + BorderWidth(w)));
}

// The area a child covers in its parent's client area must be repainted
// there when the child goes away or moves.
void InvalidateAreaUnder(Window& w) {
  if (!IsChildWindow(w)) return;
  if (Window* parent = Find(w.parent)) AddToUpdate(*parent, w.rect, true);
}

void SendDestroy(HWND hwnd) {
  Window* w = Find(hwnd);
  if (!w) return;
  Deliver(hwnd, WM_DESTROY, 0, 0);
  // The parent hears WM_DESTROY while its children still exist, so it can
  // read them; then the children go.
  w = Find(hwnd);
  if (!w) return;
  const std::vector<HWND> children = w->children;
  for (HWND child : children) SendDestroy(child);
}

void Free(HWND hwnd) {
  Window* w = Find(hwnd);
  if (!w) return;
  const std::vector<HWND> children = w->children;
  for (HWND child : children) Free(child);
  w = Find(hwnd);
  if (!w) return;
  Deliver(hwnd, WM_NCDESTROY, 0, 0);
  w = Find(hwnd);
  if (!w) return;
  ForgetSubclasses(*w);
  ForgetTimersOf(hwnd);
  ForgetHotkeysOf(hwnd);
  ForgetQueuedMessagesFor(hwnd);
  ForgetDCsOf(hwnd);
  if (Window* parent = Find(w->parent); parent && IsChildWindow(*w)) {
    auto& siblings = parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
  }
  if (!IsChildWindow(*w)) {
    auto& tops = Reg().topLevels;
    tops.erase(std::remove(tops.begin(), tops.end(), hwnd), tops.end());
    GetDriver()->DestroyTopLevel(hwnd);
    DestroyFrame(*w);
  }
  Reg().windows.erase(reinterpret_cast<std::uintptr_t>(hwnd));
}

void AppendInPaintOrder(HWND hwnd, std::vector<HWND>& out) {
  Window* w = Find(hwnd);
  if (!w) return;
  out.push_back(hwnd);
  for (HWND child : w->children) AppendInPaintOrder(child, out);
}

void SetVisible(Window& w, bool visible) {
  if (w.visible == visible) return;
  if (!visible) InvalidateAreaUnder(w);
  w.visible = visible;
  if (!IsChildWindow(w)) GetDriver()->ShowTopLevel(w.handle, visible);
  if (visible) InvalidateWholeWindow(w);
}

}  // namespace

Window* Find(HWND hwnd) {
  if (!hwnd) return nullptr;
  auto& windows = Reg().windows;
  auto it = windows.find(reinterpret_cast<std::uintptr_t>(hwnd));
  return it == windows.end() ? nullptr : it->second.get();
}

bool IsChildWindow(const Window& w) { return (w.style & WS_CHILD) && w.parent; }

Window& TopLevelOf(Window& w) {
  Window* current = &w;
  while (IsChildWindow(*current)) {
    Window* parent = Find(current->parent);
    if (!parent) break;
    current = parent;
  }
  return *current;
}

bool IsSelfOrDescendant(HWND hwnd, HWND ancestor) {
  Window* w = Find(hwnd);
  while (w) {
    if (w->handle == ancestor) return true;
    if (!IsChildWindow(*w)) return false;
    w = Find(w->parent);
  }
  return false;
}

const std::vector<HWND>& WindowsInPaintOrder() {
  // Asked several times a tick: the list keeps its storage.
  static std::vector<HWND> out;
  out.clear();
  for (HWND top : Reg().topLevels) AppendInPaintOrder(top, out);
  return out;
}

bool IsShownOnScreen(const Window& w) {
  const Window* current = &w;
  while (current) {
    if (!current->visible) return false;
    if (!IsChildWindow(*current)) return true;
    current = Find(current->parent);
  }
  return false;
}

bool IsEditClass(const Window& w) { return w.cls == EditClass(); }

int BorderWidth(const Window& w) { return (w.style & WS_BORDER) ? 1 : 0; }

RECT ClientRectOf(const Window& w) {
  const int b = BorderWidth(w);
  const LONG width = std::max<LONG>(0, w.rect.right - w.rect.left - 2 * b);
  const LONG height = std::max<LONG>(0, w.rect.bottom - w.rect.top - 2 * b);
  return RECT{0, 0, width, height};
}

POINT WindowOriginInFrame(const Window& w) {
  if (!IsChildWindow(w)) return POINT{0, 0};
  const Window* parent = Find(w.parent);
  if (!parent) return POINT{0, 0};
  const POINT base = ClientOriginInFrame(*parent);
  return POINT{base.x + w.rect.left, base.y + w.rect.top};
}

POINT ClientOriginInFrame(const Window& w) {
  const POINT origin = WindowOriginInFrame(w);
  return POINT{origin.x + BorderWidth(w), origin.y + BorderWidth(w)};
}

POINT ClientOriginOnScreen(const Window& w) {
  Window& top = TopLevelOf(const_cast<Window&>(w));
  const POINT inFrame = ClientOriginInFrame(w);
  return POINT{top.rect.left + inFrame.x, top.rect.top + inFrame.y};
}

RECT VisibleClientInFrame(const Window& w) {
  const POINT origin = ClientOriginInFrame(w);
  RECT visible = Offset(ClientRectOf(w), origin.x, origin.y);
  const Window* current = &w;
  while (IsChildWindow(*current)) {
    current = Find(current->parent);
    if (!current) break;
    const POINT o = ClientOriginInFrame(*current);
    visible = Intersect(visible, Offset(ClientRectOf(*current), o.x, o.y));
  }
  return visible;
}

int WindowCountForTests() { return static_cast<int>(Reg().windows.size()); }

void DestroyAllWindowsForTests() {
  const std::vector<HWND> tops = Reg().topLevels;
  for (HWND top : tops) DestroyWindow(top);
  // Application classes go too; the layer's own EDIT class stays.
  Reg().classes.clear();
}

}  // namespace user

int LiveWindowCount() { return user::WindowCountForTests(); }

}  // namespace platform

using platform::GetDriver;
using platform::user::Find;
using platform::user::Window;

ATOM RegisterClassW(const WNDCLASSW* wc) {
  using namespace platform::user;
  if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) return 0;
  const std::wstring key = Lower(wc->lpszClassName);
  if (Reg().classes.count(key) || key == L"edit") return 0;
  auto cls = std::make_unique<WindowClass>();
  cls->name = wc->lpszClassName;
  cls->style = wc->style;
  cls->proc = wc->lpfnWndProc;
  cls->cursor = wc->hCursor;
  cls->background = wc->hbrBackground;
  Reg().classes[key] = std::move(cls);
  return Reg().nextAtom++;
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  using namespace platform::user;
  const WindowClass* cls = FindClass(className);
  if (!cls) return nullptr;
  if ((style & WS_CHILD) && !Find(parent)) return nullptr;
  if (parent && !Find(parent)) return nullptr;

  if (x == CW_USEDEFAULT) x = y = 0;
  if (width == CW_USEDEFAULT) width = height = 0;
  width = std::max(0, width);
  height = std::max(0, height);

  auto owned = std::make_unique<Window>();
  Window& w = *owned;
  w.handle = reinterpret_cast<HWND>(Reg().nextHandle);
  Reg().nextHandle += 4;
  w.cls = cls;
  w.proc = cls->proc;
  w.text = windowName ? windowName : L"";
  w.style = style & ~static_cast<DWORD>(WS_VISIBLE);
  w.exStyle = exStyle;
  w.rect = RECT{x, y, x + width, y + height};
  w.parent = parent;
  if (style & WS_CHILD) w.id = reinterpret_cast<LONG_PTR>(menu);
  const HWND hwnd = w.handle;
  Reg().windows[reinterpret_cast<std::uintptr_t>(hwnd)] = std::move(owned);

  if (IsChildWindow(w)) {
    Find(parent)->children.push_back(hwnd);
  } else {
    Reg().topLevels.push_back(hwnd);
    CreateFrame(w);
    platform::TopLevelInit init;
    init.title = w.text;
    init.className = cls->name;
    init.x = x;
    init.y = y;
    init.width = width;
    init.height = height;
    init.style = style;
    init.exStyle = exStyle;
    GetDriver()->CreateTopLevel(hwnd, init);
  }

  // Window procedures read their creation parameter from here.
  CREATESTRUCTW cs{};
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menu;
  cs.hwndParent = parent;
  cs.cy = height;
  cs.cx = width;
  cs.y = y;
  cs.x = x;
  cs.style = static_cast<LONG>(style);
  cs.lpszName = windowName;
  cs.lpszClass = className;
  cs.dwExStyle = exStyle;
  const LPARAM create = reinterpret_cast<LPARAM>(&cs);
  if (!Deliver(hwnd, WM_NCCREATE, 0, create) || !Find(hwnd) || Deliver(hwnd, WM_CREATE, 0, create) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  Window* created = Find(hwnd);
  if (!created) return nullptr;
  SendSizeAndMove(*created);
  created = Find(hwnd);
  if (!created) return nullptr;
  if (style & WS_VISIBLE) {
    created->style |= WS_VISIBLE;
    SetVisible(*created, true);
  }
  return hwnd;
}

BOOL DestroyWindow(HWND hwnd) {
  using namespace platform::user;
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  if (w->destroying) return TRUE;
  std::vector<HWND> doomed;
  AppendInPaintOrder(hwnd, doomed);
  for (HWND d : doomed) {
    if (Window* dw = Find(d)) dw->destroying = true;
  }
  InvalidateAreaUnder(*w);
  FocusLostBy(hwnd);
  CaptureLostBy(hwnd);
  SendDestroy(hwnd);
  Free(hwnd);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return Find(hwnd) ? TRUE : FALSE; }

BOOL ShowWindow(HWND hwnd, int cmdShow) {
  using namespace platform::user;
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  const BOOL wasVisible = w->visible ? TRUE : FALSE;
  const bool show = cmdShow != SW_HIDE;
  if (show) {
    w->style |= WS_VISIBLE;
  } else {
    w->style &= ~static_cast<DWORD>(WS_VISIBLE);
  }
  SetVisible(*w, show);
  return wasVisible;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  using namespace platform::user;
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  const RECT old = w->rect;
  RECT next = old;
  if (!(flags & SWP_NOMOVE)) next = Offset(next, x - old.left, y - old.top);
  if (!(flags & SWP_NOSIZE)) {
    next.right = next.left + std::max(0, cx);
    next.bottom = next.top + std::max(0, cy);
  }
  const bool moved = next.left != old.left || next.top != old.top;
  const bool resized =
      (next.right - next.left) != (old.right - old.left) || (next.bottom - next.top) != (old.bottom - old.top);
  const bool child = IsChildWindow(*w);

  if (moved || resized) {
    if (child && w->visible) InvalidateAreaUnder(*w);
    w->rect = next;
    if (!child) {
      GetDriver()->MoveTopLevel(hwnd, next.left, next.top, next.right - next.left, next.bottom - next.top);
      if (resized) ResizeFrame(*w);
    }
    if ((resized || child) && !(flags & SWP_NOREDRAW)) InvalidateWholeWindow(*w);
  }
  if (!(flags & SWP_NOZORDER)) {
    if (child) {
      if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST) {
        auto& siblings = Find(w->parent)->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
        siblings.push_back(hwnd);
      }
    } else if (insertAfter == HWND_TOPMOST) {
      w->exStyle |= WS_EX_TOPMOST;
      GetDriver()->RaiseTopMost(hwnd);
    } else if (insertAfter == HWND_NOTOPMOST) {
      w->exStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
    }
  }
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  if ((moved || resized) && Find(hwnd)) SendSizeAndMove(*Find(hwnd));
  return TRUE;
}

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF, BYTE alpha, DWORD flags) {
  Window* w = Find(hwnd);
  if (!w || platform::user::IsChildWindow(*w) || !(w->exStyle & WS_EX_LAYERED)) return FALSE;
  if (flags & LWA_ALPHA) GetDriver()->SetOpacity(hwnd, alpha);
  return TRUE;
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
  Window* w = Find(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWL_STYLE: return static_cast<LONG_PTR>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(w->exStyle);
    case GWLP_ID: return w->id;
    case GWLP_USERDATA: return w->userData;
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    default: return 0;
  }
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  Window* w = Find(hwnd);
  if (!w) return 0;
  LONG_PTR previous = 0;
  switch (index) {
    case GWL_STYLE:
      previous = static_cast<LONG_PTR>(w->style);
      // Visibility changes only through ShowWindow/SetWindowPos.
      w->style = (static_cast<DWORD>(value) & ~static_cast<DWORD>(WS_VISIBLE)) | (w->style & WS_VISIBLE);
      break;
    case GWL_EXSTYLE: {
      previous = static_cast<LONG_PTR>(w->exStyle);
      const DWORD next = static_cast<DWORD>(value);
      const bool wasThrough = (w->exStyle & WS_EX_TRANSPARENT) != 0;
      const bool isThrough = (next & WS_EX_TRANSPARENT) != 0;
      w->exStyle = next;
      if (wasThrough != isThrough && !platform::user::IsChildWindow(*w)) {
        GetDriver()->SetClickThrough(hwnd, isThrough);
      }
      break;
    }
    case GWLP_ID:
      previous = w->id;
      w->id = value;
      break;
    case GWLP_USERDATA:
      previous = w->userData;
      w->userData = value;
      break;
    case GWLP_WNDPROC:
      previous = reinterpret_cast<LONG_PTR>(w->proc);
      if (value) w->proc = reinterpret_cast<WNDPROC>(value);
      break;
    default: return 0;
  }
  return previous;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  using namespace platform::user;
  Window* w = Find(hwnd);
  if (!w || !rect) return FALSE;
  Window& top = TopLevelOf(*w);
  const POINT origin = WindowOriginInFrame(*w);
  const LONG width = w->rect.right - w->rect.left;
  const LONG height = w->rect.bottom - w->rect.top;
  rect->left = top.rect.left + origin.x;
  rect->top = top.rect.top + origin.y;
  rect->right = rect->left + width;
  rect->bottom = rect->top + height;
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  Window* w = Find(hwnd);
  if (!w || !rect) return FALSE;
  *rect = platform::user::ClientRectOf(*w);
  return TRUE;
}

HWND GetParent(HWND hwnd) {
  Window* w = Find(hwnd);
  if (!w) return nullptr;
  return Find(w->parent) ? w->parent : nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  Window* w = Find(hwnd);
  if (!w || !platform::user::IsChildWindow(*w)) return 0;
  return static_cast<int>(w->id);
}

int GetClassNameW(HWND hwnd, LPWSTR buffer, int maxCount) {
  Window* w = Find(hwnd);
  if (!w || !buffer || maxCount <= 0) return 0;
  const std::wstring& name = w->cls->name;
  const int n = std::min<int>(static_cast<int>(name.size()), maxCount - 1);
  std::copy(name.begin(), name.begin() + n, buffer);
  buffer[n] = L'\0';
  return n;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount) {
  if (!buffer || maxCount <= 0) return 0;
  buffer[0] = L'\0';
  if (!Find(hwnd)) return 0;
  return static_cast<int>(
      SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) {
  if (!Find(hwnd)) return 0;
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
  if (!Find(hwnd)) return FALSE;
  return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
  Window* w = Find(hwnd);
  if (!w || !point) return FALSE;
  const POINT origin = platform::user::ClientOriginOnScreen(*w);
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
  Window* w = Find(hwnd);
  if (!w || !point) return FALSE;
  const POINT origin = platform::user::ClientOriginOnScreen(*w);
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}
