// The main window's process-wide variables: the window, the panel shown,
// the close button's hover, overlay mode and the window drag.
#pragma once

#include "win32.h"
#include "window/layout.h"

// At their process-start values; `windowState = {}` puts every one back.
struct WindowState {
  HWND g_hwnd = nullptr;
  int activeTab = TAB_TIMER;        // a Tabs value: the panel shown
  bool closeHover = false;          // the last mouse move lay on the close button
  bool clickThroughEnabled = true;  // true in overlay mode
  bool dragging = false;            // a window drag is in progress
  POINT dragOffset = {0, 0};        // cursor minus window corner at drag start
};
inline WindowState windowState;

inline HWND& g_hwnd = windowState.g_hwnd;
inline int& activeTab = windowState.activeTab;
inline bool& closeHover = windowState.closeHover;
inline bool& clickThroughEnabled = windowState.clickThroughEnabled;
inline bool& dragging = windowState.dragging;
inline POINT& dragOffset = windowState.dragOffset;
