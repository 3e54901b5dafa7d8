// The press dispatch in its order, on the closed rectangles: tabs, close
// button, panel buttons, the scroll-bar strip, the window drag, and what
// overlay mode lets through.
#include "shell_fixture.h"

namespace shelltest {
namespace {

using MouseTest = ShellTest;

LRESULT SendPress(int x, int y) { return SendMessageW(g_hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }

TEST_F(MouseTest, SharedTabColumnsBelongToTheLowerTab) {
  Start();
  struct Case {
    int x, y, tab;
  };
  // Start each press from a different tab so a wrong hit shows.
  const Case cases[] = {{95, 20, TAB_TIMER},       {96, 20, TAB_KEYBINDS},     {190, 0, TAB_KEYBINDS},
                        {191, 0, TAB_EDIT_SPLITS}, {285, 34, TAB_EDIT_SPLITS}, {0, 0, TAB_TIMER},
                        {95, 10, TAB_TIMER}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    activeTab = c.tab == TAB_TIMER ? TAB_KEYBINDS : TAB_TIMER;
    ClickAt(c.x, c.y);
    EXPECT_EQ(activeTab, c.tab);
  }
}

TEST_F(MouseTest, PressBelowTheTabsIsNoTab) {
  Start();
  ToInteractive();
  OpenTab(kKeybindsTab);
  PressAt(50, 35);  // one row below the Timer tab: free space, a drag
  EXPECT_EQ(activeTab, TAB_KEYBINDS);
  EXPECT_TRUE(dragging);
  ReleaseAt(50, 35);
  EXPECT_FALSE(dragging);
}

TEST_F(MouseTest, OverlayModeTakesOnlyTabsAndTheCloseButton) {
  Start();
  ASSERT_TRUE(clickThroughEnabled);
  // Nothing takes these: no drag, no capture.
  for (POINT p : {POINT{300, 5}, POINT{160, 200}, POINT{5, 100}}) {
    SendPress(p.x, p.y);
    EXPECT_FALSE(dragging) << p.x << "," << p.y;
    EXPECT_EQ(GetCapture(), nullptr);
  }
  EXPECT_EQ(activeTab, TAB_TIMER);
  EXPECT_EQ(SendPress(kKeybindsTab.x, kKeybindsTab.y), 0);
  EXPECT_EQ(activeTab, TAB_KEYBINDS);
  SendPress(kSplitButton.x, kSplitButton.y);
  EXPECT_TRUE(rebinding.empty()) << "Keybinds buttons need interactive mode";
  OpenTab(kEditSplitsTab);
  const std::size_t names = splitNames.size();
  SendPress(kAddButton.x, kAddButton.y);
  SendPress(264, 300);
  EXPECT_EQ(splitNames.size(), names);
  EXPECT_FALSE(splitEditScrollDragging);
  EXPECT_FALSE(dragging);
  Pump();
  EXPECT_FALSE(quitPosted_);
  EXPECT_EQ(SendPress(kCloseButton.x, kCloseButton.y), 0);
  Pump();
  EXPECT_TRUE(quitPosted_) << "the close button works in overlay mode";
}

TEST_F(MouseTest, InteractivePressIsAlwaysTaken) {
  Start();
  ToInteractive();
  for (POINT p : {POINT{300, 5}, POINT{160, 200}, POINT{5, 100}, POINT{160, 40}}) {
    SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
    EXPECT_EQ(SendPress(p.x, p.y), 0);
    EXPECT_TRUE(dragging);
    ReleaseAt(p.x, p.y);
    EXPECT_FALSE(dragging);
  }
}

TEST_F(MouseTest, CloseButtonQuitsAndSavesOnlyFromEditSplits) {
  Start();
  ClickAt(286, 20);  // on the close button only
  EXPECT_TRUE(quitPosted_);
  EXPECT_EQ(activeTab, TAB_TIMER);
  EXPECT_TRUE(IsWindow(g_hwnd)) << "the window is not destroyed by the button";
  EXPECT_TRUE(FilesPresent().empty());

  TearDown();
  SetUp();
  Start();
  ToInteractive();
  OpenTab(kKeybindsTab);
  ClickAt(310, 34);
  EXPECT_TRUE(quitPosted_);
  EXPECT_TRUE(FilesPresent().empty());

  TearDown();
  SetUp();
  WriteFile("bestsplits.txt", CrLfLines({"1.5", "2"}));
  Start();
  ToInteractive();
  OpenTab(kEditSplitsTab);
  SetWindowTextW(LiveBoxes().at(1), L"Boss Fight");
  ASSERT_FALSE(quitPosted_);
  ClickAt(kCloseButton);
  EXPECT_TRUE(quitPosted_);
  EXPECT_EQ(ReadFile("splits.txt"), CrLfLines({"Enter", "Boss Fight", "idk", "New Split", "New Split"}));
  EXPECT_EQ(ReadFile("bestsplits.txt"), CrLfLines({"1.5", "2", "-1", "-1", "-1"}));
}

TEST_F(MouseTest, KeybindsButtonsIncludeTheirRightAndBottomEdges) {
  Start();
  ToInteractive();
  OpenTab(kKeybindsTab);
  struct Case {
    int x, y;
    const char* action;
  };
  const Case cases[] = {{250, 118, "toggle"}, {70, 84, "toggle"},   {70, 126, "split"},
                        {250, 160, "split"},  {160, 168, "cancel"}, {250, 202, "cancel"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
    rebinding.clear();
    ClickAt(c.x, c.y);
    EXPECT_EQ(rebinding, c.action);
    EXPECT_FALSE(dragging);
  }
  rebinding.clear();
  for (POINT p : {POINT{251, 100}, POINT{69, 100}, POINT{160, 122}, POINT{160, 245}}) {
    SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
    PressAt(p.x, p.y);
    EXPECT_TRUE(rebinding.empty());
    EXPECT_TRUE(dragging) << "between or beside the buttons is free space";
    ReleaseAt(p.x, p.y);
  }
  EXPECT_FALSE(FileExists("keybinds.cfg"));
  ClickAt(250, 244);  // Save's corner
  EXPECT_TRUE(FileExists("keybinds.cfg"));
}

TEST_F(MouseTest, ScrollBarStripStartsAThumbDragEvenWhenNothingScrolls) {
  WriteFile("splits.txt", CrLfLines({"A", "B", "C"}));
  Start();
  ToInteractive();
  OpenTab(kEditSplitsTab);
  for (POINT p : {POINT{258, 232}, POINT{270, 372}, POINT{264, 300}}) {
    SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
    PressAt(p.x, p.y);
    EXPECT_TRUE(splitEditScrollDragging);
    EXPECT_FALSE(dragging);
    EXPECT_EQ(splitEditScrollDragStartY, p.y);
    EXPECT_EQ(GetCapture(), g_hwnd);
    MoveTo(p.x, p.y + 80);
    EXPECT_EQ(editSplitsScrollPos, 0) << "three names fit";
    ReleaseAt(p.x, p.y + 80);
    EXPECT_FALSE(splitEditScrollDragging);
    EXPECT_EQ(GetCapture(), nullptr);
  }
  for (POINT p : {POINT{257, 300}, POINT{271, 300}, POINT{264, 231}}) {
    SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
    PressAt(p.x, p.y);
    EXPECT_FALSE(splitEditScrollDragging);
    ReleaseAt(p.x, p.y);
  }
}

TEST_F(MouseTest, ScrollBarStripIsOnlyOnEditSplitsInInteractiveMode) {
  Start();
  ToInteractive();
  PressAt(264, 300);  // Timer panel: free space
  EXPECT_FALSE(splitEditScrollDragging);
  EXPECT_TRUE(dragging);
  ReleaseAt(264, 300);
}

TEST_F(MouseTest, RemoveWithNoSplitsFallsThroughToTheWindowDrag) {
  Start();
  ToInteractive();
  OpenTab(kEditSplitsTab);
  for (int i = 0; i < 5; ++i) ClickAt(kRemoveButton);
  ASSERT_TRUE(splitNames.empty());
  EXPECT_EQ(FileLines("splits.txt"), std::vector<std::string>{});
  RECT w{};
  GetWindowRect(g_hwnd, &w);
  EXPECT_EQ(w.bottom - w.top, 273);

  PressAt(kRemoveButton.x, kRemoveButton.y);
  EXPECT_TRUE(splitNames.empty());
  EXPECT_TRUE(dragging);
  ReleaseAt(kRemoveButton.x, kRemoveButton.y);
  // Add still works from empty.
  ClickAt(kAddButton);
  ASSERT_EQ(splitNames.size(), 1u);
  EXPECT_EQ(splitNames[0], L"New Split");
}

TEST_F(MouseTest, WindowDragMovesByTheCursorAndKeepsTheSize) {
  Start();
  ToInteractive();
  driver().SetCursorPosition(POINT{260, 400});  // client (160, 300)
  PressAt(160, 300);
  ASSERT_TRUE(dragging);
  EXPECT_EQ(GetCapture(), g_hwnd);
  EXPECT_EQ(dragOffset.x, 160);
  EXPECT_EQ(dragOffset.y, 300);

  driver().SetCursorPosition(POINT{300, 450});
  MoveTo(0, 0);  // the message's own point is not used
  RECT w{};
  GetWindowRect(g_hwnd, &w);
  EXPECT_EQ(w.left, 140);
  EXPECT_EQ(w.top, 150);
  EXPECT_EQ(w.right - w.left, 320);
  EXPECT_EQ(w.bottom - w.top, 373);
  EXPECT_EQ(Top().geometry.left, 140);

  // Overlay mode during the drag: the window stays, the release ends it.
  Hotkey(1);
  driver().SetCursorPosition(POINT{500, 500});
  MoveTo(0, 0);
  GetWindowRect(g_hwnd, &w);
  EXPECT_EQ(w.left, 140);
  ReleaseAt(0, 0);
  EXPECT_FALSE(dragging);
  EXPECT_EQ(GetCapture(), nullptr);

  // A tab switch refits the height but keeps the dragged position.
  OpenTab(kKeybindsTab);
  GetWindowRect(g_hwnd, &w);
  EXPECT_EQ(w.left, 140);
  EXPECT_EQ(w.top, 150);
}

TEST_F(MouseTest, InjectedDragMovesTheWindowByTheDragDistance) {
  Start();
  ToInteractive();
  driver().Press(g_hwnd, 160, 300);
  Pump();  // the drag reads the cursor position when it handles the press
  driver().MoveMouse(g_hwnd, 200, 350);
  Pump();
  RECT w{};
  GetWindowRect(g_hwnd, &w);
  EXPECT_EQ(w.left, 140);
  EXPECT_EQ(w.top, 150);
  EXPECT_EQ(Top().geometry.left, 140);
  EXPECT_EQ(Top().geometry.top, 150);
  driver().Release(g_hwnd, 160, 300);  // client point of the moved window
  Pump();
  EXPECT_FALSE(dragging);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MouseTest, ThumbDragFollowsThePointerBeyondTheWindow) {
  WriteFile("splits.txt", CrLfLines(std::vector<std::string>(10, "S")));
  Start();
  ToInteractive();
  OpenTab(kEditSplitsTab);
  driver().Press(g_hwnd, 264, 250);
  driver().MoveMouse(g_hwnd, 264, 293);
  Pump();
  EXPECT_EQ(editSplitsScrollPos, 110);
  driver().MoveMouse(g_hwnd, 264, 2000);  // far below the window: the capture keeps it ours
  Pump();
  EXPECT_EQ(editSplitsScrollPos, 220);
  driver().Release(g_hwnd, 264, 2000);
  Pump();
  EXPECT_FALSE(splitEditScrollDragging);
}

TEST_F(MouseTest, HoverRepaintsOnlyTheCloseButton) {
  Start();
  // A mark on the window's own pixels, outside the close button: a repaint
  // of the whole window would paint over it.
  const HDC dc = GetDC(g_hwnd);
  const HBRUSH red = CreateSolidBrush(Rgb(255, 0, 0));
  const RECT mark{10, 300, 20, 310};
  FillRect(dc, &mark, red);
  DeleteObject(red);
  ReleaseDC(g_hwnd, dc);
  Pump();
  ASSERT_EQ(Pixel(15, 305), Rgb(255, 0, 0));

  const int presents = Top().presents;
  MoveTo(160, 200);
  EXPECT_EQ(Top().presents, presents) << "no change of hover, no repaint";
  MoveTo(298, 22);
  EXPECT_GT(Top().presents, presents);
  EXPECT_EQ(Pixel(298, 13), kCloseDiscHovered);
  EXPECT_EQ(Pixel(15, 305), Rgb(255, 0, 0)) << "only the close button was repainted";
  MoveTo(300, 25);
  MoveTo(200, 25);
  EXPECT_EQ(Pixel(298, 13), kCloseDisc);
  EXPECT_EQ(Pixel(15, 305), Rgb(255, 0, 0));

  AdvanceClock(15);  // the repaint timer repaints everything
  Pump();
  EXPECT_EQ(Pixel(15, 305), kBackground);
}

TEST_F(MouseTest, CursorIsTheHandOverTheCloseButtonAndTheArrowElsewhereWhenInteractive) {
  Start();
  driver().MoveMouse(g_hwnd, 298, 22);
  Pump();
  EXPECT_EQ(Top().cursor, platform::CursorShape::Hand) << "in overlay mode too";
  ToInteractive();
  driver().MoveMouse(g_hwnd, 286, 10);
  Pump();
  EXPECT_EQ(Top().cursor, platform::CursorShape::Hand);
  driver().MoveMouse(g_hwnd, 285, 10);
  Pump();
  EXPECT_EQ(Top().cursor, platform::CursorShape::Arrow);
  driver().MoveMouse(g_hwnd, 310, 34);
  Pump();
  EXPECT_EQ(Top().cursor, platform::CursorShape::Hand);
  EXPECT_TRUE(closeHover);
}

TEST_F(MouseTest, WheelScrollsEditSplitsInEitherModeAndNothingElse) {
  WriteFile("splits.txt", CrLfLines(std::vector<std::string>(10, "S")));
  Start();
  Wheel(-120);
  EXPECT_EQ(editSplitsScrollPos, 0) << "Timer panel";
  OpenTab(kKeybindsTab);
  Wheel(-120);
  EXPECT_EQ(editSplitsScrollPos, 0) << "Keybinds panel";
  OpenTab(kEditSplitsTab);
  Wheel(-120);
  EXPECT_EQ(editSplitsScrollPos, 36) << "overlay mode scrolls too";
  EXPECT_TRUE(LiveBoxes().empty()) << "but makes no boxes";
}

}  // namespace
}  // namespace shelltest
