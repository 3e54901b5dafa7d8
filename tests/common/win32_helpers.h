// Helpers that the layer's own tests and the conformance suite share.
// Plain Win32: include it after the Win32 declarations.
#pragma once

namespace test_common {

// Takes every queued message (paint and due timers included) and
// dispatches it; returns how many there were. Stops at `limit`, so a window
// that never validates cannot hang a test.
inline int PumpReady(int limit) {
  int count = 0;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (++count > limit) break;
  }
  return count;
}

// A bordered single-line EDIT child that scrolls sideways, as the shell's.
inline HWND CreateEditBox(HWND parent, int x, int y, int width, int height, const wchar_t* text, int id) {
  return CreateWindowExW(0, L"EDIT", text, WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, x, y, width, height,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

}  // namespace test_common
