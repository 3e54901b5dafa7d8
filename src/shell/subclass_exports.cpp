// The module's own SetWindowSubclass, RemoveWindowSubclass and
// DefSubclassProc, exported from the executable under those names. They
// forward to comctl32.dll, loaded by name, and fall back when it is missing.
#ifdef _WIN32
// <commctrl.h> declares these three as imports, so it stays out of this file.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
typedef LRESULT(CALLBACK* SUBCLASSPROC)(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
#define BRENVIK_EXPORTED extern "C" __declspec(dllexport)
#else
#include "win32_layer.h"
#define BRENVIK_EXPORTED
#endif

#include "shell/subclass_procs.h"

BRENVIK_EXPORTED BOOL WINAPI SetWindowSubclass(HWND hWnd, SUBCLASSPROC pfnSubclass, UINT_PTR uIdSubclass,
                                               DWORD_PTR dwRefData) {
  EnsureSubclassProcsLoaded();
  if (fn_SetWindowSubclass == nullptr) return FALSE;
  return fn_SetWindowSubclass(hWnd, pfnSubclass, uIdSubclass, dwRefData);
}

BRENVIK_EXPORTED BOOL WINAPI RemoveWindowSubclass(HWND hWnd, SUBCLASSPROC pfnSubclass, UINT_PTR uIdSubclass) {
  EnsureSubclassProcsLoaded();
  if (fn_RemoveWindowSubclass == nullptr) return FALSE;
  return fn_RemoveWindowSubclass(hWnd, pfnSubclass, uIdSubclass);
}

BRENVIK_EXPORTED LRESULT WINAPI DefSubclassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  EnsureSubclassProcsLoaded();
  if (fn_DefSubclassProc == nullptr) return DefWindowProcW(hWnd, uMsg, wParam, lParam);
  return fn_DefSubclassProc(hWnd, uMsg, wParam, lParam);
}
