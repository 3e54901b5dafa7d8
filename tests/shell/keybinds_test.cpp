// Rebinding on the Keybinds panel by WM_KEYDOWN, Save, and the hotkey guard
// (pending capture, focused edit box).
#include "shell_fixture.h"

namespace shelltest {
namespace {

class KeybindsTest : public ShellTest {
 protected:
  void OpenKeybinds() {
    Start();
    ToInteractive();
    OpenTab(kKeybindsTab);
  }
};

TEST_F(KeybindsTest, CapturedKeyIsPendingUntilSave) {
  OpenKeybinds();
  ClickAt(kSplitButton);
  EXPECT_EQ(rebinding, "split");
  KeyDown('Q');
  EXPECT_TRUE(rebinding.empty());
  EXPECT_EQ(pendingKeybinds.at("split"), 0x51);
  EXPECT_EQ(keybinds.at("split"), 0x20) << "in force only after Save";
  EXPECT_TRUE(driver().IsGrabbed(0x20));
  EXPECT_FALSE(driver().IsGrabbed(0x51));
  EXPECT_FALSE(FileExists("keybinds.cfg"));

  // Space still splits until Save.
  Hotkey(2);
  EXPECT_TRUE(timerRunning);
  Hotkey(4);

  ClickAt(kSaveButton);
  EXPECT_EQ(keybinds.at("split"), 0x51);
  EXPECT_EQ(ReadFile("keybinds.cfg"), "cancel=67\r\nsplit=81\r\ntoggle=55\r\n");
  EXPECT_TRUE(driver().IsGrabbed(0x51));
  EXPECT_FALSE(driver().IsGrabbed(0x20));
  EXPECT_TRUE(driver().IsGrabbed(0x37));
  EXPECT_TRUE(driver().IsGrabbed(0x43));

  platform::OnHotkey(0x51);
  Pump();
  EXPECT_TRUE(timerRunning) << "Q now splits";
  Hotkey(4);
  platform::OnHotkey(0x20);
  Pump();
  EXPECT_FALSE(timerRunning) << "Space no longer does";
}

TEST_F(KeybindsTest, ButtonsShowThePendingKeysAndThePrompt) {
  OpenKeybinds();
  const RECT toggleLabel{72, 86, 248, 116};
  const RECT splitLabel{72, 128, 248, 158};
  const RECT cancelLabel{72, 170, 248, 200};
  const auto toggleBefore = Snapshot(toggleLabel);
  const auto splitBefore = Snapshot(splitLabel);
  const auto cancelBefore = Snapshot(cancelLabel);

  ClickAt(kSplitButton);
  const auto splitPrompt = Snapshot(splitLabel);
  EXPECT_NE(splitPrompt, splitBefore) << "the split button asks for a key";
  EXPECT_EQ(Snapshot(toggleLabel), toggleBefore);
  EXPECT_EQ(Snapshot(cancelLabel), cancelBefore);

  ClickAt(kToggleButton);
  EXPECT_EQ(Snapshot(splitLabel), splitBefore) << "only one prompt at a time";
  EXPECT_EQ(Snapshot(toggleLabel), splitPrompt) << "the same prompt, on the toggle button now";

  KeyDown(0x37 + 1);  // '8'
  const auto toggleNew = Snapshot(toggleLabel);
  EXPECT_NE(toggleNew, toggleBefore) << "shows the pending key before Save";
  EXPECT_NE(toggleNew, splitPrompt);
}

TEST_F(KeybindsTest, EveryHotkeyIsIgnoredWhileACaptureIsPending) {
  OpenKeybinds();
  ClickAt(kToggleButton);
  Hotkey(2);
  Hotkey(1);
  Hotkey(4);
  EXPECT_FALSE(timerRunning);
  EXPECT_FALSE(clickThroughEnabled) << "not even the mode switch";
  OpenTab(kTimerTab);
  Hotkey(2);
  EXPECT_FALSE(timerRunning) << "on any panel";

  KeyDown(VK_F1 + 4);  // F5: the capture ends on the Timer panel
  EXPECT_EQ(pendingKeybinds.at("toggle"), VK_F1 + 4);
  Hotkey(2);
  EXPECT_TRUE(timerRunning);
}

TEST_F(KeybindsTest, SystemKeysDoNotEndACaptureModifiersDo) {
  OpenKeybinds();
  ClickAt(kCancelButton);
  driver().Key(g_hwnd, VK_MENU, true);
  driver().Key(g_hwnd, 'K', true, false, true);  // Alt+K
  driver().Key(g_hwnd, 'K', false, false, true);
  driver().Key(g_hwnd, VK_MENU, false);
  driver().KeyPress(g_hwnd, VK_F10);
  Pump();
  EXPECT_EQ(rebinding, "cancel");
  EXPECT_EQ(pendingKeybinds.at("cancel"), 0x43);

  driver().KeyPress(g_hwnd, VK_LSHIFT);  // arrives as VK_SHIFT
  Pump();
  EXPECT_TRUE(rebinding.empty());
  EXPECT_EQ(pendingKeybinds.at("cancel"), VK_SHIFT);

  ClickAt(kCancelButton);
  driver().KeyPress(g_hwnd, 'K');
  Pump();
  EXPECT_EQ(pendingKeybinds.at("cancel"), 'K');
}

TEST_F(KeybindsTest, SecondButtonReplacesTheCaptureAndKeepsTheFirstCode) {
  OpenKeybinds();
  ClickAt(kToggleButton);
  ClickAt(kCancelButton);
  EXPECT_EQ(rebinding, "cancel");
  KeyDown('K');
  EXPECT_EQ(pendingKeybinds.at("cancel"), 'K');
  EXPECT_EQ(pendingKeybinds.at("toggle"), 0x37);
  KeyDown('L');
  EXPECT_EQ(pendingKeybinds.at("cancel"), 'K') << "a key without a capture changes nothing";
}

TEST_F(KeybindsTest, SaveWhileCapturingKeepsTheCapturePending) {
  OpenKeybinds();
  ClickAt(kSplitButton);
  ClickAt(kSaveButton);
  EXPECT_EQ(rebinding, "split");
  EXPECT_EQ(ReadFile("keybinds.cfg"), "cancel=67\r\nsplit=32\r\ntoggle=55\r\n");
  KeyDown('W');
  EXPECT_EQ(pendingKeybinds.at("split"), 'W');
  EXPECT_EQ(keybinds.at("split"), 0x20);
  EXPECT_EQ(ReadFile("keybinds.cfg"), "cancel=67\r\nsplit=32\r\ntoggle=55\r\n");
}

TEST_F(KeybindsTest, SameKeyForTwoActionsGoesToTheFirstRegistered) {
  OpenKeybinds();
  ClickAt(kToggleButton);
  KeyDown('Q');
  ClickAt(kSplitButton);
  KeyDown('Q');
  ClickAt(kSaveButton);
  EXPECT_EQ(ReadFile("keybinds.cfg"), "cancel=67\r\nsplit=81\r\ntoggle=81\r\n");
  platform::OnHotkey('Q');
  Pump();
  EXPECT_TRUE(clickThroughEnabled) << "toggle holds Q";
  EXPECT_FALSE(timerRunning);
}

TEST_F(KeybindsTest, UnknownEntriesOfTheFileSurviveASave) {
  WriteFile("keybinds.cfg", "toggle = 80\r\nSplit=65\r\n");
  OpenKeybinds();
  ClickAt(kSaveButton);
  EXPECT_EQ(ReadFile("keybinds.cfg"), "Split=65\r\ncancel=67\r\nsplit=32\r\ntoggle=55\r\ntoggle =80\r\n");
}

TEST_F(KeybindsTest, RefusedGrabLeavesThatActionWithoutAHotkey) {
  Start();
  driver().BlockGrab('Q');
  ToInteractive();
  OpenTab(kKeybindsTab);
  ClickAt(kSplitButton);
  KeyDown('Q');
  ClickAt(kSaveButton);
  EXPECT_EQ(keybinds.at("split"), 'Q');
  EXPECT_FALSE(driver().IsGrabbed('Q'));
  EXPECT_FALSE(driver().IsGrabbed(0x20));
  EXPECT_TRUE(driver().IsGrabbed(0x43));
  EXPECT_EQ(ReadFile("keybinds.cfg"), "cancel=67\r\nsplit=81\r\ntoggle=55\r\n");
}

TEST_F(KeybindsTest, FocusedEditBoxSilencesHotkeysOnEditSplitsOnly) {
  Start();
  ToInteractive();
  OpenTab(kEditSplitsTab);
  const HWND box = LiveBoxes().at(0);
  InjectClick(100, 246);  // into row 0's box
  ASSERT_EQ(GetFocus(), box);

  Hotkey(2);
  Hotkey(1);
  EXPECT_FALSE(timerRunning);
  EXPECT_FALSE(clickThroughEnabled);

  // Keys typed go into the box, not into the hotkey or capture paths.
  InjectKey(VK_END);
  InjectText(L" c7");
  EXPECT_EQ(BoxText(box), L"Enter c7");

  InjectClick(30, 300);  // panel background: focus back to the window
  EXPECT_NE(GetFocus(), box);
  Hotkey(2);
  EXPECT_TRUE(timerRunning);
}

TEST_F(KeybindsTest, LeavingTheFocusedBoxsPanelGivesTheHotkeysBack) {
  Start();
  ToInteractive();
  OpenTab(kEditSplitsTab);
  InjectClick(100, 246);
  ASSERT_EQ(GetParent(GetFocus()), g_hwnd);
  InjectClick(kTimerTab.x, kTimerTab.y);
  ASSERT_EQ(activeTab, TAB_TIMER);
  Hotkey(2);
  EXPECT_TRUE(timerRunning);
}

}  // namespace
}  // namespace shelltest
