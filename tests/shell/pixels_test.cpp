// The presented frame at the points the layout fixes: background, tabs,
// close button, panel buttons, scroll bar, row boxes, the green box and the
// colours of deltas. Filled shapes are exact; text is anti-aliased, so a
// text colour is looked for within the text's band.
#include <chrono>
#include <thread>

#include "shell_fixture.h"

namespace shelltest {
namespace {

constexpr SteadyTime kSecond = 1'000'000'000;
constexpr SteadyTime kRunStart = 5'000 * kSecond;

class PixelTest : public ShellTest {
 protected:
  // The top row of the separator bar under the PB line: the bar spans x 20
  // to 299, so column 25 meets it clear of any centred text.
  int BarTop() const {
    const std::vector<int> rows = RowsWithColour(25, 60, ClientHeight(), kOutline);
    return rows.empty() ? -1 : rows.front();
  }
  // The band of split line i of the Timer panel (25 px pitch below the bar).
  RECT SplitLine(int i) const {
    const int y = BarTop() + 20 + 25 * i;
    return RECT{0, y - 1, 320, y + 23};
  }
  RECT PbLine() const { return RECT{0, BarTop() - 30, 320, BarTop() - 2}; }
  // Rows of column 5 painted with the green box's fill.
  std::vector<int> GreenRows() const { return RowsWithColour(5, 60, ClientHeight(), kGreenBox); }
};

TEST_F(PixelTest, ChromeOfTheFirstFrame) {
  Start();
  EXPECT_EQ(Pixel(300, 5), kBackground) << "the strip right of the tabs belongs to no tab";
  EXPECT_EQ(Pixel(5, 62), kBackground);
  EXPECT_EQ(Pixel(315, ClientHeight() - 1), kBackground);

  EXPECT_EQ(Pixel(6, 6), kActiveTab);
  EXPECT_EQ(Pixel(89, 28), kActiveTab);
  EXPECT_EQ(Pixel(101, 6), kInactiveTab);
  EXPECT_EQ(Pixel(196, 6), kInactiveTab);
  EXPECT_EQ(Pixel(280, 28), kInactiveTab);
  EXPECT_TRUE(RegionHas({20, 4, 75, 30}, kText)) << "tab label";

  EXPECT_EQ(Pixel(298, 13), kCloseDisc);
  EXPECT_EQ(Pixel(293, 22), kCloseDisc);
  EXPECT_EQ(Pixel(298, 22), Rgb(0, 0, 0)) << "the cross meets at the centre";
  EXPECT_EQ(Pixel(287, 11), kBackground) << "corner of the square outside the disc";

  EXPECT_TRUE(RegionHas({0, 38, 320, 62}, kOverlayLabel));
  EXPECT_FALSE(RegionHas({0, 38, 320, 62}, kInteractiveLabel));
}

TEST_F(PixelTest, ElapsedTimeFitsTheWindow) {
  Start();
  const int top = 62;
  const int bottom = BarTop() - 30;  // above the PB line
  ASSERT_GT(bottom, top);
  EXPECT_TRUE(RegionHas({100, top, 220, bottom}, kText)) << "00:00.000 is drawn";
  EXPECT_FALSE(RegionHas({0, top, 3, bottom}, kText)) << "cut at the left edge";
  EXPECT_FALSE(RegionHas({317, top, 320, bottom}, kText)) << "cut at the right edge";
}

TEST_F(PixelTest, ActiveTabFillFollowsTheTab) {
  Start();
  ToInteractive();
  OpenTab(kKeybindsTab);
  EXPECT_EQ(Pixel(6, 6), kInactiveTab);
  EXPECT_EQ(Pixel(101, 6), kActiveTab);
  EXPECT_EQ(Pixel(196, 6), kInactiveTab);
  OpenTab(kEditSplitsTab);
  EXPECT_EQ(Pixel(101, 6), kInactiveTab);
  EXPECT_EQ(Pixel(196, 6), kActiveTab);
  EXPECT_TRUE(RegionHas({0, 38, 320, 62}, kInteractiveLabel));
  EXPECT_FALSE(RegionHas({0, 38, 320, 62}, kOverlayLabel));
}

TEST_F(PixelTest, CloseButtonLightsUpUnderTheCursorInEitherMode) {
  Start();
  MoveTo(298, 22);
  EXPECT_TRUE(closeHover);
  EXPECT_EQ(Pixel(298, 13), kCloseDiscHovered);
  EXPECT_EQ(Pixel(298, 22), Rgb(255, 255, 255));
  EXPECT_EQ(Pixel(287, 11), kBackground);

  MoveTo(286, 10);  // the corner still counts (closed rectangle)
  EXPECT_TRUE(closeHover);
  MoveTo(285, 10);
  EXPECT_FALSE(closeHover);
  EXPECT_EQ(Pixel(298, 13), kCloseDisc);
  EXPECT_EQ(Pixel(298, 22), Rgb(0, 0, 0));

  ToInteractive();
  MoveTo(310, 34);
  EXPECT_TRUE(closeHover);
  EXPECT_EQ(Pixel(298, 13), kCloseDiscHovered);
}

TEST_F(PixelTest, KeybindsButtons) {
  Start();
  ToInteractive();
  OpenTab(kKeybindsTab);
  for (int top : {84, 126, 168, 210}) {
    SCOPED_TRACE(top);
    EXPECT_EQ(Pixel(75, top + 17), kControlFill);
    EXPECT_EQ(Pixel(245, top + 17), kControlFill);
    EXPECT_TRUE(RegionHas({90, top + 4, 230, top + 30}, kText)) << "label";
  }
  EXPECT_EQ(Pixel(75, 122), kBackground) << "gap between two buttons";
  EXPECT_EQ(Pixel(60, 101), kBackground);
  EXPECT_EQ(Pixel(255, 101), kBackground);
}

TEST_F(PixelTest, EditSplitsButtonsScrollBarAndRowBoxes) {
  Start();
  ToInteractive();
  OpenTab(kEditSplitsTab);
  for (int top : {98, 140, 182}) {
    SCOPED_TRACE(top);
    EXPECT_EQ(Pixel(75, top + 17), kControlFill);
    EXPECT_TRUE(RegionHas({90, top + 4, 230, top + 30}, kText));
  }
  // Five names: content 180 px, thumb 108 px from the top of the track.
  EXPECT_EQ(Pixel(258, 300), kScrollTrack);
  EXPECT_EQ(Pixel(259, 300), kScrollTrack) << "the thumb is inset by 2 px";
  EXPECT_EQ(Pixel(260, 232), kScrollThumb);
  EXPECT_EQ(Pixel(267, 339), kScrollThumb);
  EXPECT_EQ(Pixel(268, 300), kScrollTrack);
  EXPECT_EQ(Pixel(264, 340), kScrollTrack) << "below the thumb";
  EXPECT_EQ(Pixel(269, 371), kScrollTrack);
  EXPECT_EQ(Pixel(271, 300), kBackground);

  // Rows 0 to 3 carry an edit box painted over the row box: fill inside,
  // outline at the edges; the repaint timer's frames keep them so.
  for (int frame = 0; frame < 2; ++frame) {
    SCOPED_TRACE(frame);
    for (int top : {232, 268, 304, 340}) {
      SCOPED_TRACE(top);
      EXPECT_EQ(Pixel(245, top + 14), kControlFill);
      EXPECT_EQ(Pixel(70, top + 14), kOutline);
      EXPECT_EQ(Pixel(249, top + 14), kOutline);
      EXPECT_TRUE(RegionHas({72, top + 3, 200, top + 25}, kText)) << "the name";
    }
    EXPECT_EQ(Pixel(160, 264), kBackground) << "gap between rows";
    AdvanceClock(15);
    Pump();
  }
}

TEST_F(PixelTest, ThumbOfTenNamesAndTheScrolledEnd) {
  WriteFile("splits.txt", CrLfLines(std::vector<std::string>(10, "Split")));
  Start();
  ToInteractive();
  OpenTab(kEditSplitsTab);
  // 360 px of content: a 54 px thumb.
  EXPECT_EQ(Pixel(264, 232), kScrollThumb);
  EXPECT_EQ(Pixel(264, 285), kScrollThumb);
  EXPECT_EQ(Pixel(264, 286), kScrollTrack);
  for (int i = 0; i < 7; ++i) Wheel(-120);
  ASSERT_EQ(editSplitsScrollPos, 220);
  EXPECT_EQ(Pixel(264, 317), kScrollTrack);
  EXPECT_EQ(Pixel(264, 318), kScrollThumb);
  EXPECT_EQ(Pixel(264, 371), kScrollThumb);
}

TEST_F(PixelTest, OverlayModeShowsOnlyTheChromeOfTheOtherPanels) {
  Start();
  OpenTab(kKeybindsTab);  // tabs work in overlay mode too
  ASSERT_EQ(activeTab, TAB_KEYBINDS);
  EXPECT_EQ(Pixel(101, 6), kActiveTab);
  EXPECT_EQ(Pixel(75, 101), kBackground);
  EXPECT_FALSE(RegionHas({60, 80, 260, 250}, kControlFill));

  OpenTab(kEditSplitsTab);
  EXPECT_EQ(Pixel(75, 115), kBackground);
  EXPECT_EQ(Pixel(264, 300), kBackground) << "no scroll bar";
  EXPECT_TRUE(LiveBoxes().empty());
  EXPECT_FALSE(RegionHas({60, 90, 280, ClientHeight()}, kControlFill));
}

TEST_F(PixelTest, GreenBoxMarksTheSegmentBeingTimedAndMovesDownPerSplit) {
  Start();
  EXPECT_TRUE(GreenRows().empty());
  Hotkey(2);
  const std::vector<int> first = GreenRows();
  ASSERT_GE(first.size(), 15u);
  EXPECT_EQ(first.back() - first.front() + 1, static_cast<int>(first.size())) << "one solid band";
  EXPECT_LE(first.size(), 23u);
  EXPECT_EQ(Pixel(315, first.front() + 2), kGreenBox) << "across the whole width";

  Hotkey(2);
  const std::vector<int> second = GreenRows();
  ASSERT_EQ(second.size(), first.size());
  EXPECT_EQ(second.front(), first.front() + 25);

  for (int i = 0; i < 4; ++i) Hotkey(2);
  ASSERT_FALSE(timerRunning);
  EXPECT_TRUE(GreenRows().empty()) << "no box after the finish";
}

TEST_F(PixelTest, RecapColoursOfEachDeltaAndOfThePbLine) {
  WriteFile("splits.txt", CrLfLines({"A", "B", "C", "D", "E"}));
  WriteFile("bestsplits.txt", CrLfLines({"10", "20", "30", "40", "50"}));
  WriteFile("pbtime.txt", "150\r\n");
  Start();
  ASSERT_GT(BarTop(), 60);
  EXPECT_TRUE(RegionHas(PbLine(), kOutline)) << "PB line without a delta is dim";

  // Segments 10, 25, 25, 39, 50 against bests 10, 20, 30, 40, 50.
  HandleSplitPress(kRunStart);
  for (int end : {10, 35, 60, 99, 149}) HandleSplitPress(kRunStart + end * kSecond);
  ASSERT_FALSE(timerRunning);
  ASSERT_EQ(splitLastDelta, (std::vector<double>{0, 5, -5, -1, 0}));
  Repaint();

  const COLORREF expected[] = {kPaleYellowGreen, kLightYellow, kViolet, kLightGreen, kPaleYellowGreen};
  const COLORREF all[] = {kPaleYellowGreen, kLightYellow, kViolet, kLightGreen, kText};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(RegionHas(SplitLine(i), expected[i]));
    for (COLORREF other : all) {
      if (other == expected[i]) continue;
      EXPECT_FALSE(RegionHas(SplitLine(i), other));
    }
  }
  // 149 against the old PB of 150: a new PB, shown 1 s faster.
  EXPECT_EQ(ReadFile("pbtime.txt"), "149\r\n");
  EXPECT_TRUE(RegionHas(PbLine(), kLightGreen));
  EXPECT_FALSE(RegionHas(PbLine(), kOutline));
  EXPECT_TRUE(GreenRows().empty());
}

TEST_F(PixelTest, LiveDeltasOnlyForCompletedSegmentsWithABest) {
  WriteFile("splits.txt", CrLfLines({"A", "B", "C"}));
  WriteFile("bestsplits.txt", CrLfLines({"10", "-1", "30"}));
  Start();
  HandleSplitPress(kRunStart);
  HandleSplitPress(kRunStart + 14 * kSecond);  // 4 s slower than the best of A
  HandleSplitPress(kRunStart + 20 * kSecond);  // B has no best
  ASSERT_TRUE(timerRunning);
  Repaint();
  EXPECT_TRUE(RegionHas(SplitLine(0), kLightYellow));
  EXPECT_FALSE(RegionHas(SplitLine(0), kText));
  EXPECT_TRUE(RegionHas(SplitLine(1), kText));
  EXPECT_FALSE(RegionHas(SplitLine(1), kLightYellow));
  const std::vector<int> green = GreenRows();
  ASSERT_FALSE(green.empty());
  EXPECT_GE(green.front(), SplitLine(2).top - 2) << "the third line is being timed";

  Hotkey(4);  // cancel: back to the start-up look
  EXPECT_TRUE(GreenRows().empty());
  EXPECT_TRUE(RegionHas(SplitLine(0), kText));
  EXPECT_FALSE(RegionHas(SplitLine(0), kLightYellow));
}

TEST_F(PixelTest, ElapsedTimeRunsDuringARunAndFreezesAtTheFinish) {
  WriteFile("splits.txt", "Only\r\n");
  Start();
  const RECT timer{0, 62, 320, BarTop() - 30};
  const auto idle = Snapshot(timer);
  Hotkey(2);
  const auto first = Snapshot(timer);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));  // the run's clock is the real one
  Repaint();
  EXPECT_NE(Snapshot(timer), first) << "a new time on every paint";

  Hotkey(2);  // finish
  ASSERT_FALSE(timerRunning);
  const auto frozen = Snapshot(timer);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));  // real time passes; the finished time stays
  Repaint();
  EXPECT_EQ(Snapshot(timer), frozen);
  EXPECT_NE(frozen, idle);
  Hotkey(2);  // clears: 00:00.000 again
  EXPECT_EQ(Snapshot(timer), idle);
}

