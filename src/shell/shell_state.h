// The window procedure's process-wide variables.
#pragma once

#include "win32.h"

// At their process-start values; `shellState = {}` puts every one back.
struct ShellState {
  UINT timerID = 0;  // the repaint timer, 0 before WM_CREATE
  int tick = 0;      // repaint-timer ticks since start
};
inline ShellState shellState;

inline UINT& timerID = shellState.timerID;
inline int& tick = shellState.tick;
