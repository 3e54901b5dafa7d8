// Tab switches: what they save, reset and keep.
#include <cstdio>

#include "shell_fixture.h"

namespace shelltest {
namespace {

using TabTest = ShellTest;

TEST_F(TabTest, LeavingEditSplitsAppliesAndSavesEnteringDoesNot) {
  WriteFile("bestsplits.txt", CrLfLines({"3", "4.25"}));
  Start();
  ToInteractive();
  OpenTab(kEditSplitsTab);
  EXPECT_TRUE(FilesPresent() == std::vector<std::string>{"bestsplits.txt"}) << "entering saves nothing";
  ASSERT_EQ(LiveBoxes().size(), 4u);
  SetWindowTextW(LiveBoxes()[2], L"Middle");

  OpenTab(kTimerTab);
  EXPECT_EQ(splitNames[2], L"Middle");
  EXPECT_EQ(ReadFile("splits.txt"), CrLfLines({"Enter", "Boss Start", "Middle", "New Split", "New Split"}));
  EXPECT_EQ(ReadFile("bestsplits.txt"), CrLfLines({"3", "4.25", "-1", "-1", "-1"}));
  EXPECT_TRUE(LiveBoxes().empty());

  // From Timer to Keybinds nothing is written.
  std::remove("splits.txt");
  OpenTab(kKeybindsTab);
  OpenTab(kTimerTab);
  EXPECT_FALSE(FileExists("splits.txt"));
}

TEST_F(TabTest, PressingEditSplitsAgainSavesScrollsToTheTopAndRebuilds) {
  WriteFile("splits.txt", CrLfLines({"A", "B", "C", "D", "E", "F", "G"}));
  Start();
  ToInteractive();
  OpenTab(kEditSplitsTab);
  Wheel(-120);
  Wheel(-120);
  ASSERT_EQ(editSplitsScrollPos, 72);
  const std::vector<HWND> before = LiveBoxes();
  ASSERT_FALSE(before.empty());
  SetWindowTextW(before[0], L"C2");  // row 2 is the first box at 72
  ASSERT_EQ(GetDlgCtrlID(before[0]), 1002);

  OpenTab(kEditSplitsTab);
  EXPECT_EQ(activeTab, TAB_EDIT_SPLITS);
  EXPECT_EQ(editSplitsScrollPos, 0);
  EXPECT_EQ(FileLines("splits.txt"), (std::vector<std::string>{"A", "B", "C2", "D", "E", "F", "G"}));
  for (HWND old : before) EXPECT_FALSE(IsWindow(old)) << "boxes are rebuilt";
  const std::vector<HWND> after = LiveBoxes();
  ASSERT_EQ(after.size(), 4u);
  EXPECT_EQ(BoxRect(after[0]).top, 232);
  EXPECT_EQ(BoxText(after[2]), L"C2");
}

TEST_F(TabTest, SwitchKeepsSelectionAndPendingCapture) {
  Start();
  ToInteractive();
  OpenTab(kEditSplitsTab);
  ClickAt(160, 270);  // the dispatch's row test: row 1
  EXPECT_EQ(selectedSplitIndex, 1);
  OpenTab(kKeybindsTab);
  ClickAt(kToggleButton);
  ASSERT_EQ(rebinding, "toggle");
  OpenTab(kTimerTab);
  EXPECT_EQ(rebinding, "toggle");
  EXPECT_EQ(selectedSplitIndex, 1);
  OpenTab(kEditSplitsTab);
  EXPECT_EQ(selectedSplitIndex, 1);
}

TEST_F(TabTest, TabsWorkInOverlayModeAndRefitTheHeight) {
  Start();
  ToInteractive();
  OpenTab(kEditSplitsTab);
  ClickAt(kAddButton);
  ASSERT_EQ(splitNames.size(), 6u);
  RECT w{};
  GetWindowRect(g_hwnd, &w);
  EXPECT_EQ(w.bottom - w.top, 398);
  Hotkey(1);
  ASSERT_TRUE(clickThroughEnabled);
  // Shrink the window behind the shell's back: the next tab press refits it.
  SetWindowPos(g_hwnd, nullptr, 0, 0, 320, 300, SWP_NOMOVE | SWP_NOZORDER);
  OpenTab(kTimerTab);
  EXPECT_EQ(activeTab, TAB_TIMER);
  GetWindowRect(g_hwnd, &w);
  EXPECT_EQ(w.bottom - w.top, 398);
}

}  // namespace
}  // namespace shelltest
