// Passive grabs of bare keys on the root window, whatever the lock keys.
#pragma once

#include "x11/xlib.h"

#include <vector>

namespace platform::x11 {

// The modifier bits of NumLock and ScrollLock on this keyboard (0 when a
// lock is not a modifier).
struct LockMasks {
  unsigned numLock = 0;
  unsigned scrollLock = 0;
};
LockMasks FindLockMasks(Display* dpy);

// Every combination of CapsLock, NumLock and ScrollLock, each once (the
// empty one included): a passive grab fires only with exactly its modifiers.
std::vector<unsigned> LockCombinations(const LockMasks& locks);

// True when a key event's modifiers, locks aside, are none of Shift, Control,
// Alt and Super: the key was pressed bare.
bool IsBareKeyState(unsigned state);

// Grabs the key under every lock combination. Each combination is checked on
// its own (another client holding it answers BadAccess); on any failure the
// combinations already grabbed are released and the result is false.
bool GrabBareKey(Display* dpy, Window root, int keycode, const std::vector<unsigned>& combinations);
void UngrabBareKey(Display* dpy, Window root, int keycode, const std::vector<unsigned>& combinations);

}  // namespace platform::x11
