// The panel buttons and the close button, as both the painter and the mouse
// dispatch see them.
#pragma once

#include "win32.h"
#include "window/layout.h"

// Keybinds panel: 0 toggle, 1 split, 2 cancel, 3 save.
inline Rect KeybindsButtonRect(int idx) {
  return GetCenteredButtonRect(idx, layout::kKeybindButtons, layout::kButtonWidth, layout::kButtonHeight,
                               layout::kButtonSpacing);
}

// Edit Splits panel: 0 add split, 1 remove last, 2 reset best times.
inline Rect EditSplitsButtonRect(int idx) {
  return GetCenteredButtonRect(idx, layout::kEditSplitsButtons, layout::kButtonWidth, layout::kButtonHeight,
                               layout::kButtonSpacing);
}

// The close button, placed from the window's client rectangle as it is now.
inline Rect CloseButtonRectNow(HWND hwnd) {
  RECT client{};
  GetClientRect(hwnd, &client);
  return GetCloseButtonRect(client.right);
}
