// Bodies of the Keybinds and Edit Splits panels (interactive mode only).
#include <string>

#include "editor/editor_state.h"
#include "hotkeys/hotkeys.h"
#include "render/frame.h"
#include "render/primitives.h"
#include "run/run_state.h"
#include "storage/keybind_state.h"
#include "window/controls.h"
#include "window/layout.h"

namespace {
constexpr int kButtonFontHeight = -15;
constexpr int kButtonRadius = 8;
constexpr int kButtonBorderWidth = 2;

void DrawControlBox(HDC hdc, const Rect& r) {
  DrawRoundRectWithBorder(hdc, r, colours::kControlFill, colours::kOutline, kButtonRadius, kButtonBorderWidth);
}

std::wstring BindingLabel(const char* action, const wchar_t* prefix) {
  if (rebinding == action) return L"Press key...";
  const auto it = pendingKeybinds.find(action);
  return prefix + (it == pendingKeybinds.end() ? std::wstring() : GetKeyName(it->second));
}

// Draws the buttons of a panel with their labels in the button font.
template <std::size_t N>
void DrawButtons(HDC hdc, Rect (*buttonRect)(int), const std::wstring (&labels)[N]) {
  const HFONT font = CreateUiFont(kButtonFontHeight, FW_NORMAL);
  const HGDIOBJ oldFont = SelectObject(hdc, font);
  const int count = static_cast<int>(N);
  for (int i = 0; i < count; ++i) DrawControlBox(hdc, buttonRect(i));
  SetTextColor(hdc, colours::kText);
  for (int i = 0; i < count; ++i) DrawCenteredLabel(hdc, labels[i], buttonRect(i));
  SelectObject(hdc, oldFont);
  DeleteObject(font);
}
}  // namespace

void PaintKeybindsPanel(HDC hdc) {
  const std::wstring labels[layout::kKeybindButtons] = {
      BindingLabel(kBindingActions[0], L"Toggle: "),
      BindingLabel(kBindingActions[1], L"Split: "),
      BindingLabel(kBindingActions[2], L"Cancel: "),
      L"Save",
  };
  DrawButtons(hdc, KeybindsButtonRect, labels);
}

void PaintEditSplitsPanel(HDC hdc) {
  const std::wstring labels[layout::kEditSplitsButtons] = {L"+ Add Split", L"- Remove Last", L"Reset Best Times"};
  DrawButtons(hdc, EditSplitsButtonRect, labels);

  const int n = static_cast<int>(splitNames.size());
  DrawScrollBar(hdc, GetScrollBarArea(), ListContentHeight(n), editSplitsScrollPos, layout::kPageHeight);
  for (int i = 0; i < n; ++i) {
    const Rect box = GetCenteredEditBoxRect(i, n, editSplitsScrollPos);
    if (IsListRowVisible(box)) DrawControlBox(hdc, box);
  }
}
