// The three system-wide hotkeys: registration, dispatch, key names and the
// capture of new keys on the Keybinds panel.
#pragma once

#include <cstdint>
#include <string>

#include "win32.h"

enum HotkeyId { HOTKEY_TOGGLE = 1, HOTKEY_SPLIT = 2, HOTKEY_CANCEL = 4 };

// The actions in the order of their Keybinds panel buttons.
inline const char* const kBindingActions[] = {"toggle", "split", "cancel"};

// Drops the main window's registrations, then registers toggle, split and
// cancel from `keybinds`, in that order. Failures are silent.
void RegisterKeybinds();

// The toggle hotkey: flips the mode. The edit boxes' text is applied first
// and the boxes are rebuilt, so none stays over the click-through overlay.
void ToggleMode();

// WM_HOTKEY: acts on the id unless a key capture is pending or a split-name
// edit box has the focus on the Edit Splits panel.
void HandleHotkey(WPARAM id);

// The name shown for a virtual-key code; "VK_%02X" when the platform has none.
std::wstring GetKeyName(std::int32_t vk);
// "VK_" and the code as unsigned upper-case hex, at least two digits.
std::wstring FallbackKeyName(std::int32_t vk);
// The lParam-style request for GetKeyNameTextW: scan code in bits 16..23,
// the extended-key flag (bit 24) for keys that share a scan code with a
// keypad key.
LONG KeyNameRequest(UINT scanCode, std::int32_t vk);

// Keybinds panel: a binding button press starts a capture for `action`.
void StartRebinding(const std::string& action);
// Keybinds panel Save: pending bindings become the ones in force.
void SaveAndRegisterKeybinds();
// WM_KEYDOWN: the key becomes the pending code of the action being captured.
void HandleRebindingKeyDown(WPARAM vk);
