// The two modes (overlay: click-through; interactive: takes the mouse), the
// top-most upkeep, the window height rule, the cursor and the window drag.
#pragma once

#include "win32.h"

extern bool clickThroughEnabled;  // true in overlay mode
extern bool dragging;             // a window drag is in progress
extern POINT dragOffset;          // cursor minus window corner at drag start

// Sets or clears WS_EX_TRANSPARENT on the main window and repaints it.
void SetClickThrough(bool enabled);
// The toggle hotkey: flips the mode. The edit boxes' text is applied first
// and the boxes are rebuilt, so none stays over the click-through overlay.
void ToggleMode();
void EnsureTopMost(HWND hwnd);
void AdjustWindowHeightForSplits(HWND hwnd);
// WM_SETCURSOR: true when a cursor was set (the message's result is TRUE).
bool HandleSetCursor(HWND hwnd);

void StartWindowDrag(HWND hwnd);
void MoveWindowDrag(HWND hwnd);
void EndWindowDrag();

void ResetOverlayStateForTests();
