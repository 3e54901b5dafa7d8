// Mouse dispatch of the main window: hover, presses, releases, wheel.
#pragma once

#include "win32.h"

void HandleMouseMove(HWND hwnd, int x, int y);
// True when a control, a tab or the window drag took the press.
bool HandleButtonPress(HWND hwnd, int x, int y);
void HandleButtonRelease();
void HandleMouseWheel(int wheelDelta);
// Applies and saves the edits when leaving Edit Splits, switches the panel,
// scrolls the list to the top, rebuilds the boxes and refits the height.
void SwitchToTab(int tab);
