// Windows virtual keys and set-1 scan codes of X keysyms, for a US layout.
#pragma once

#include "x11/xlib.h"

#include <string>
#include <vector>

#include "win32_layer.h"

namespace platform::x11 {

struct WindowsKey {
  UINT vk = 0;  // 0: no Windows key
  UINT scan = 0;
  bool extended = false;
};

// The Windows key an X keysym stands for; vk 0 when there is none.
WindowsKey KeyForKeysym(KeySym sym);
// The Windows key at a set-1 scan code (not extended); vk 0 when none. For
// keysyms of other layouts, placed by their position on the keyboard.
WindowsKey KeyForScan(UINT scan);
// The keysyms that give this virtual key, the dedicated key before the keypad one.
std::vector<KeySym> KeysymsForVk(UINT vk);
// The name of the keysym a virtual key gives, unshifted and the dedicated
// key's before the keypad's ("space", "c", "F5", "Up"); empty when none.
std::string KeysymNameOfVk(UINT vk);
// Keypad keysyms whose meaning depends on NumLock (KP_Home / KP_7 ...).
bool IsKeypadKeysym(KeySym sym);

}  // namespace platform::x11
