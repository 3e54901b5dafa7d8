// Overlay and interactive mode: the toggle hotkey, what each mode sets on
// the window, and which panels it leaves painted.
#include "shell_fixture.h"

namespace shelltest {
namespace {

using ModeTest = ShellTest;

constexpr RECT kModeLabel{0, 38, 320, 62};

TEST_F(ModeTest, ToggleFlipsClickThroughAndTheLabel) {
  Start();
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    Hotkey(1);
    EXPECT_FALSE(clickThroughEnabled);
    EXPECT_FALSE(GetWindowLongPtrW(g_hwnd, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    EXPECT_TRUE(GetWindowLongPtrW(g_hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) << "other bits stay";
    EXPECT_FALSE(Top().clickThrough);
    EXPECT_TRUE(RegionHas(kModeLabel, kInteractiveLabel));
    EXPECT_FALSE(RegionHas(kModeLabel, kOverlayLabel));

    Hotkey(1);
    EXPECT_TRUE(clickThroughEnabled);
    EXPECT_TRUE(GetWindowLongPtrW(g_hwnd, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    EXPECT_TRUE(Top().clickThrough);
    EXPECT_TRUE(RegionHas(kModeLabel, kOverlayLabel));
    EXPECT_FALSE(RegionHas(kModeLabel, kInteractiveLabel));
  }
  EXPECT_EQ(activeTab, TAB_TIMER) << "hotkeys never change the panel";
}

TEST_F(ModeTest, ToggleWorksOnEveryPanel) {
  Start();
  ToInteractive();
  OpenTab(kKeybindsTab);
  Hotkey(1);
  EXPECT_TRUE(clickThroughEnabled);
  EXPECT_EQ(Pixel(75, 101), kBackground) << "overlay: no Keybinds buttons";
  Hotkey(1);
  EXPECT_EQ(Pixel(75, 101), kControlFill);
  OpenTab(kEditSplitsTab);
  Hotkey(1);
  EXPECT_TRUE(clickThroughEnabled);
  EXPECT_EQ(Pixel(75, 115), kBackground);
  EXPECT_TRUE(RegionHas(kModeLabel, kOverlayLabel));
}

TEST_F(ModeTest, TimerPanelAndRunWorkInBothModes) {
  Start();
  Hotkey(2);
  ToInteractive();
  Hotkey(2);
  EXPECT_EQ(currentSplit, 1);
  Hotkey(1);
  Hotkey(2);
  EXPECT_EQ(currentSplit, 2);
  EXPECT_FALSE(RowsWithColour(5, 60, ClientHeight(), kGreenBox).empty());
}

}  // namespace
}  // namespace shelltest
