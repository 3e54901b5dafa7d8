#include "window/overlay.h"

#include "run/run_state.h"
#include "window/controls.h"
#include "window/layout.h"

void FullRepaint() { InvalidateRect(g_hwnd, nullptr, TRUE); }

void SetClickThrough(bool enabled) {
  LONG_PTR exStyle = GetWindowLongPtrW(g_hwnd, GWL_EXSTYLE);
  if (enabled) {
    exStyle |= WS_EX_TRANSPARENT;
  } else {
    exStyle &= ~static_cast<LONG_PTR>(WS_EX_TRANSPARENT);
  }
  SetWindowLongPtrW(g_hwnd, GWL_EXSTYLE, exStyle);
  FullRepaint();
}

void EnsureTopMost(HWND hwnd) {
  SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void AdjustWindowHeightForSplits(HWND hwnd) {
  const int height = WindowHeightForSplits(static_cast<int>(splitNames.size()));
  RECT r{};
  GetWindowRect(hwnd, &r);
  SetWindowPos(hwnd, nullptr, r.left, r.top, layout::kWidth, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool HandleSetCursor(HWND hwnd) {
  POINT p{};
  GetCursorPos(&p);
  ScreenToClient(hwnd, &p);
  if (IsInsideRect(p.x, p.y, CloseButtonRectNow(hwnd))) {
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return true;
  }
  if (!clickThroughEnabled) {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    return true;
  }
  return false;
}

void StartWindowDrag(HWND hwnd) {
  dragging = true;
  POINT p{};
  GetCursorPos(&p);
  RECT w{};
  GetWindowRect(hwnd, &w);
  dragOffset.x = p.x - w.left;
  dragOffset.y = p.y - w.top;
  SetCapture(hwnd);
}

void MoveWindowDrag(HWND hwnd) {
  POINT p{};
  GetCursorPos(&p);
  SetWindowPos(hwnd, nullptr, p.x - dragOffset.x, p.y - dragOffset.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void EndWindowDrag() {
  dragging = false;
  ReleaseCapture();
}
