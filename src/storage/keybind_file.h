// Hotkey bindings and keybinds.cfg.
#pragma once

#include <string>

#include "storage/keybind_state.h"

void SaveKeybinds();
void LoadKeybinds();

// keybinds.cfg's format on bytes in memory (a missing file reads as "").
std::string KeybindsFileBytes();
void LoadKeybindsFromBytes(const std::string& bytes);
