// The Timer panel: elapsed time, PB line, separator bar and split lines.
#include <cmath>

#include "render/frame.h"
#include "render/primitives.h"
#include "run/run_state.h"
#include "run/time_text.h"
#include "window/layout.h"

namespace {
constexpr int kGap = 10;
constexpr int kTimerPoints = 48;
constexpr int kPointsPerInch = 72;
constexpr int kLineFontHeight = -18;
constexpr int kPBWeight = FW_SEMIBOLD;
constexpr int kBarWidth = 280;
constexpr int kBarHeight = 7;
constexpr int kBarRadius = 4;
constexpr int kBarBorderWidth = 2;
constexpr int kFirstLineBelowBar = 13;
constexpr int kLinePitch = 25;
constexpr int kBoxAbove = 2;
constexpr int kBoxBelow = 21;
constexpr double kPBZeroBand = 0.005;
const COLORREF kCurrentSplitFill = RGB(40, 140, 80);
const COLORREF kCurrentSplitBorder = RGB(33, 100, 58);
constexpr int kCurrentSplitBorderWidth = 2;

int CenteredX(const SIZE& size) { return (layout::kWidth - size.cx) / 2; }

void TextAt(HDC hdc, int x, int y, const std::wstring& text, COLORREF colour) {
  SetTextColor(hdc, colour);
  TextOutW(hdc, x, y, text.c_str(), static_cast<int>(text.size()));
}

// Draws the elapsed time; returns its bottom.
int DrawElapsed(HDC hdc, HWND hwnd, int top) {
  return DrawCenteredLine(hdc, CreateTimerFont(hwnd), FormatTime(ElapsedOnShow(ReadSteadyClock())), top,
                          colours::kText);
}

// Draws the PB line, with the run's delta against the old PB after a
// finish; returns its bottom.
int DrawPBLine(HDC hdc, int top, bool recap) {
  std::wstring label = L"PB: " + FormatTime(pbTotal);
  const bool showPBDelta = recap && pbTotal != kNoTime && lastTotal != kNoTime && lastTotal > 0;
  COLORREF colour = colours::kOutline;
  if (showPBDelta) {
    label += std::fabs(lastPBDelta) >= kPBZeroBand ? FormatDelta(lastPBDelta) : L" +0.00";
    colour = static_cast<COLORREF>(GetDeltaColor(lastPBDelta));
  }
  return DrawCenteredLine(hdc, CreateUiFont(kLineFontHeight, kPBWeight), label, top, colour);
}

void DrawSplitLines(HDC hdc, int firstY, bool recap) {
  const HFONT font = CreateUiFont(kLineFontHeight, FW_NORMAL);
  const HGDIOBJ oldFont = SelectObject(hdc, font);
  int y = firstY;
  const int n = static_cast<int>(splitNames.size());
  for (int i = 0; i < n; ++i) {
    const std::size_t at = static_cast<std::size_t>(i);
    const bool liveDelta =
        !recap && at < splitSplitTimes.size() && at < bestSplitTimes.size() && bestSplitTimes[at] != kNoTime;
    const std::wstring deltaStr = (recap || liveDelta) ? GetDeltaString(i, recap) : std::wstring();
    std::wstring text = splitNames[at] + deltaStr;
    if (i == currentSplit && timerRunning) {
      const Rect box{0, y - kBoxAbove, layout::kWidth, y + kBoxBelow};
      DrawRectWithBorder(hdc, box, kCurrentSplitFill, kCurrentSplitBorder, kCurrentSplitBorderWidth);
      const SIZE size = MeasureText(hdc, text);
      const int centerY = box.top + ((box.bottom - box.top) - size.cy) / 2;
      TextAt(hdc, CenteredX(size), centerY, text, colours::kText);
    } else {
      COLORREF colour = colours::kText;
      if (!deltaStr.empty()) {
        const double delta = recap ? splitLastDelta[at] : splitSplitTimes[at] - bestSplitTimes[at];
        colour = static_cast<COLORREF>(GetDeltaColor(delta));
      }
      TextAt(hdc, CenteredX(MeasureText(hdc, text)), y, text, colour);
    }
    y += kLinePitch;
  }
  SelectObject(hdc, oldFont);
  DeleteObject(font);
}
}  // namespace

HFONT CreateTimerFont(HWND hwnd) {
  const HDC dc = GetDC(hwnd);
  LOGFONTW lf{};
  lf.lfHeight = -MulDiv(kTimerPoints, GetDeviceCaps(dc, LOGPIXELSY), kPointsPerInch);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_TT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = CLEARTYPE_QUALITY;
  lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  const wchar_t face[] = L"Segoe UI";
  for (int i = 0; i < LF_FACESIZE - 1 && face[i] != L'\0'; ++i) lf.lfFaceName[i] = face[i];
  lf.lfFaceName[LF_FACESIZE - 1] = L'\0';
  ReleaseDC(hwnd, dc);
  return CreateFontIndirectW(&lf);
}

void PaintTimerPanel(HDC hdc, HWND hwnd, int modeLabelBottom) {
  const bool recap = IsRecap();
  const int timerBottom = DrawElapsed(hdc, hwnd, modeLabelBottom + kGap);
  const int pbBottom = DrawPBLine(hdc, timerBottom + kGap, recap);
  const int barY = pbBottom + kGap;
  const int barX = (layout::kWidth - kBarWidth) / 2;
  DrawRoundRectWithBorder(hdc, Rect{barX, barY, barX + kBarWidth, barY + kBarHeight}, colours::kOutline,
                          colours::kOutline, kBarRadius, kBarBorderWidth);
  DrawSplitLines(hdc, barY + kBarHeight + kFirstLineBelowBar, recap);
}
