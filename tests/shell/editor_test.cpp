// The Edit Splits panel: which rows get boxes, add/remove/reset/rename,
// wheel and thumb-drag scrolling, the row press, the mode switch, colours.
#include "shell_fixture.h"

namespace shelltest {
namespace {

class EditorTest : public ShellTest {
 protected:
  void OpenEditSplits(int names) {
    if (names >= 0) {
      std::vector<std::string> lines;
      for (int i = 0; i < names; ++i) lines.push_back("S" + std::to_string(i));
      WriteFile("splits.txt", CrLfLines(lines));
    }
    Start();
    ToInteractive();
    OpenTab(kEditSplitsTab);
  }
  // Row index of each live box (its control id) with its top.
  std::vector<std::pair<int, int>> BoxRowsAndTops() const {
    std::vector<std::pair<int, int>> rows;
    for (HWND box : LiveBoxes()) rows.emplace_back(GetDlgCtrlID(box) - 1000, BoxRect(box).top);
    return rows;
  }
  using Rows = std::vector<std::pair<int, int>>;
};

TEST_F(EditorTest, BoxesOnlyForVisibleRowsAtTheirRowRectangles) {
  OpenEditSplits(4);
  EXPECT_EQ(BoxRowsAndTops(), (Rows{{0, 232}, {1, 268}, {2, 304}, {3, 340}}));
  const RECT r = BoxRect(LiveBoxes()[0]);
  EXPECT_EQ(r.left, 70);
  EXPECT_EQ(r.right - r.left, 180);
  EXPECT_EQ(r.bottom - r.top, 28);
  EXPECT_EQ(BoxText(LiveBoxes()[3]), L"S3");
  WCHAR cls[16] = {};
  GetClassNameW(LiveBoxes()[0], cls, 16);
  EXPECT_EQ(lstrcmpiW(cls, L"Edit"), 0);
  EXPECT_EQ(GetParent(LiveBoxes()[0]), g_hwnd);

  TearDown();
  SetUp();
  OpenEditSplits(5);
  EXPECT_EQ(BoxRowsAndTops(), (Rows{{0, 232}, {1, 268}, {2, 304}, {3, 340}})) << "row 4 (top 376) is below";
}

TEST_F(EditorTest, WheelStepsOneRowAndClamps) {
  OpenEditSplits(5);
  Wheel(-120);
  EXPECT_EQ(editSplitsScrollPos, 36);
  Wheel(-120);
  EXPECT_EQ(editSplitsScrollPos, 40);
  EXPECT_EQ(BoxRowsAndTops(), (Rows{{1, 228}, {2, 264}, {3, 300}, {4, 336}}));
  Wheel(240);  // two notches in one message: still one row
  EXPECT_EQ(editSplitsScrollPos, 4);
  EXPECT_EQ(BoxRowsAndTops(), (Rows{{0, 228}, {1, 264}, {2, 300}, {3, 336}, {4, 372}}))
      << "row 4's top equals the list's bottom: still visible";
  Wheel(0);  // no direction reads as down
  EXPECT_EQ(editSplitsScrollPos, 40);
  Wheel(120);
  Wheel(120);
  EXPECT_EQ(editSplitsScrollPos, 0);
}

TEST_F(EditorTest, WheelOverABoxScrollsTheList) {
  OpenEditSplits(10);
  driver().Wheel(g_hwnd, -120, 160, 246);  // over row 0's box
  Pump();
  EXPECT_EQ(editSplitsScrollPos, 36);
  driver().Wheel(g_hwnd, 120, 160, 280);
  Pump();
  EXPECT_EQ(editSplitsScrollPos, 0);
}

TEST_F(EditorTest, ThreeNamesNeverScroll) {
  OpenEditSplits(3);
  Wheel(-120);
  EXPECT_EQ(editSplitsScrollPos, 0);
  PressAt(264, 240);
  MoveTo(264, 360);
  EXPECT_EQ(editSplitsScrollPos, 0);
  ReleaseAt(264, 360);
}

TEST_F(EditorTest, ThumbDragIsRelativeToThePress) {
  OpenEditSplits(10);
  PressAt(264, 250);
  EXPECT_EQ(editSplitsScrollPos, 0) << "the press itself does not move the list";
  MoveTo(264, 293);  // 43 px of a free travel of 86 over a range of 220
  EXPECT_EQ(editSplitsScrollPos, 110);
  EXPECT_EQ(BoxRowsAndTops().front(), (std::pair<int, int>{3, 230}));
  MoveTo(264, 600);
  EXPECT_EQ(editSplitsScrollPos, 220);
  MoveTo(264, 0);
  EXPECT_EQ(editSplitsScrollPos, 0);
  ReleaseAt(264, 0);
  MoveTo(264, 293);
  EXPECT_EQ(editSplitsScrollPos, 0) << "the release ended the drag";

  Wheel(-120);
  PressAt(258, 372);
  MoveTo(258, 382);  // 10 px down from 36: 36 + 2200 / 86 = 61
  EXPECT_EQ(editSplitsScrollPos, 61);
  ReleaseAt(258, 382);
}

TEST_F(EditorTest, ThumbDragMovesOnlyInInteractiveModeOnEditSplits) {
  OpenEditSplits(10);
  PressAt(264, 250);
  Hotkey(1);  // overlay mode during the drag
  MoveTo(264, 293);
  EXPECT_EQ(editSplitsScrollPos, 0);
  ReleaseAt(264, 293);
  EXPECT_FALSE(splitEditScrollDragging);
}

TEST_F(EditorTest, RenamedRowAloneChangesWhenScrolled) {
  OpenEditSplits(6);
  Wheel(-120);
  ASSERT_EQ(BoxRowsAndTops().front().first, 1);
  // Type into row 2's box through the window model: click, select all, type.
  const HWND box = LiveBoxes()[1];
  ASSERT_EQ(GetDlgCtrlID(box), 1002);
  const RECT r = BoxRect(box);
  InjectClick(r.left + 20, r.top + 14);
  ASSERT_EQ(GetFocus(), box);
  InjectKey('A', true);
  InjectText(L"Second Boss");
  EXPECT_EQ(BoxText(box), L"Second Boss");

  OpenTab(kTimerTab);
  EXPECT_EQ(splitNames, (std::vector<std::wstring>{L"S0", L"S1", L"Second Boss", L"S3", L"S4", L"S5"}));
  EXPECT_EQ(FileLines("splits.txt"), (std::vector<std::string>{"S0", "S1", "Second Boss", "S3", "S4", "S5"}));
}

TEST_F(EditorTest, ClearedBoxSavesAnEmptyNameThatSurvives) {
  OpenEditSplits(3);
  SetWindowTextW(LiveBoxes()[1], L"");
  OpenTab(kTimerTab);
  ASSERT_EQ(splitNames.size(), 3u);
  EXPECT_EQ(splitNames[1], L"");
  const std::vector<std::string> lines = FileLines("splits.txt");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "S0");
  EXPECT_EQ(lines[2], "S2");
  EXPECT_NE(lines[1], "S1");
  EXPECT_EQ(lines[1].find_first_not_of(' '), std::string::npos) << "blank, so the next start keeps the row";
}

TEST_F(EditorTest, NamesAreSavedAsTheyWereTyped) {
  OpenEditSplits(3);
  SetWindowTextW(LiveBoxes()[0], L"Caf\u00e9 \u4e16");
  SetWindowTextW(LiveBoxes()[1], L"  ");
  OpenTab(kTimerTab);
  EXPECT_EQ(ReadFile("splits.txt"), "Caf\xc3\xa9 \xe4\xb8\x96\r\n  \r\nS2\r\n");
}

TEST_F(EditorTest, LongNameIsCutTo255Characters) {
  OpenEditSplits(2);
  const std::wstring longName(300, L'x');
  SetWindowTextW(LiveBoxes()[0], longName.c_str());
  OpenTab(kTimerTab);
  EXPECT_EQ(splitNames[0], std::wstring(255, L'x'));
  EXPECT_EQ(splitNames[1], L"S1");
}

TEST_F(EditorTest, AddAppendsSavesAndGrowsTheWindowWithoutScrolling) {
  WriteFile("bestsplits.txt", CrLfLines({"1", "2", "3", "4", "5"}));
  OpenEditSplits(5);
  Wheel(-120);
  SetWindowTextW(LiveBoxes()[0], L"Typed");  // row 1
  ClickAt(kAddButton);
  EXPECT_EQ(splitNames.size(), 6u);
  EXPECT_EQ(splitNames[1], L"Typed") << "edits are applied first";
  EXPECT_EQ(splitNames[5], L"New Split");
  EXPECT_EQ(bestSplitTimes.back(), kNoTime);
  EXPECT_EQ(FileLines("splits.txt"), (std::vector<std::string>{"S0", "Typed", "S2", "S3", "S4", "New Split"}));
  EXPECT_EQ(ReadFile("bestsplits.txt"), CrLfLines({"1", "2", "3", "4", "5", "-1"}));
  EXPECT_EQ(editSplitsScrollPos, 36);
  RECT w{};
  GetWindowRect(g_hwnd, &w);
  EXPECT_EQ(w.bottom - w.top, 398);
  EXPECT_EQ(BoxRowsAndTops().front(), (std::pair<int, int>{1, 232}));
}

TEST_F(EditorTest, RemoveDropsTheLastNameAndBestAndFixesTheSelection) {
  WriteFile("bestsplits.txt", CrLfLines({"1", "2", "3", "4", "5"}));
  OpenEditSplits(5);
  selectedSplitIndex = 2;
  ClickAt(kRemoveButton);
  EXPECT_EQ(selectedSplitIndex, 2);
  EXPECT_EQ(ReadFile("splits.txt"), CrLfLines({"S0", "S1", "S2", "S3"}));
  EXPECT_EQ(ReadFile("bestsplits.txt"), CrLfLines({"1", "2", "3", "4"}));
  RECT w{};
  GetWindowRect(g_hwnd, &w);
  EXPECT_EQ(w.bottom - w.top, 348);

  ClickAt(kAddButton);
  selectedSplitIndex = 4;
  ClickAt(kRemoveButton);
  EXPECT_EQ(selectedSplitIndex, -1);
}

TEST_F(EditorTest, RemovingAtTheScrolledEndKeepsTheThumbInItsTrack) {
  OpenEditSplits(10);
  for (int i = 0; i < 7; ++i) Wheel(-120);
  ASSERT_EQ(editSplitsScrollPos, 220);
  // The painted thumb: a column inside it, over the whole client height.
  const auto thumbRows = [this] { return RowsWithColour(264, 0, ClientHeight(), kScrollThumb); };
  ASSERT_FALSE(thumbRows().empty());
  EXPECT_EQ(thumbRows().back(), 371) << "at the end the thumb meets the bottom of the track";

  ClickAt(kRemoveButton);
  EXPECT_EQ(editSplitsScrollPos, 184) << "the new end of the list";
  EXPECT_EQ(BoxRowsAndTops(), (Rows{{5, 228}, {6, 264}, {7, 300}, {8, 336}}));
  ASSERT_FALSE(thumbRows().empty());
  EXPECT_GE(thumbRows().front(), 232);
  EXPECT_EQ(thumbRows().back(), 371);
  Wheel(-120);
  EXPECT_EQ(editSplitsScrollPos, 184);

  for (int i = 0; i < 6; ++i) ClickAt(kRemoveButton);  // 3 left: nothing to scroll
  EXPECT_EQ(editSplitsScrollPos, 0);
  EXPECT_EQ(BoxRowsAndTops(), (Rows{{0, 232}, {1, 268}, {2, 304}}));
  ASSERT_FALSE(thumbRows().empty());
  EXPECT_EQ(thumbRows().front(), 232);
}

TEST_F(EditorTest, ResetBestTimesKeepsTypedText) {
  WriteFile("bestsplits.txt", CrLfLines({"1", "2", "3"}));
  WriteFile("pbtime.txt", "6\r\n");
  OpenEditSplits(3);
  SetWindowTextW(LiveBoxes()[0], L"Typed");
  ClickAt(kResetBestButton);
  EXPECT_EQ(ReadFile("bestsplits.txt"), CrLfLines({"-1", "-1", "-1"}));
  EXPECT_EQ(ReadFile("pbtime.txt"), "-1\r\n");
  EXPECT_EQ(pbTotal, kNoTime);
  EXPECT_EQ(ReadFile("splits.txt"), CrLfLines({"S0", "S1", "S2"})) << "names are not saved by the reset";
  EXPECT_EQ(splitNames[0], L"S0") << "nor applied";
  EXPECT_EQ(BoxText(LiveBoxes()[0]), L"Typed");
  OpenTab(kTimerTab);
  EXPECT_EQ(splitNames[0], L"Typed");
}

TEST_F(EditorTest, WheelAndThumbDragKeepTypedText) {
  OpenEditSplits(10);
  SetWindowTextW(LiveBoxes()[3], L"Kept");  // row 3
  Wheel(-120);
  EXPECT_EQ(splitNames[3], L"Kept");
  EXPECT_EQ(BoxText(LiveBoxes()[2]), L"Kept");
  SetWindowTextW(LiveBoxes()[0], L"Also");  // row 1
  PressAt(264, 250);
  MoveTo(264, 260);
  ReleaseAt(264, 260);
  EXPECT_EQ(splitNames[1], L"Also");
  EXPECT_EQ(FileLines("splits.txt").at(1), "S1") << "scrolling applies, it does not save";
}

TEST_F(EditorTest, OnlyVisibleRowsTakeAPress) {
  OpenEditSplits(10);
  // Posted straight to the window, so the boxes (children) are bypassed and
  // the dispatch's own row test is what runs.
  ClickAt(160, 310);  // row 2 at 304..332
  EXPECT_EQ(selectedSplitIndex, 2);
  EXPECT_FALSE(dragging);

  PressAt(160, 390);  // row 4's rectangle (376..404) lies below the list
  EXPECT_EQ(selectedSplitIndex, 2);
  EXPECT_TRUE(dragging);
  ReleaseAt(160, 390);

  Wheel(-120);
  Wheel(-120);  // 72: row 0 is 160..188, row 1 196..224, both above the list
  PressAt(160, 222);
  EXPECT_EQ(selectedSplitIndex, 2);
  EXPECT_TRUE(dragging);
  ReleaseAt(160, 222);

  ClickAt(250, 268);  // row 3's top-right corner
  EXPECT_EQ(selectedSplitIndex, 3);
  ClickAt(70, 260);  // row 2's bottom-left corner at 232..260
  EXPECT_EQ(selectedSplitIndex, 2);
  EXPECT_FALSE(dragging);
}

TEST_F(EditorTest, ButtonsAreTestedBeforeARowScrolledUnderThem) {
  WriteFile("bestsplits.txt", CrLfLines(std::vector<std::string>(10, "7")));
  OpenEditSplits(10);
  PressAt(264, 300);
  MoveTo(264, 311);  // 11 px: 2420 / 86 = 28
  ReleaseAt(264, 311);
  ASSERT_EQ(editSplitsScrollPos, 28);
  ASSERT_EQ(BoxRowsAndTops().front(), (std::pair<int, int>{0, 204})) << "row 0 reaches into Reset Best Times";

  ClickAt(160, 210);  // on the button and on row 0
  EXPECT_EQ(selectedSplitIndex, -1);
  EXPECT_EQ(bestSplitTimes, std::vector<double>(10, kNoTime)) << "the button took the press";
  ClickAt(160, 220);  // below the button: the row
  EXPECT_EQ(selectedSplitIndex, 0);
}

TEST_F(EditorTest, ModeSwitchAppliesTextAndRebuildsTheBoxes) {
  OpenEditSplits(5);
  const std::vector<HWND> before = LiveBoxes();
  ASSERT_EQ(before.size(), 4u);
  SetWindowTextW(before[1], L"Typed");
  Hotkey(1);
  EXPECT_TRUE(clickThroughEnabled);
  EXPECT_TRUE(LiveBoxes().empty()) << "no box floats over the click-through overlay";
  for (HWND box : before) EXPECT_FALSE(IsWindow(box));
  EXPECT_EQ(splitNames[1], L"Typed");
  Hotkey(1);
  ASSERT_EQ(LiveBoxes().size(), 4u);
  EXPECT_EQ(BoxText(LiveBoxes()[1]), L"Typed");
}

TEST_F(EditorTest, BoxesShareOneFontAndTheColourQueryOneBrush) {
  OpenEditSplits(5);
  const HWND first = LiveBoxes()[0];
  const LRESULT font = SendMessageW(first, WM_GETFONT, 0, 0);
  EXPECT_NE(font, 0);
  for (HWND box : LiveBoxes()) EXPECT_EQ(SendMessageW(box, WM_GETFONT, 0, 0), font);
  Wheel(-120);
  EXPECT_EQ(SendMessageW(LiveBoxes()[0], WM_GETFONT, 0, 0), font) << "created once, not per rebuild";

  const HWND box = LiveBoxes()[0];
  const HDC dc = GetDC(box);
  const LRESULT brush =
      SendMessageW(g_hwnd, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(box));
  EXPECT_NE(brush, 0);
  EXPECT_EQ(SendMessageW(g_hwnd, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(box)), brush);
  ReleaseDC(box, dc);
}

TEST_F(EditorTest, DialogCodeQueryDependsOnTheFocusedBox) {
  OpenEditSplits(3);
  EXPECT_EQ(SendMessageW(g_hwnd, WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS);
  InjectClick(100, 246);
  ASSERT_EQ(GetParent(GetFocus()), g_hwnd);
  EXPECT_EQ(SendMessageW(g_hwnd, WM_GETDLGCODE, 0, 0), 0);
}

TEST_F(EditorTest, HotkeysAndKeysTypedIntoABoxDoNotRebind) {
  OpenEditSplits(3);
  OpenTab(kKeybindsTab);
  ClickAt(kSplitButton);
  ASSERT_EQ(rebinding, "split");
  OpenTab(kEditSplitsTab);
  InjectClick(100, 246);
  InjectKey(VK_END);
  InjectText(L"x");
  EXPECT_EQ(BoxText(LiveBoxes()[0]), L"S0x");
  EXPECT_EQ(rebinding, "split") << "the box had the keys, not the window";
}

}  // namespace
}  // namespace shelltest
