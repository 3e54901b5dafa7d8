#include "hotkeys/hotkeys.h"

#include "storage/keybind_file.h"
#include "window/overlay.h"

void StartRebinding(const std::string& action) {
  rebinding = action;
  FullRepaint();
}

void SaveAndRegisterKeybinds() {
  keybinds = pendingKeybinds;
  SaveKeybinds();
  RegisterKeybinds();
  FullRepaint();
}

void HandleRebindingKeyDown(WPARAM vk) {
  if (rebinding.empty()) return;
  pendingKeybinds[rebinding] = static_cast<std::int32_t>(static_cast<std::uint32_t>(vk & 0xFFFFFFFFu));
  rebinding.clear();
  FullRepaint();
}
