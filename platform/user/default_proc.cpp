// DefWindowProcW: what a window gets for the messages it leaves alone.
#include <algorithm>

#include "user/user_internal.h"

namespace {

using platform::user::Find;
using platform::user::Window;
using platform::user::WindowClass;

constexpr int kWhiteBrush = 0;  // stock object indexes
constexpr int kBlackBrush = 4;

// The 1-pixel WS_BORDER frame, in black.
void PaintBorder(HWND hwnd, const Window& w) {
  if (!(w.style & WS_BORDER)) return;
  HDC hdc = GetWindowDC(hwnd);
  if (!hdc) return;
  const LONG width = w.rect.right - w.rect.left;
  const LONG height = w.rect.bottom - w.rect.top;
  auto black = static_cast<HBRUSH>(GetStockObject(kBlackBrush));
  const RECT edges[] = {
      {0, 0, width, 1}, {0, height - 1, width, height}, {0, 0, 1, height}, {width - 1, 0, width, height}};
  for (const RECT& edge : edges) FillRect(hdc, &edge, black);
  ReleaseDC(hwnd, hdc);
}

LRESULT SetCursorDefault(const Window& w, WPARAM wParam, LPARAM lParam) {
  // A child first offers the choice to its parent.
  if (platform::user::IsChildWindow(w) && Find(w.parent) && SendMessageW(w.parent, WM_SETCURSOR, wParam, lParam)) {
    return TRUE;
  }
  if (LOWORD(lParam) != HTCLIENT) return FALSE;
  // The class cursor of the window under the pointer (wParam), which a
  // parent answering for its child is not; the arrow for a class without one.
  const Window* pointed = Find(reinterpret_cast<HWND>(wParam));
  const WindowClass* cls = pointed ? pointed->cls : w.cls;
  HCURSOR cursor = cls->cursor ? cls->cursor : LoadCursorW(nullptr, IDC_ARROW);
  SetCursor(cursor);
  return TRUE;
}

}  // namespace

LRESULT platform::user::CopyTextOut(const std::wstring& text, WPARAM size, LPARAM buffer) {
  auto* out = reinterpret_cast<LPWSTR>(buffer);
  if (!out || size == 0) return 0;
  const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
  std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), out);
  out[n] = L'\0';
  return static_cast<LRESULT>(n);
}

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = Find(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_NCCREATE: return TRUE;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_NCPAINT: PaintBorder(hwnd, *w); return 0;
    case WM_ERASEBKGND: {
      auto hdc = reinterpret_cast<HDC>(wParam);
      if (!hdc || !w->cls->background) return 0;
      const RECT client = platform::user::ClientRectOf(*w);
      FillRect(hdc, &client, w->cls->background);
      return 1;
    }
    case WM_SETCURSOR: return SetCursorDefault(*w, wParam, lParam);
    case WM_GETTEXT: return platform::user::CopyTextOut(w->text, wParam, lParam);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->text.size());
    case WM_SETTEXT: {
      auto text = reinterpret_cast<LPCWSTR>(lParam);
      w->text = text ? text : L"";
      return TRUE;
    }
    case WM_CTLCOLOREDIT: {
      auto hdc = reinterpret_cast<HDC>(wParam);
      SetTextColor(hdc, RGB(0, 0, 0));
      SetBkColor(hdc, RGB(255, 255, 255));
      return reinterpret_cast<LRESULT>(GetStockObject(kWhiteBrush));
    }
    case WM_MOUSEWHEEL:
      // Unhandled wheel turns go up to the parent, as on Windows.
      if (platform::user::IsChildWindow(*w) && Find(w->parent)) return SendMessageW(w->parent, msg, wParam, lParam);
      return 0;
    default: return 0;
  }
}
