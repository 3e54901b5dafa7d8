#include "conformance.h"

namespace conformance {

void WaitMs(int ms) { Sleep(static_cast<DWORD>(ms)); }

void InjectPointer(HWND top, int x, int y, Pointer what) {
  POINT at{x, y};
  ClientToScreen(top, &at);
  // Absolute positions are in 0..65535 across the primary screen.
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>((at.x * 65536LL + width / 2) / width);
  input.mi.dy = static_cast<LONG>((at.y * 65536LL + height / 2) / height);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  if (what == Pointer::Press) input.mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
  if (what == Pointer::Release) input.mi.dwFlags |= MOUSEEVENTF_LEFTUP;
  SendInput(1, &input, sizeof input);
}

}  // namespace conformance
