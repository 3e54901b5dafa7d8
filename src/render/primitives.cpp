#include "render/primitives.h"

#include <algorithm>

#include "window/window_state.h"

namespace {
constexpr int kBlendPercent = 70;
const COLORREF kScrollTrack = RGB(50, 55, 70);
const COLORREF kScrollThumb = RGB(90, 120, 170);
const COLORREF kActiveTab = RGB(24, 26, 32);
const COLORREF kInactiveTab = RGB(20, 21, 27);
const COLORREF kCloseDisc = RGB(24, 26, 32);
const COLORREF kCloseDiscHovered = RGB(239, 71, 111);
const COLORREF kCloseCross = RGB(0, 0, 0);
const COLORREF kCloseCrossHovered = RGB(255, 255, 255);
constexpr int kTabFontHeight = -18;
constexpr int kTabOutlineWidth = 2;
constexpr int kCloseStrokeWidth = 2;
constexpr double kCrossPadShare = 0.33;
const wchar_t* const kTabLabels[] = {L"Timer", L"Keybinds", L"Edit Splits"};

void FillWith(HDC hdc, const Rect& r, COLORREF colour) {
  const RECT rect = ToRECT(r);
  const HBRUSH brush = CreateSolidBrush(colour);
  FillRect(hdc, &rect, brush);
  DeleteObject(brush);
}

int MixChannel(int c1, int c2) { return (c1 * kBlendPercent + (100 - kBlendPercent) * c2) / 100; }

int RoundHalfUp(double value) { return static_cast<int>(value + 0.5); }

void Stroke(HDC hdc, double x1, double y1, double x2, double y2) {
  const POINT points[2] = {{RoundHalfUp(x1), RoundHalfUp(y1)}, {RoundHalfUp(x2), RoundHalfUp(y2)}};
  Polyline(hdc, points, 2);
}
}  // namespace

SIZE MeasureText(HDC hdc, const std::wstring& text) {
  SIZE size{0, 0};
  GetTextExtentPoint32W(hdc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

void DrawCenteredLabel(HDC hdc, const std::wstring& text, Rect r) {
  RECT rect = ToRECT(r);
  DrawTextW(hdc, text.c_str(), -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

int DrawCenteredLine(HDC hdc, HFONT font, const std::wstring& text, int top, COLORREF colour) {
  const HGDIOBJ oldFont = SelectObject(hdc, font);
  const SIZE size = MeasureText(hdc, text);
  SetTextColor(hdc, colour);
  TextOutW(hdc, (layout::kWidth - size.cx) / 2, top, text.c_str(), static_cast<int>(text.size()));
  SelectObject(hdc, oldFont);
  DeleteObject(font);
  return top + size.cy;
}

COLORREF BlendWithBackground(COLORREF fill) {
  const int red = MixChannel(GetRValue(fill), GetRValue(colours::kBackground));
  const int green = MixChannel(GetGValue(fill), GetGValue(colours::kBackground));
  const int blue = MixChannel(GetBValue(fill), GetBValue(colours::kBackground));
  return RGB(red & 0xFF, green & 0xFF, blue & 0xFF);
}

void DrawRectWithBorder(HDC hdc, Rect r, COLORREF fill, COLORREF border, int borderWidth) {
  FillWith(hdc, r, BlendWithBackground(fill));
  const HPEN pen = CreatePen(PS_SOLID, borderWidth, border);
  const HGDIOBJ oldPen = SelectObject(hdc, pen);
  MoveToEx(hdc, r.left, r.top, nullptr);
  LineTo(hdc, r.right - 1, r.top);
  LineTo(hdc, r.right - 1, r.bottom - 1);
  LineTo(hdc, r.left, r.bottom - 1);
  LineTo(hdc, r.left, r.top);
  SelectObject(hdc, oldPen);
  DeleteObject(pen);
}

void DrawRoundRectWithBorder(HDC hdc, Rect r, COLORREF fill, COLORREF border, int radius, int borderWidth) {
  FillWith(hdc, r, fill);
  const HPEN pen = CreatePen(PS_SOLID, borderWidth, border);
  const HGDIOBJ oldPen = SelectObject(hdc, pen);
  const HGDIOBJ oldBrush = SelectObject(hdc, GetStockObject(NULL_BRUSH));
  RoundRect(hdc, r.left, r.top, r.right, r.bottom, radius, radius);
  SelectObject(hdc, oldBrush);
  SelectObject(hdc, oldPen);
  DeleteObject(pen);
}

void DrawScrollBar(HDC hdc, Rect area, int totalHeight, int scrollPos, int visibleHeight) {
  FillWith(hdc, area, kScrollTrack);
  FillWith(hdc, ScrollThumbRect(area, totalHeight, scrollPos, visibleHeight), kScrollThumb);
}

void DrawTabBar(HDC hdc) {
  const HFONT font = CreateUiFont(kTabFontHeight, FW_NORMAL);
  const HGDIOBJ oldFont = SelectObject(hdc, font);
  SetBkMode(hdc, TRANSPARENT);
  for (int i = TAB_TIMER; i <= TAB_EDIT_SPLITS; ++i) {
    const Rect r = GetTabRect(i);
    FillWith(hdc, r, i == activeTab ? kActiveTab : kInactiveTab);
    const HPEN pen = CreatePen(PS_SOLID, kTabOutlineWidth, colours::kOutline);
    const HGDIOBJ oldPen = SelectObject(hdc, pen);
    MoveToEx(hdc, r.left, r.top, nullptr);
    LineTo(hdc, r.right, r.top);
    LineTo(hdc, r.right, r.bottom - 1);
    LineTo(hdc, r.left, r.bottom - 1);
    LineTo(hdc, r.left, r.top);
    SelectObject(hdc, oldPen);
    DeleteObject(pen);
    SetTextColor(hdc, colours::kText);
    DrawCenteredLabel(hdc, kTabLabels[i], r);
  }
  SelectObject(hdc, oldFont);
  DeleteObject(font);
}

void DrawCloseButton(HDC hdc, Rect r, bool hovered) {
  const int diameter = std::min(r.right - r.left, r.bottom - r.top);
  const int cx = (r.left + r.right) / 2;
  const int cy = (r.top + r.bottom) / 2;
  const int rad = diameter / 2 - 1;
  const COLORREF bg = hovered ? kCloseDiscHovered : kCloseDisc;
  const COLORREF crossColour = hovered ? kCloseCrossHovered : kCloseCross;

  const HBRUSH brush = CreateSolidBrush(bg);
  const HPEN discPen = CreatePen(PS_SOLID, kCloseStrokeWidth, bg);
  const HGDIOBJ oldBrush = SelectObject(hdc, brush);
  const HGDIOBJ oldPen = SelectObject(hdc, discPen);
  Ellipse(hdc, cx - rad, cy - rad, cx + rad, cy + rad);
  SelectObject(hdc, oldBrush);
  SelectObject(hdc, oldPen);
  DeleteObject(brush);
  DeleteObject(discPen);

  const HPEN crossPen = CreatePen(PS_SOLID, kCloseStrokeWidth, crossColour);
  const HGDIOBJ previousPen = SelectObject(hdc, crossPen);
  const double pad = kCrossPadShare * diameter;
  Stroke(hdc, cx - pad, cy - pad, cx + pad, cy + pad);
  Stroke(hdc, cx - pad, cy + pad, cx + pad, cy - pad);
  SelectObject(hdc, previousPen);
  DeleteObject(crossPen);
}
