// Keys whose scan code is also a keypad key's (or another key's): Windows
// sets the extended-key flag on them, and without it the Up arrow is named
// "Num 8". Shared by the shell's key names and the layer's stand-in keyboard.
#pragma once

#include "win32.h"

inline bool IsExtendedKey(UINT vk) {
  switch (vk) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE:
    case VK_DIVIDE:
    case VK_RCONTROL:
    case VK_RMENU:
    case VK_NUMLOCK:
    case VK_SNAPSHOT:
    case VK_LWIN:
    case VK_RWIN:
    case VK_APPS: return true;
    default: return false;
  }
}
