// The window's two modes, its tabs, dragging, the close button's hover look
// and closing, seen from outside.
#include <X11/keysym.h>

#include "panel.h"

namespace e2e {
namespace {

class WindowTest : public PanelTest {
 protected:
  void Toggle() { app().Hotkey(XK_7); }
};

TEST_P(WindowTest, ModesTabsDragHoverAndCloseFromTheTimerPanel) {
  ASSERT_TRUE(app().Start());
  EXPECT_TRUE(ModeIs(Frame(), false));

  // Overlay mode: a click on a tab passes through the window.
  ClickAt(kKeybindsTab);
  EXPECT_EQ(ActiveTab(Frame()), 0) << "overlay mode took a click";

  Toggle();
  Image img = Frame();
  EXPECT_TRUE(ModeIs(img, true));
  EXPECT_EQ(ActiveTab(img), 0);
  app().Screenshot("timer-panel-interactive");

  // Tabs: each press marks its tab and shows its panel.
  ClickAt(kKeybindsTab);
  img = Frame();
  EXPECT_EQ(ActiveTab(img), 1);
  EXPECT_TRUE(img.AllExact({74, 90, 90, 112}, kControlFill)) << "no Toggle button";
  EXPECT_TRUE(img.AllExact({74, 216, 90, 238}, kControlFill)) << "no Save button";
  EXPECT_TRUE(ModeIs(img, true));
  ClickAt(kEditSplitsTab);
  img = Frame();
  EXPECT_EQ(ActiveTab(img), 2);
  EXPECT_TRUE(img.AllExact({74, 104, 90, 126}, kControlFill)) << "no Add Split button";
  EXPECT_TRUE(img.AllExact({258, 232, 270, 236}, kThumb) || img.AllExact({260, 232, 268, 236}, kThumb))
      << "no scroll thumb at the top of the list";
  EXPECT_TRUE(app().ListFiles().empty()) << "a tab press onto Edit Splits saves nothing";
  ClickAt(kTimerTab);
  img = Frame();
  EXPECT_EQ(ActiveTab(img), 0);
  EXPECT_TRUE(app().FileBecomes("splits.txt", "Enter\r\nBoss Start\r\nidk\r\nNew Split\r\nNew Split\r\n"))
      << "leaving Edit Splits saves the names";
  EXPECT_TRUE(app().FileBecomes("bestsplits.txt", "-1\r\n-1\r\n-1\r\n-1\r\n-1\r\n"));
  EXPECT_GT(SeparatorBarTop(img), 100);
  EXPECT_EQ(img.CountExact({0, 60, 320, img.height()}, kControlFill), 0) << "panel buttons left on the Timer panel";
  EXPECT_TRUE(app().GeometryBecomes(Geometry{100, 100, 320, 373}));

  // The close button lights up under the pointer and goes dark when it
  // leaves.
  app().MoveMouse(kCloseButton.x, kCloseButton.y);
  EXPECT_EQ(CloseDiscColour(Frame()), kCloseHovered);
  app().MoveMouse(200, 300);
  EXPECT_EQ(CloseDiscColour(Frame()), kCloseDisc);

  // Dragging the background moves the window by the drag distance.
  app().Drag(300, 250, 360, 290);
  EXPECT_TRUE(app().GeometryBecomes(Geometry{160, 140, 320, 373}));
  app().Drag(20, 300, 0, 250);
  EXPECT_TRUE(app().GeometryBecomes(Geometry{140, 90, 320, 373}));
  // A tab switch keeps the dragged position.
  ClickAt(kKeybindsTab);
  ClickAt(kTimerTab);
  EXPECT_TRUE(app().GeometryBecomes(Geometry{140, 90, 320, 373}));

  // Back to overlay mode: a drag no longer moves the window.
  Toggle();
  EXPECT_TRUE(ModeIs(Frame(), false));
  app().Drag(300, 250, 340, 270);
  app().Quiesce();
  EXPECT_EQ(app().geometry(), (Geometry{140, 90, 320, 373}));

  // Closing from the Timer panel writes no file and exits with 0.
  Toggle();
  EXPECT_TRUE(ModeIs(Frame(), true));
  // (Leaving Edit Splits above saved the names and bests once.)
  EXPECT_EQ(app().ListFiles(), (std::vector<std::string>{"bestsplits.txt", "splits.txt"}));
  auto stamps = std::make_pair(app().Stamp("bestsplits.txt"), app().Stamp("splits.txt"));
  ClickAt(kCloseButton);
  EXPECT_EQ(app().WaitExit(kHangLimit), 0);
  EXPECT_EQ(app().ListFiles(), (std::vector<std::string>{"bestsplits.txt", "splits.txt"}));
  EXPECT_EQ(std::make_pair(app().Stamp("bestsplits.txt"), app().Stamp("splits.txt")), stamps);
}

TEST_P(WindowTest, ClosingFromEditSplitsSavesTheNamesAndBests) {
  // LF line ends and one best too few: both come back as CR LF lines, one
  // best per name.
  app().WriteFile("splits.txt", "One\nTwo\n");
  app().WriteFile("bestsplits.txt", "1.5\n");
  ASSERT_TRUE(app().Start());
  EXPECT_TRUE(app().HeightBecomes(HeightForSplits(2)));
  Toggle();
  ClickAt(kEditSplitsTab);
  EXPECT_EQ(ActiveTab(Frame()), 2);
  EXPECT_EQ(app().ReadFile("splits.txt"), "One\nTwo\n") << "a tab press onto the panel saves nothing";
  ClickAt(kCloseButton);
  EXPECT_EQ(app().WaitExit(kHangLimit), 0);
  EXPECT_EQ(app().ReadFile("splits.txt"), "One\r\nTwo\r\n");
  EXPECT_EQ(app().ReadFile("bestsplits.txt"), "1.5\r\n-1\r\n");
  EXPECT_EQ(app().ListFiles(), (std::vector<std::string>{"bestsplits.txt", "splits.txt"}));
}

BRENVIK_E2E_TARGETS(WindowTest);

}  // namespace
}  // namespace e2e
