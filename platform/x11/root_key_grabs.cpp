#include "x11/root_key_grabs.h"

#include "events.h"
#include "x11/key_grabs.h"
#include "x11/keymap.h"

namespace platform::x11 {

RootKeyGrabs::RootKeyGrabs(Display* dpy, Window root)
    : dpy_(dpy), root_(root), lockCombinations_(LockCombinations(FindLockMasks(dpy))) {}

int RootKeyGrabs::GrabFreeKeycode(UINT vk) {
  int keycode = 0;
  for (KeySym sym : KeysymsForVk(vk)) {
    keycode = XKeysymToKeycode(dpy_, sym);
    if (keycode != 0) break;
  }
  if (keycode == 0) return 0;
  for (const auto& [otherVk, otherKeycode] : keycodes_)
    if (otherKeycode == keycode) return 0;
  return GrabBareKey(dpy_, root_, keycode, lockCombinations_) ? keycode : 0;
}

bool RootKeyGrabs::Add(int, UINT vk) {
  if (keycodes_.count(vk)) return false;
  const int keycode = GrabFreeKeycode(vk);
  if (keycode == 0) return false;
  keycodes_[vk] = keycode;
  return true;
}

void RootKeyGrabs::Remove(UINT vk) {
  auto it = keycodes_.find(vk);
  if (it == keycodes_.end()) return;
  if (it->second != 0) UngrabBareKey(dpy_, root_, it->second, lockCombinations_);
  keycodes_.erase(it);
}

void RootKeyGrabs::HandleKey(const XKeyEvent& ev) {
  // Keys reach the root window only through our grabs; while a grabbed key
  // is held the keyboard is ours, so other keys can arrive too: ignore them.
  for (const auto& [vk, keycode] : keycodes_) {
    if (keycode == 0 || static_cast<unsigned>(keycode) != ev.keycode) continue;
    if (IsBareKeyState(ev.state)) OnHotkey(vk);
    return;
  }
}

void RootKeyGrabs::GrabAgain() {
  for (const auto& [vk, keycode] : keycodes_)
    if (keycode != 0) UngrabBareKey(dpy_, root_, keycode, lockCombinations_);
  lockCombinations_ = LockCombinations(FindLockMasks(dpy_));
  // A key that has no keycode now, or is held by someone else, stays
  // registered with none: the next keymap may give it back.
  for (auto& [vk, keycode] : keycodes_) keycode = 0;
  for (auto& [vk, keycode] : keycodes_) keycode = GrabFreeKeycode(vk);
}

}  // namespace platform::x11
