// The main window's procedure.
#pragma once

#include "shell/shell_state.h"
#include "win32.h"
#include "window/window_state.h"

LRESULT CALLBACK WindowProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
