#include "window/layout.h"

#include <gtest/gtest.h>

namespace {

Rect Button(int idx, int n) { return GetCenteredButtonRect(idx, n, 180, 34, 8); }

TEST(Layout, RectanglesAreClosedForHitTests) {
  const Rect toggle = Button(0, 4);
  EXPECT_TRUE(IsInsideRect(250, 118, toggle));  // right column and bottom row
  EXPECT_TRUE(IsInsideRect(70, 84, toggle));
  EXPECT_FALSE(IsInsideRect(251, 100, toggle));
  EXPECT_FALSE(IsInsideRect(69, 100, toggle));
  EXPECT_FALSE(IsInsideRect(100, 119, toggle));
  EXPECT_FALSE(IsInsideRect(100, 83, toggle));
}

TEST(Layout, TabsShareColumnsAndTheLowerIndexWins) {
  EXPECT_EQ(GetTabRect(0), (Rect{0, 0, 95, 34}));
  EXPECT_EQ(GetTabRect(1), (Rect{95, 0, 190, 34}));
  EXPECT_EQ(GetTabRect(2), (Rect{190, 0, 285, 34}));
  EXPECT_EQ(HitTab(95, 10), TAB_TIMER);
  EXPECT_EQ(HitTab(96, 10), TAB_KEYBINDS);
  EXPECT_EQ(HitTab(190, 0), TAB_KEYBINDS);
  EXPECT_EQ(HitTab(285, 34), TAB_EDIT_SPLITS);
  EXPECT_EQ(HitTab(286, 20), -1);
  EXPECT_EQ(HitTab(300, 5), -1);
  EXPECT_EQ(HitTab(10, 35), -1);
}

TEST(Layout, CloseButtonFollowsTheClientRightEdgeAndTouchesNoTab) {
  const Rect close = GetCloseButtonRect(320);
  EXPECT_EQ(close, (Rect{286, 10, 310, 34}));
  EXPECT_TRUE(IsInsideRect(286, 20, close));
  EXPECT_FALSE(IsInsideRect(300, 5, close));
  EXPECT_EQ(GetCloseButtonRect(400), (Rect{366, 10, 390, 34}));
  for (int x = 0; x <= 320; ++x) {
    for (int y = 0; y <= 34; ++y) {
      ASSERT_FALSE(HitTab(x, y) != -1 && IsInsideRect(x, y, close)) << x << "," << y;
    }
  }
}

TEST(Layout, PanelButtonStacks) {
  EXPECT_EQ(Button(0, 4), (Rect{70, 84, 250, 118}));
  EXPECT_EQ(Button(1, 4), (Rect{70, 126, 250, 160}));
  EXPECT_EQ(Button(2, 4), (Rect{70, 168, 250, 202}));
  EXPECT_EQ(Button(3, 4), (Rect{70, 210, 250, 244}));
  EXPECT_EQ(Button(0, 3), (Rect{70, 98, 250, 132}));
  EXPECT_EQ(Button(1, 3), (Rect{70, 140, 250, 174}));
  EXPECT_EQ(Button(2, 3), (Rect{70, 182, 250, 216}));
  // A third of the free space, not half.
  EXPECT_EQ(Button(0, 1), (Rect{70, 126, 250, 160}));
  // Free space below zero: its third truncates toward zero.
  EXPECT_EQ(GetCenteredButtonRect(0, 1, 180, 187, 0).top, 76);
  EXPECT_EQ(GetCenteredButtonRect(0, 1, 180, 188, 0).top, 76);
  EXPECT_EQ(GetCenteredButtonRect(0, 1, 180, 189, 0).top, 75);
  EXPECT_EQ(GetCenteredButtonRect(0, 1, 181, 34, 0).left, 69);
}

TEST(Layout, SplitListRowsAndVisibility) {
  EXPECT_EQ(GetEditSplitsScrollStartY(), 232);
  EXPECT_EQ(GetEditSplitsScrollStartY(), 232);
  EXPECT_EQ(GetScrollBarArea(), (Rect{258, 232, 270, 372}));

  EXPECT_EQ(GetCenteredEditBoxRect(0, 5, 0), (Rect{70, 232, 250, 260}));
  EXPECT_EQ(GetCenteredEditBoxRect(3, 5, 0), (Rect{70, 340, 250, 368}));
  EXPECT_TRUE(IsListRowVisible(GetCenteredEditBoxRect(3, 5, 0)));
  EXPECT_EQ(GetCenteredEditBoxRect(4, 5, 0).top, 376);
  EXPECT_FALSE(IsListRowVisible(GetCenteredEditBoxRect(4, 5, 0)));
  // The result depends on the index and the scroll position only.
  EXPECT_EQ(GetCenteredEditBoxRect(2, 1, 0), GetCenteredEditBoxRect(2, 50, 0));

  EXPECT_EQ(GetCenteredEditBoxRect(0, 5, 40), (Rect{70, 192, 250, 220}));
  EXPECT_FALSE(IsListRowVisible(GetCenteredEditBoxRect(0, 5, 40)));
  EXPECT_EQ(GetCenteredEditBoxRect(1, 5, 40), (Rect{70, 228, 250, 256}));
  EXPECT_TRUE(IsListRowVisible(GetCenteredEditBoxRect(1, 5, 40)));
  // Both visibility bounds are inclusive.
  EXPECT_TRUE(IsListRowVisible(Rect{70, 204, 250, 232}));
  EXPECT_FALSE(IsListRowVisible(Rect{70, 203, 250, 231}));
  EXPECT_TRUE(IsListRowVisible(Rect{70, 372, 250, 400}));
  EXPECT_FALSE(IsListRowVisible(Rect{70, 373, 250, 401}));
}

TEST(Layout, ScrollRangeAndWheel) {
  EXPECT_EQ(ListContentHeight(3), 108);
  EXPECT_EQ(ListScrollRange(3), 0);
  EXPECT_EQ(ListScrollRange(0), 0);
  EXPECT_EQ(ListScrollRange(5), 40);
  EXPECT_EQ(ListScrollRange(10), 220);

  EXPECT_EQ(ScrollPosAfterWheel(0, -120, 5), 36);
  EXPECT_EQ(ScrollPosAfterWheel(36, -120, 5), 40);
  EXPECT_EQ(ScrollPosAfterWheel(40, 120, 5), 4);
  EXPECT_EQ(ScrollPosAfterWheel(4, 120, 5), 0);
  EXPECT_EQ(ScrollPosAfterWheel(0, 240, 10), 0);  // two notches: still one pitch
  EXPECT_EQ(ScrollPosAfterWheel(100, 240, 10), 64);
  EXPECT_EQ(ScrollPosAfterWheel(0, 0, 10), 36);  // zero scrolls down
  EXPECT_EQ(ScrollPosAfterWheel(0, -120, 3), 0);
  // A position left beyond a shrunken range comes back within it.
  EXPECT_EQ(ScrollPosAfterWheel(220, -120, 9), 184);
  EXPECT_EQ(ClampScrollPos(-5, 10), 0);
  EXPECT_EQ(ClampScrollPos(500, 10), 220);
}

TEST(Layout, ScrollThumbGeometry) {
  const Rect area = GetScrollBarArea();
  EXPECT_EQ(ScrollThumbHeight(140, 360, 140), 54);
  EXPECT_EQ(ScrollThumbRect(area, 360, 0, 140), (Rect{260, 232, 268, 286}));
  EXPECT_EQ(ScrollThumbRect(area, 360, 220, 140), (Rect{260, 318, 268, 372}));
  EXPECT_EQ(ScrollThumbRect(area, 360, 110, 140).top, 232 + 43);
  // Content that fits: the thumb fills the track.
  EXPECT_EQ(ScrollThumbRect(area, 108, 0, 140), (Rect{260, 232, 268, 372}));
  EXPECT_EQ(ScrollThumbRect(area, 0, 0, 140), (Rect{260, 232, 268, 372}));
  // Never under 25 px, even past a short track.
  EXPECT_EQ(ScrollThumbHeight(140, 1800, 140), 25);
  EXPECT_EQ(ScrollThumbHeight(10, 100, 140), 25);
  // A position beyond the range runs the thumb past the track.
  const Rect past = ScrollThumbRect(area, 324, 220, 140);
  EXPECT_EQ(past.top, 327);
  EXPECT_EQ(past.bottom, 387);
  // No division by zero for a degenerate call.
  EXPECT_GE(ScrollThumbHeight(140, 0, 0), 25);
}

TEST(Layout, ThumbDragIsRelativeAndClamped) {
  EXPECT_EQ(ScrollPosAfterThumbDrag(0, 250, 260, 5), 12);
  EXPECT_EQ(ScrollPosAfterThumbDrag(0, 250, 293, 10), 110);
  EXPECT_EQ(ScrollPosAfterThumbDrag(0, 250, 2000, 10), 220);
  EXPECT_EQ(ScrollPosAfterThumbDrag(110, 293, 250, 10), 0);
  EXPECT_EQ(ScrollPosAfterThumbDrag(0, 250, 100, 10), 0);
  EXPECT_EQ(ScrollPosAfterThumbDrag(0, 240, 360, 3), 0);
  // 50 splits: the 25 px minimum leaves 115 px of travel for 1660 px.
  EXPECT_EQ(ScrollPosAfterThumbDrag(0, 240, 355, 50), 1660);
  EXPECT_EQ(ScrollPosAfterThumbDrag(0, 240, 241, 50), 14);
}

TEST(Layout, WindowHeightFollowsTheSplitCount) {
  EXPECT_EQ(WindowHeightForSplits(0), 273);
  EXPECT_EQ(WindowHeightForSplits(1), 273);
  EXPECT_EQ(WindowHeightForSplits(2), 298);
  EXPECT_EQ(WindowHeightForSplits(5), 373);
  EXPECT_EQ(WindowHeightForSplits(10), 498);
  EXPECT_EQ(WindowHeightForSplits(26), 898);
  EXPECT_EQ(WindowHeightForSplits(27), 900);
  EXPECT_EQ(WindowHeightForSplits(2000000000), 900);
}

}  // namespace
