// The two modes (overlay: click-through; interactive: takes the mouse), the
// top-most upkeep, the window height rule, the cursor and the window drag.
#pragma once

#include "win32.h"
#include "window/window_state.h"

// Invalidates the whole client area with background erase.
void FullRepaint();

// Sets or clears WS_EX_TRANSPARENT on the main window and repaints it.
void SetClickThrough(bool enabled);
void EnsureTopMost(HWND hwnd);
void AdjustWindowHeightForSplits(HWND hwnd);
// WM_SETCURSOR: true when a cursor was set (the message's result is TRUE).
bool HandleSetCursor(HWND hwnd);

void StartWindowDrag(HWND hwnd);
void MoveWindowDrag(HWND hwnd);
void EndWindowDrag();
