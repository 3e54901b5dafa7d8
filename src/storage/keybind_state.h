// The key bindings' process-wide variables.
#pragma once

#include <cstdint>
#include <map>
#include <string>

// Ordered by byte-wise comparison of the action names.
using KeybindMap = std::map<std::string, std::int32_t>;

// toggle = '7' (0x37), split = Space (0x20), cancel = 'C' (0x43).
const KeybindMap& DefaultKeybinds();

// At their process-start values; `keybindState = {}` puts every one back.
struct KeybindState {
  KeybindMap keybinds = DefaultKeybinds();         // in force: registered and saved
  KeybindMap pendingKeybinds = DefaultKeybinds();  // as edited on the Keybinds panel
  std::string rebinding;                           // action waiting for a key, or empty
};
inline KeybindState keybindState;

inline KeybindMap& keybinds = keybindState.keybinds;
inline KeybindMap& pendingKeybinds = keybindState.pendingKeybinds;
inline std::string& rebinding = keybindState.rebinding;
