#include "window/layout.h"

#include <algorithm>
#include <limits>

using namespace layout;

namespace {

// Saturates instead of overflowing for absurd split counts.
int ToInt(std::int64_t v) {
  return static_cast<int>(
      std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

bool IsInsideRect(std::int32_t x, std::int32_t y, const Rect& r) {
  return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

Rect GetTabRect(int index) { return {kTabWidth * index, 0, kTabWidth * (index + 1), kTabBarHeight}; }

// Neighbouring tabs share a column; the lower index wins it.
int HitTab(std::int32_t x, std::int32_t y) {
  for (int i = TAB_TIMER; i <= TAB_EDIT_SPLITS; ++i) {
    if (IsInsideRect(x, y, GetTabRect(i))) return i;
  }
  return -1;
}

Rect GetButtonRect(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

// The stack sits a third of the way down the band's free space.
Rect GetCenteredButtonRect(int idx, int numButtons, int btnWidth, int btnHeight, int spacing) {
  const int totalHeight = numButtons * btnHeight + (numButtons - 1) * spacing;
  const int startY = kButtonBandTop + (kButtonBandHeight - totalHeight) / 3;
  const int x = (kWidth - btnWidth) / 2;
  const int y = startY + idx * (btnHeight + spacing);
  return GetButtonRect(x, y, btnWidth, btnHeight);
}

int GetEditSplitsScrollStartY() {
  const Rect lastButton =
      GetCenteredButtonRect(kEditSplitsButtons - 1, kEditSplitsButtons, kButtonWidth, kButtonHeight, kButtonSpacing);
  return lastButton.bottom + kListGap;
}

Rect GetCenteredEditBoxRect(int idx, int /*totalSplits*/, int scrollPos) {
  const std::int64_t top = std::int64_t{GetEditSplitsScrollStartY()} + std::int64_t{kRowPitch} * idx - scrollPos;
  return GetButtonRect(kRowLeft, ToInt(top), kRowWidth, kRowHeight);
}

Rect GetCloseButtonRect(int clientRight) {
  return {clientRight - kCloseInset - kCloseSize, kCloseInset, clientRight - kCloseInset, kCloseInset + kCloseSize};
}

Rect GetScrollBarArea() {
  const int top = GetEditSplitsScrollStartY();
  return {kScrollBarLeft, top, kScrollBarRight, top + kPageHeight};
}

int ListContentHeight(int numSplits) { return ToInt(std::int64_t{kRowPitch} * numSplits); }

int ListScrollRange(int numSplits) { return std::max(0, ListContentHeight(numSplits) - kPageHeight); }

bool IsListRowVisible(const Rect& row) {
  const int top = GetEditSplitsScrollStartY();
  return row.bottom >= top && row.top <= top + kPageHeight;
}

int ClampScrollPos(int pos, int numSplits) { return std::max(0, std::min(pos, ListScrollRange(numSplits))); }

// One message moves one row pitch whatever its distance; 0 counts as down.
int ScrollPosAfterWheel(int pos, int wheelDelta, int numSplits) {
  const std::int64_t moved = std::int64_t{pos} + (wheelDelta > 0 ? -kRowPitch : kRowPitch);
  return ClampScrollPos(ToInt(moved), numSplits);
}

int ScrollThumbHeight(int areaHeight, int totalHeight, int visibleHeight) {
  const int denominator = std::max(visibleHeight, totalHeight);
  if (denominator <= 0) return std::max(kMinThumbHeight, areaHeight);
  const double t = static_cast<double>(visibleHeight) * areaHeight / denominator;
  return std::max(kMinThumbHeight, static_cast<int>(t));
}

Rect ScrollThumbRect(const Rect& area, int totalHeight, int scrollPos, int visibleHeight) {
  const int scrollRange = std::max(0, totalHeight - visibleHeight);
  const int areaHeight = area.bottom - area.top;
  const int thumbHeight = ScrollThumbHeight(areaHeight, totalHeight, visibleHeight);
  int thumbY = area.top;
  if (scrollRange > 0) {
    thumbY = ToInt(area.top + std::int64_t{areaHeight - thumbHeight} * scrollPos / scrollRange);
  }
  return {area.left + 2, thumbY, area.right - 2, thumbY + thumbHeight};
}

// Relative to the press: the thumb's free travel spans the whole range.
int ScrollPosAfterThumbDrag(int startPos, int startY, int mouseY, int numSplits) {
  const int areaHeight = kPageHeight;
  const int range = ListScrollRange(numSplits);
  const int thumbHeight = ScrollThumbHeight(areaHeight, ListContentHeight(numSplits), kPageHeight);
  const std::int64_t moved = (std::int64_t{mouseY} - startY) * range / std::max(1, areaHeight - thumbHeight);
  return std::max(0, std::min(range, ToInt(startPos + moved)));
}

int WindowHeightForSplits(int numSplits) {
  const std::int64_t lines = std::max(1, numSplits);
  const std::int64_t height = kHeightBase + kSplitLineHeight * lines + kHeightExtra;
  return ToInt(std::clamp<std::int64_t>(height, kMinHeight, kMaxHeight));
}
