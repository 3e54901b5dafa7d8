// Stateless drawing operations the panels are built from. Each creates the
// pens, brushes and fonts it needs and deletes them before returning.
#pragma once

#include <string>

#include "win32.h"
#include "window/layout.h"
#include "window/ui_font.h"

namespace colours {
const COLORREF kBackground = RGB(30, 32, 40);
const COLORREF kText = RGB(232, 232, 242);
const COLORREF kOutline = RGB(55, 62, 78);
const COLORREF kControlFill = RGB(47, 51, 65);
}  // namespace colours

inline RECT ToRECT(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// Width and height of `text` in the font selected into `hdc`.
SIZE MeasureText(HDC hdc, const std::wstring& text);
// One line centred both ways in `r`.
void DrawCenteredLabel(HDC hdc, const std::wstring& text, Rect r);
// One line centred across the window with its top at `top`, in `font`,
// which it deletes; returns the line's bottom (top plus measured height).
int DrawCenteredLine(HDC hdc, HFONT font, const std::wstring& text, int top, COLORREF colour);

// The fill is mixed 70 % with the window background before use.
COLORREF BlendWithBackground(COLORREF fill);
void DrawRectWithBorder(HDC hdc, Rect r, COLORREF fill, COLORREF border, int borderWidth);
void DrawRoundRectWithBorder(HDC hdc, Rect r, COLORREF fill, COLORREF border, int radius, int borderWidth);
void DrawScrollBar(HDC hdc, Rect area, int totalHeight, int scrollPos, int visibleHeight);
// Leaves the background mode transparent for the rest of the frame.
void DrawTabBar(HDC hdc);
void DrawCloseButton(HDC hdc, Rect r, bool hovered);
