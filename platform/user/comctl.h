// comctl32's window subclassing, under the layer's own names: the
// application defines SetWindowSubclass and friends itself (as forwarders to
// what it finds in "comctl32.dll" by name), so these must not clash.
#pragma once

#include "win32_layer.h"

namespace platform::comctl {

BOOL SetWindowSubclassImpl(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR refData);
BOOL RemoveWindowSubclassImpl(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id);
LRESULT DefSubclassProcImpl(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace platform::comctl
