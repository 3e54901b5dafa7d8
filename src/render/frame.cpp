#include "render/frame.h"

#include "render/primitives.h"
#include "window/controls.h"
#include "window/layout.h"
#include "window/window_state.h"

namespace {
constexpr int kModeLabelY = 38;
constexpr int kModeFontHeight = -18;
const COLORREF kOverlayLabel = RGB(84, 180, 255);
const COLORREF kInteractiveLabel = RGB(255, 220, 100);

// Draws the mode label and returns its bottom (top plus measured height).
int DrawModeLabel(HDC hdc) {
  const std::wstring text = clickThroughEnabled ? L"Mode: Overlay" : L"Mode: Interactive";
  return DrawCenteredLine(hdc, CreateUiFont(kModeFontHeight, FW_MEDIUM), text, kModeLabelY,
                          clickThroughEnabled ? kOverlayLabel : kInteractiveLabel);
}
}  // namespace

void PaintFrame(HWND hwnd) {
  PAINTSTRUCT ps{};
  const HDC hdc = BeginPaint(hwnd, &ps);
  RECT client{};
  GetClientRect(hwnd, &client);

  const HDC frame = CreateCompatibleDC(hdc);
  const HBITMAP bitmap = CreateCompatibleBitmap(hdc, client.right, client.bottom);
  const HGDIOBJ oldBitmap = SelectObject(frame, bitmap);

  const HBRUSH background = CreateSolidBrush(colours::kBackground);
  FillRect(frame, &client, background);
  DeleteObject(background);

  DrawTabBar(frame);
  DrawCloseButton(frame, CloseButtonRectNow(hwnd), closeHover);
  const int modeLabelBottom = DrawModeLabel(frame);

  if (activeTab == TAB_TIMER) PaintTimerPanel(frame, hwnd, modeLabelBottom);
  if (activeTab == TAB_KEYBINDS && !clickThroughEnabled) PaintKeybindsPanel(frame);
  if (activeTab == TAB_EDIT_SPLITS && !clickThroughEnabled) PaintEditSplitsPanel(frame);

  BitBlt(hdc, 0, 0, client.right, client.bottom, frame, 0, 0, SRCCOPY);

  SelectObject(frame, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(frame);
  EndPaint(hwnd, &ps);
}
