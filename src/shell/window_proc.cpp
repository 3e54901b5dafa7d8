#include "shell/window_proc.h"

#include "editor/split_editor.h"
#include "hotkeys/hotkeys.h"
#include "render/frame.h"
#include "shell/mouse.h"
#include "run/run_files.h"
#include "window/layout.h"
#include "window/overlay.h"

namespace {
constexpr UINT_PTR kRepaintTimerId = 1;
constexpr UINT kRepaintPeriodMs = 15;
constexpr int kTopMostEveryTicks = 66;

// Client coordinates of a mouse message: two signed 16-bit halves.
int PointX(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int PointY(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

void OnRepaintTick(HWND hwnd) {
  InvalidateRect(hwnd, nullptr, FALSE);
  ++tick;
  if (tick % kTopMostEveryTicks == 0) EnsureTopMost(hwnd);
}

void OnDestroy(HWND hwnd) {
  if (timerID != 0) KillTimer(hwnd, timerID);
  if (activeTab == TAB_EDIT_SPLITS) SaveEditedSplits();
  PostQuitMessage(0);
}
}  // namespace

LRESULT CALLBACK WindowProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_CREATE: timerID = static_cast<UINT>(SetTimer(hwnd, kRepaintTimerId, kRepaintPeriodMs, nullptr)); break;
    case WM_DESTROY: OnDestroy(hwnd); return 0;
    case WM_PAINT: PaintFrame(hwnd); return 0;
    case WM_SETCURSOR:
      if (HandleSetCursor(hwnd)) return TRUE;
      break;
    case WM_GETDLGCODE: return HandleWMGetDlgCode(hwnd);
    case WM_KEYDOWN: HandleRebindingKeyDown(wParam); break;
    case WM_TIMER: OnRepaintTick(hwnd); break;
    case WM_CTLCOLOREDIT: return reinterpret_cast<LRESULT>(HandleCtlColorEdit(reinterpret_cast<HDC>(wParam)));
    case WM_MOUSEMOVE: HandleMouseMove(hwnd, PointX(lParam), PointY(lParam)); break;
    case WM_LBUTTONDOWN:
      // Win32 moves no focus on a press in a parent's client area; taking it
      // from a name box here gives the hotkeys back on both builds.
      if (const HWND focus = GetFocus(); focus != nullptr && GetParent(focus) == hwnd) SetFocus(hwnd);
      if (HandleButtonPress(hwnd, PointX(lParam), PointY(lParam))) return 0;
      break;
    case WM_LBUTTONUP: HandleButtonRelease(); break;
    case WM_MOUSEWHEEL: HandleMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam)); break;
    case WM_HOTKEY: HandleHotkey(wParam); break;
    default: break;
  }
  return DefWindowProcW(hwnd, uMsg, wParam, lParam);
}
