#include "hotkeys/hotkeys.h"

#include "editor/split_editor.h"
#include "run/run_state.h"
#include "storage/keybind_state.h"
#include "window/layout.h"
#include "window/overlay.h"
#include "window/window_state.h"

namespace {
void RegisterAction(int id, const char* action) {
  const auto it = keybinds.find(action);
  if (it == keybinds.end()) return;
  RegisterHotKey(g_hwnd, id, 0, static_cast<UINT>(it->second));
}

// A split-name edit box (a child of the main window) holds the focus.
bool EditBoxHasFocus() {
  const HWND focus = GetFocus();
  return focus != nullptr && GetParent(focus) == g_hwnd;
}
}  // namespace

void RegisterKeybinds() {
  for (int id = 1; id <= 4; ++id) UnregisterHotKey(g_hwnd, id);
  RegisterAction(HOTKEY_TOGGLE, "toggle");
  RegisterAction(HOTKEY_SPLIT, "split");
  RegisterAction(HOTKEY_CANCEL, "cancel");
}

void ToggleMode() {
  ApplySplitNameEdits();
  clickThroughEnabled = !clickThroughEnabled;
  SetClickThrough(clickThroughEnabled);
  UpdateSplitEditBoxes();
}

void HandleHotkey(WPARAM id) {
  if (!rebinding.empty()) return;
  if (activeTab == TAB_EDIT_SPLITS && EditBoxHasFocus()) return;
  switch (id) {
    case HOTKEY_TOGGLE: ToggleMode(); break;
    case HOTKEY_SPLIT:
      HandleSplitPress(ReadSteadyClock());
      FullRepaint();
      break;
    case HOTKEY_CANCEL:
      CancelTimerAndSplits();
      FullRepaint();
      break;
    default: break;
  }
}
