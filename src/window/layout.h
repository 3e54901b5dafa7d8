// Geometry of every control, shared by painting, hit-testing and the
// edit-box placement so that a control is hit exactly where it is drawn.
#pragma once

#include <cstdint>

enum Tabs { TAB_TIMER = 0, TAB_KEYBINDS = 1, TAB_EDIT_SPLITS = 2 };

// A closed rectangle for hit tests (right column and bottom row inside);
// painting fills it without them.
struct Rect {
  std::int32_t left, top, right, bottom;
  friend bool operator==(const Rect&, const Rect&) = default;
};

namespace layout {
inline constexpr int kWidth = 320;
inline constexpr int kTabWidth = 95;
inline constexpr int kTabBarHeight = 34;
inline constexpr int kCloseInset = 10;
inline constexpr int kCloseSize = 24;
inline constexpr int kButtonBandTop = 76;
inline constexpr int kButtonBandHeight = 186;
inline constexpr int kButtonWidth = 180;
inline constexpr int kButtonHeight = 34;
inline constexpr int kButtonSpacing = 8;
inline constexpr int kKeybindButtons = 4;
inline constexpr int kEditSplitsButtons = 3;
inline constexpr int kListGap = 16;
inline constexpr int kRowPitch = 36;
inline constexpr int kRowLeft = 70;
inline constexpr int kRowWidth = 180;
inline constexpr int kRowHeight = 28;
inline constexpr int kPageHeight = 140;
inline constexpr int kScrollBarLeft = 258;
inline constexpr int kScrollBarRight = 270;
inline constexpr int kMinThumbHeight = 25;
// Window height rule.
inline constexpr int kHeightBase = 220;
inline constexpr int kSplitLineHeight = 25;
inline constexpr int kHeightExtra = 28;
inline constexpr int kMinHeight = 270;
inline constexpr int kMaxHeight = 900;
inline constexpr int kInitialHeight = 373;
}  // namespace layout

bool IsInsideRect(std::int32_t x, std::int32_t y, const Rect& r);
Rect GetTabRect(int index);
// The first tab holding the point, scanning in index order; -1 for none.
int HitTab(std::int32_t x, std::int32_t y);
Rect GetButtonRect(int x, int y, int w, int h);
Rect GetCenteredButtonRect(int idx, int numButtons, int btnWidth, int btnHeight, int spacing);
int GetEditSplitsScrollStartY();
Rect GetCenteredEditBoxRect(int idx, int totalSplits, int scrollPos);
// {clientRight - 34, 10, clientRight - 10, 34}
Rect GetCloseButtonRect(int clientRight);
// {258, 232, 270, 372}
Rect GetScrollBarArea();

// Split list metrics.
int ListContentHeight(int numSplits);    // 36 * n
int ListScrollRange(int numSplits);      // max(0, 36 * n - 140)
bool IsListRowVisible(const Rect& row);  // bottom >= 232 && top <= 372
int ClampScrollPos(int pos, int numSplits);
// One wheel message: up (d > 0) by one pitch, otherwise down; clamped.
int ScrollPosAfterWheel(int pos, int wheelDelta, int numSplits);
// Scroll bar thumb: shared by the painter and the thumb drag.
int ScrollThumbHeight(int areaHeight, int totalHeight, int visibleHeight);
Rect ScrollThumbRect(const Rect& area, int totalHeight, int scrollPos, int visibleHeight);
int ScrollPosAfterThumbDrag(int startPos, int startY, int mouseY, int numSplits);

// Window height for the number of splits: 248 + 25 * max(1, n), within 270..900.
int WindowHeightForSplits(int numSplits);
