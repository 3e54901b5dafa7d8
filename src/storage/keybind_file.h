// Hotkey bindings and keybinds.cfg.
#pragma once

#include <cstdint>
#include <map>
#include <string>

// Ordered by byte-wise comparison of the action names.
using KeybindMap = std::map<std::string, std::int32_t>;

extern KeybindMap keybinds;         // in force: registered and saved
extern KeybindMap pendingKeybinds;  // as edited on the Keybinds panel
extern std::string rebinding;       // action waiting for a key, or empty

// toggle = '7' (0x37), split = Space (0x20), cancel = 'C' (0x43).
const KeybindMap& DefaultKeybinds();

void SaveKeybinds();
void LoadKeybinds();

// Puts both maps back to the defaults and clears `rebinding` (tests).
void ResetKeybindsForTests();

// keybinds.cfg's format on bytes in memory (a missing file reads as "").
std::string KeybindsFileBytes();
void LoadKeybindsFromBytes(const std::string& bytes);
