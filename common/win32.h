// The one platform header of the shell (and of what it shares with the
// layer): the real Win32 API on Windows, the project's own implementation of
// the same operations elsewhere.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commctrl.h>
#else
#include "win32_layer.h"
#endif
