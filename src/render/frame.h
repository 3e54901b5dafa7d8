// The paint step: the whole client area drawn off-screen, then copied to the
// window in one transfer.
#pragma once

#include "win32.h"

// WM_PAINT of the main window.
void PaintFrame(HWND hwnd);

// The elapsed-time font: 48 points at the window screen's vertical DPI.
// The caller deletes it.
HFONT CreateTimerFont(HWND hwnd);

// Panel bodies, drawn on the frame after its chrome. `modeLabelBottom` is
// the mode label's top plus its measured height.
void PaintTimerPanel(HDC hdc, HWND hwnd, int modeLabelBottom);
void PaintKeybindsPanel(HDC hdc);
void PaintEditSplitsPanel(HDC hdc);
