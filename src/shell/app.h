// Start-up, message loop and shutdown of the one window.
#pragma once

#include "win32.h"
#include "shell/subclass_procs.h"
#include "window/window_state.h"

// Common controls, window class and window, files, hotkeys, overlay mode and
// window height, in that order. Everything before the message loop.
void StartUp(HINSTANCE hInstance);
// One pass of the loop for a fetched message: translate, dispatch, then give
// the live edit boxes their subclass procedure.
void ProcessMessage(const MSG& msg);
// Fetches and processes messages until the quit request.
void RunMessageLoop();
// Destroys the remaining edit boxes and releases the library, the shared
// edit-box font and brush.
void ShutDown();

// Every process-wide variable of the program back to its process-start
// value (tests): the edit boxes and the shared GDI objects are released and
// comctl32 let go first, as at exit.
void ResetStateForTests();
