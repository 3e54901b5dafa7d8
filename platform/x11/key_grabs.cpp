#include "x11/key_grabs.h"

#include <X11/keysym.h>

#include <algorithm>

#include "x11/x_errors.h"

namespace platform::x11 {
namespace {

unsigned ModifierMaskOf(Display* dpy, const XModifierKeymap* map, KeySym sym) {
  const KeyCode code = XKeysymToKeycode(dpy, sym);
  if (code == 0) return 0;
  for (int mod = 0; mod < 8; ++mod)
    for (int k = 0; k < map->max_keypermod; ++k)
      if (map->modifiermap[mod * map->max_keypermod + k] == code) return 1u << mod;
  return 0;
}

}  // namespace

LockMasks FindLockMasks(Display* dpy) {
  LockMasks masks;
  XModifierKeymap* map = XGetModifierMapping(dpy);
  if (!map) return masks;
  masks.numLock = ModifierMaskOf(dpy, map, XK_Num_Lock);
  masks.scrollLock = ModifierMaskOf(dpy, map, XK_Scroll_Lock);
  XFreeModifiermap(map);
  return masks;
}

std::vector<unsigned> LockCombinations(const LockMasks& locks) {
  const unsigned bits[] = {LockMask, locks.numLock, locks.scrollLock};
  std::vector<unsigned> combinations;
  for (unsigned subset = 0; subset < 8; ++subset) {
    unsigned mask = 0;
    for (int b = 0; b < 3; ++b)
      if (subset & (1u << b)) mask |= bits[b];
    if (std::find(combinations.begin(), combinations.end(), mask) == combinations.end()) combinations.push_back(mask);
  }
  return combinations;
}

bool IsBareKeyState(unsigned state) { return (state & (ShiftMask | ControlMask | Mod1Mask | Mod4Mask)) == 0; }

bool GrabBareKey(Display* dpy, Window root, int keycode, const std::vector<unsigned>& combinations) {
  std::vector<unsigned> grabbed;
  bool refused = false;
  for (unsigned mask : combinations) {
    ErrorTrap trap(dpy);
    XGrabKey(dpy, keycode, mask, root, False, GrabModeAsync, GrabModeAsync);
    if (trap.Finish() != 0) {
      refused = true;
      break;
    }
    grabbed.push_back(mask);
  }
  if (refused) UngrabBareKey(dpy, root, keycode, grabbed);
  return !refused;
}

void UngrabBareKey(Display* dpy, Window root, int keycode, const std::vector<unsigned>& combinations) {
  ErrorTrap trap(dpy);
  for (unsigned mask : combinations) XUngrabKey(dpy, keycode, mask, root);
  trap.Finish();
}

}  // namespace platform::x11