TEST_F(PixelTest, RunWhoseSegmentWasRemovedShowsNoGreenBox) {
  Start();
  Hotkey(2);
  Hotkey(2);
  Hotkey(2);
  ASSERT_EQ(currentSplit, 2);
  ToInteractive();
  OpenTab(kEditSplitsTab);
  for (int i = 0; i < 3; ++i) ClickAt(kRemoveButton);
  ASSERT_EQ(splitNames.size(), 2u);
  OpenTab(kTimerTab);
  EXPECT_TRUE(timerRunning);
  EXPECT_TRUE(GreenRows().empty());
  Hotkey(2);
  EXPECT_TRUE(timerRunning) << "further presses do nothing";
  EXPECT_EQ(currentSplit, 2);
  Hotkey(4);
  EXPECT_FALSE(timerRunning) << "only cancel ends it";
}

TEST_F(PixelTest, AddingASplitAfterTheFinishEndsTheRecap) {
  WriteFile("splits.txt", CrLfLines({"A", "B"}));
  WriteFile("bestsplits.txt", CrLfLines({"100", "100"}));
  WriteFile("pbtime.txt", "500\r\n");
  Start();
  HandleSplitPress(kRunStart);
  HandleSplitPress(kRunStart + 10 * kSecond);
  HandleSplitPress(kRunStart + 20 * kSecond);
  ASSERT_TRUE(IsRecap());
  Repaint();
  EXPECT_TRUE(RegionHas(SplitLine(0), kViolet));
  EXPECT_TRUE(RegionHas(PbLine(), kViolet)) << "480 s faster than the PB";

  ToInteractive();
  OpenTab(kEditSplitsTab);
  ClickAt(kAddButton);
  OpenTab(kTimerTab);
  EXPECT_FALSE(IsRecap());
  EXPECT_TRUE(RegionHas(PbLine(), kOutline)) << "the PB line loses its delta";
  EXPECT_FALSE(RegionHas(PbLine(), kViolet));
  // Rows now show the segment against the current (lowered) best: 0 s.
  EXPECT_TRUE(RegionHas(SplitLine(0), kPaleYellowGreen));
  EXPECT_TRUE(RegionHas(SplitLine(2), kText));
}

}  // namespace
}  // namespace shelltest
