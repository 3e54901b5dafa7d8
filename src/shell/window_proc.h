// The main window's procedure and the state it keeps across messages.
#pragma once

#include "win32.h"

extern int activeTab;    // a Tabs value: the panel shown
extern bool closeHover;  // the last mouse move lay on the close button
extern UINT timerID;     // the repaint timer, 0 before WM_CREATE
extern int tick;         // repaint-timer ticks since start

LRESULT CALLBACK WindowProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

void ResetWindowProcStateForTests();
