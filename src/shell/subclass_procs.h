// The window-subclassing functions of comctl32.dll, looked up by name at run
// time. Needs HWND, SUBCLASSPROC and friends declared before inclusion.
#pragma once

typedef BOOL(WINAPI* PFN_SetWindowSubclass)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);
typedef BOOL(WINAPI* PFN_RemoveWindowSubclass)(HWND, SUBCLASSPROC, UINT_PTR);
typedef LRESULT(WINAPI* PFN_DefSubclassProc)(HWND, UINT, WPARAM, LPARAM);

extern HMODULE hComctl;
extern PFN_SetWindowSubclass fn_SetWindowSubclass;
extern PFN_RemoveWindowSubclass fn_RemoveWindowSubclass;
extern PFN_DefSubclassProc fn_DefSubclassProc;

// Loads comctl32.dll once and looks the three functions up; a failed load
// is retried on the next call.
void EnsureSubclassProcsLoaded();
