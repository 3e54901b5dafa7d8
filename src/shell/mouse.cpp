#include "shell/mouse.h"

#include <iterator>

#include "editor/split_editor.h"
#include "hotkeys/hotkeys.h"
#include "render/primitives.h"
#include "run/run_state.h"
#include "window/controls.h"
#include "window/layout.h"
#include "window/overlay.h"
#include "window/window_state.h"

namespace {
bool PressKeybindsButton(int x, int y) {
  const int actions = static_cast<int>(std::size(kBindingActions));
  for (int i = 0; i < actions; ++i) {
    if (IsInsideRect(x, y, KeybindsButtonRect(i))) {
      StartRebinding(kBindingActions[i]);
      return true;
    }
  }
  // Save follows the three binding buttons.
  if (IsInsideRect(x, y, KeybindsButtonRect(actions))) {
    SaveAndRegisterKeybinds();
    return true;
  }
  return false;
}

bool PressEditSplitsControl(int x, int y) {
  if (IsInsideRect(x, y, EditSplitsButtonRect(0))) {
    AddSplit();
    return true;
  }
  if (!splitNames.empty() && IsInsideRect(x, y, EditSplitsButtonRect(1))) {
    RemoveLastSplit();
    return true;
  }
  if (IsInsideRect(x, y, EditSplitsButtonRect(2))) {
    ResetBestTimes();
    return true;
  }
  return SelectRowAt(x, y);
}
}  // namespace

void HandleMouseMove(HWND hwnd, int x, int y) {
  const Rect closeBtn = CloseButtonRectNow(hwnd);
  const bool wasHover = closeHover;
  closeHover = IsInsideRect(x, y, closeBtn);
  if (closeHover != wasHover) {
    const RECT r = ToRECT(closeBtn);
    InvalidateRect(hwnd, &r, FALSE);
  }
  if (splitEditScrollDragging && activeTab == TAB_EDIT_SPLITS && !clickThroughEnabled) MoveThumbDrag(y);
  if (dragging && !clickThroughEnabled) MoveWindowDrag(hwnd);
}

bool HandleButtonPress(HWND hwnd, int x, int y) {
  const int hitTab = HitTab(x, y);
  const bool hitClose = IsInsideRect(x, y, CloseButtonRectNow(hwnd));
  const bool interactive = !clickThroughEnabled;

  if (interactive && activeTab == TAB_EDIT_SPLITS && IsInsideRect(x, y, GetScrollBarArea())) {
    StartThumbDrag(hwnd, y);
    return true;
  }
  if (hitClose) {
    if (activeTab == TAB_EDIT_SPLITS) SaveEditedSplits();
    PostQuitMessage(0);
    return true;
  }
  if (interactive && activeTab == TAB_KEYBINDS && PressKeybindsButton(x, y)) return true;
  if (interactive && activeTab == TAB_EDIT_SPLITS && PressEditSplitsControl(x, y)) return true;
  if (interactive && hitTab < 0) {
    StartWindowDrag(hwnd);
    return true;
  }
  if (hitTab >= 0) {
    SwitchToTab(hitTab);
    return true;
  }
  return false;
}

void HandleButtonRelease() {
  if (dragging) EndWindowDrag();
  if (splitEditScrollDragging) EndThumbDrag();
}

void HandleMouseWheel(int wheelDelta) {
  if (activeTab == TAB_EDIT_SPLITS) ScrollSplitListByWheel(wheelDelta);
}

void SwitchToTab(int tab) {
  if (activeTab == TAB_EDIT_SPLITS) SaveEditedSplits();
  activeTab = tab;
  editSplitsScrollPos = 0;
  UpdateSplitEditBoxes();
  AdjustWindowHeightForSplits(g_hwnd);
  FullRepaint();
}
