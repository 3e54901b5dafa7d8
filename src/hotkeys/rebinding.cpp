#include "hotkeys/hotkeys.h"

#include "shell/app.h"
#include "storage/keybind_file.h"

void StartRebinding(const std::string& action) {
  rebinding = action;
  InvalidateRect(g_hwnd, nullptr, TRUE);
}

void SaveAndRegisterKeybinds() {
  keybinds = pendingKeybinds;
  SaveKeybinds();
  RegisterKeybinds();
  InvalidateRect(g_hwnd, nullptr, TRUE);
}

void HandleRebindingKeyDown(WPARAM vk) {
  if (rebinding.empty()) return;
  pendingKeybinds[rebinding] = static_cast<std::int32_t>(static_cast<std::uint32_t>(vk & 0xFFFFFFFFu));
  rebinding.clear();
  InvalidateRect(g_hwnd, nullptr, TRUE);
}
