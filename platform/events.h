// Entry points of the window model that a driver calls when input arrives.
// Coordinates are client pixels of the top-level window `top`; the window
// model routes to children, capture and focus itself.
#pragma once

#include "win32_layer.h"

namespace platform {

void OnMouseMove(HWND top, int x, int y);
void OnButton(HWND top, bool down, int x, int y);  // left button
void OnWheel(HWND top, int delta, int x, int y);   // WHEEL_DELTA per notch, > 0 away from the user
// A key: `vk` a Windows virtual-key code, `scan` its scan code, `extended`
// the extended-key flag; `alt` when Alt is held (WM_SYSKEYDOWN).
void OnKey(HWND top, UINT vk, UINT scan, bool extended, bool down, bool repeat, bool alt);
void OnChar(HWND top, WCHAR ch);            // typed text, one character (UTF-32)
void OnHotkey(UINT vk);                     // a grabbed hotkey was pressed (also on auto-repeat)
void OnExpose(HWND top, const RECT& area);  // the display lost this part of the frame
void OnFocusChange(HWND top, bool focused);
// The top-level was moved by someone else (a window manager).
void OnMoved(HWND top, int x, int y);

}  // namespace platform
