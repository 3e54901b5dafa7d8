#include "x11/root_key_grabs.h"

#include "events.h"
#include "x11/key_grabs.h"
#include "x11/keymap.h"

namespace platform::x11 {

RootKeyGrabs::RootKeyGrabs(Display* dpy, Window root)
    : dpy_(dpy), root_(root), lockCombinations_(LockCombinations(FindLockMasks(dpy))) {}

int RootKeyGrabs::KeycodeOf(UINT vk) {
  for (KeySym sym : KeysymsForVk(vk))
    if (const int keycode = XKeysymToKeycode(dpy_, sym)) return keycode;
  return 0;
}

int RootKeyGrabs::GrabFreeKeycode(UINT vk) {
  const int keycode = KeycodeOf(vk);
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
  const std::vector<unsigned> combinations = LockCombinations(FindLockMasks(dpy_));
  const bool locksMoved = combinations != lockCombinations_;
  // A key that stays where it was keeps its grab: under XWayland every new
  // keyboard sends a new keymap, and a press must not slip past in between.
  for (auto& [vk, keycode] : keycodes_) {
    if (keycode == 0 || (!locksMoved && KeycodeOf(vk) == keycode)) continue;
    UngrabBareKey(dpy_, root_, keycode, lockCombinations_);
    keycode = 0;
  }
  lockCombinations_ = combinations;
  // A key that has no keycode now, or is held by someone else, stays
  // registered with none: the next keymap may give it back.
  for (auto& [vk, keycode] : keycodes_)
    if (keycode == 0) keycode = GrabFreeKeycode(vk);
}

}  // namespace platform::x11
