// The hotkey registry: one registration per (window, id), one per key
// combination system-wide; the driver grabs bare keys for us.
#include <algorithm>
#include <vector>

#include "driver.h"
#include "events.h"
#include "user/user_internal.h"

namespace platform::user {
namespace {

struct Hotkey {
  HWND hwnd;
  int id;
  UINT modifiers;
  UINT vk;
};

std::vector<Hotkey>& Hotkeys() {
  static std::vector<Hotkey> hotkeys;
  return hotkeys;
}

// Repeat suppression does not make a different key combination.
UINT Combination(UINT modifiers) { return modifiers & (MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN); }

void Release(const Hotkey& hotkey) {
  if (Combination(hotkey.modifiers) == 0) GetDriver()->UngrabHotkey(hotkey.vk);
}

}  // namespace

void ForgetHotkeysOf(HWND hwnd) {
  auto& all = Hotkeys();
  for (auto it = all.begin(); it != all.end();) {
    if (it->hwnd == hwnd) {
      Release(*it);
      it = all.erase(it);
    } else {
      ++it;
    }
  }
}

void ResetHotkeys() {
  for (const Hotkey& hotkey : Hotkeys()) Release(hotkey);
  Hotkeys().clear();
}

}  // namespace platform::user

void platform::OnHotkey(UINT vk) {
  for (const auto& hotkey : user::Hotkeys()) {
    if (hotkey.vk == vk && user::Combination(hotkey.modifiers) == 0) {
      PostMessageW(hotkey.hwnd, WM_HOTKEY, static_cast<WPARAM>(hotkey.id), MAKELPARAM(hotkey.modifiers & 0xFFFF, vk));
      return;
    }
  }
}

BOOL RegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT vk) {
  using namespace platform::user;
  if (hwnd && !Find(hwnd)) return FALSE;
  for (const Hotkey& hotkey : Hotkeys()) {
    // Win32 keeps an earlier key of the same window and id along with the new one.
    if (hotkey.vk == vk && Combination(hotkey.modifiers) == Combination(modifiers)) return FALSE;
  }
  // Only bare keys can be grabbed; other combinations are kept but never fire.
  if (Combination(modifiers) == 0 && !platform::GetDriver()->GrabHotkey(id, vk)) return FALSE;
  Hotkeys().push_back(Hotkey{hwnd, id, modifiers, vk});
  return TRUE;
}

BOOL UnregisterHotKey(HWND hwnd, int id) {
  using namespace platform::user;
  auto& all = Hotkeys();
  // Every key held under this id goes, so none is left that no call can free.
  bool found = false;
  for (auto it = all.begin(); it != all.end();) {
    if (it->hwnd == hwnd && it->id == id) {
      Release(*it);
      it = all.erase(it);
      found = true;
    } else {
      ++it;
    }
  }
  return found ? TRUE : FALSE;
}
