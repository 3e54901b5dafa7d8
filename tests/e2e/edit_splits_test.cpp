// The Edit Splits panel: adding and removing splits, renaming in the edit
// boxes, hotkeys held off while a box has the focus, and the wheel.
#include <X11/keysym.h>

#include "panel.h"

namespace e2e {
namespace {

const std::string kDefaultNames = "Enter\r\nBoss Start\r\nidk\r\nNew Split\r\nNew Split\r\n";

std::string NoBests(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "-1\r\n";
  return s;
}

class EditSplitsTest : public PanelTest {
 protected:
  void OpenPanel() {
    app().Hotkey(XK_7);
    ClickAt(kEditSplitsTab);
    ASSERT_EQ(ActiveTab(Frame()), 2);
  }

  void Rename(int row, int scroll, const std::string& name) { RenameRow(app(), row, scroll, name); }

  // The edit box of a row, seen by the pixels of its empty right end.
  bool BoxAt(const Image& img, int top) { return img.AllExact({200, top + 6, 244, top + 22}, kControlFill); }

  // Scroll thumb top, read in the thumb's column.
  int ThumbTop(const Image& img) { return img.FindInColumn(264, 232, 372, kThumb); }
};

TEST_P(EditSplitsTest, AddAndRemoveSaveBothFilesAndResizeTheWindow) {
  ASSERT_TRUE(app().Start());
  OpenPanel();
  Image img = Frame();
  app().Screenshot("edit-splits-panel");
  // Five splits with the list at the top: rows 0 to 3 have boxes.
  for (int row = 0; row < 4; ++row) EXPECT_TRUE(BoxAt(img, 232 + 36 * row)) << "row " << row;
  EXPECT_TRUE(app().ListFiles().empty());

  ClickAt(kAddButton);
  EXPECT_TRUE(app().FileBecomes("splits.txt", kDefaultNames + "New Split\r\n"));
  EXPECT_TRUE(app().FileBecomes("bestsplits.txt", NoBests(6)));
  EXPECT_TRUE(app().GeometryBecomes(Geometry{100, 100, 320, HeightForSplits(6)}));
  ClickAt(kAddButton);
  EXPECT_TRUE(app().FileBecomes("bestsplits.txt", NoBests(7)));
  EXPECT_TRUE(app().HeightBecomes(HeightForSplits(7)));

  for (int n = 6; n >= 0; --n) {
    ClickAt(kRemoveButton);
    EXPECT_TRUE(app().FileBecomes("bestsplits.txt", NoBests(n)));
    EXPECT_TRUE(app().HeightBecomes(HeightForSplits(n))) << n << " splits";
  }
  EXPECT_TRUE(app().FileBecomes("splits.txt", ""));
  img = Frame();
  EXPECT_FALSE(BoxAt(img, 232)) << "a row box with no splits";

  // With no splits "- Remove Last" takes nothing: the press drags the window.
  app().Drag(kRemoveButton.x, kRemoveButton.y, kRemoveButton.x + 30, kRemoveButton.y + 20);
  EXPECT_TRUE(app().GeometryBecomes(Geometry{130, 120, 320, HeightForSplits(0)}));

  ClickAt(kAddButton);
  EXPECT_TRUE(app().FileBecomes("splits.txt", "New Split\r\n"));
  EXPECT_TRUE(app().FileBecomes("bestsplits.txt", NoBests(1)));
  EXPECT_TRUE(BoxAt(Frame(), 232));

  // The Timer panel shows the one split; a run over it finishes at once.
  ClickAt(kTimerTab);
  int bar = SeparatorBarTop(Frame());
  ASSERT_GT(bar, 100);
  app().Hotkey(XK_space);
  EXPECT_EQ(GreenBoxLine(Frame(), bar), 0);
  app().Hotkey(XK_space);
  EXPECT_EQ(GreenBoxLine(Frame(), bar), -1);
  auto pb = app().ReadFile("pbtime.txt");
  ASSERT_TRUE(pb);
  EXPECT_NE(*pb, "-1\r\n");
  EXPECT_NE(app().ReadFile("bestsplits.txt"), NoBests(1));

  // "Reset Best Times" forgets the best and the PB, in both files.
  ClickAt(kEditSplitsTab);
  ClickAt(kResetButton);
  EXPECT_TRUE(app().FileBecomes("bestsplits.txt", NoBests(1)));
  EXPECT_TRUE(app().FileBecomes("pbtime.txt", "-1\r\n"));
  EXPECT_TRUE(app().FileBecomes("splits.txt", "New Split\r\n"));
}

TEST_P(EditSplitsTest, RenamingIsSavedByATabPressAndHotkeysWaitWhileABoxHasTheFocusOnly) {
  ASSERT_TRUE(app().Start());
  OpenPanel();
  Rename(1, 0, "Moat");
  // The box has the focus: the toggle and split keys do nothing and type
  // nothing.
  app().Hotkey(XK_7);
  EXPECT_TRUE(ModeIs(Frame(), true)) << "toggle acted while a box had the focus";
  app().Hotkey(XK_space);
  app().Quiesce();
  EXPECT_FALSE(app().ReadFile("splits.txt")) << "saved before an apply point";

  // A press on the panel's background, left of the buttons between Add and
  // Remove, gives the hotkeys back.
  const Point background{8, 136};
  ASSERT_TRUE(Frame().AllExact({4, 132, 12, 140}, kBackground));
  ClickAt(background);
  app().Hotkey(XK_7);
  EXPECT_TRUE(ModeIs(Frame(), false)) << "the toggle still waits after a press beside the boxes";
  app().Hotkey(XK_7);
  ASSERT_TRUE(ModeIs(Frame(), true));

  ClickAt(kTimerTab);
  EXPECT_TRUE(app().FileBecomes("splits.txt", "Enter\r\nMoat\r\nidk\r\nNew Split\r\nNew Split\r\n"));
  EXPECT_TRUE(app().FileBecomes("bestsplits.txt", NoBests(5)));
  Image img = Frame();
  int bar = SeparatorBarTop(img);
  ASSERT_GT(bar, 100);
  EXPECT_EQ(GreenBoxLine(img, bar), -1) << "the split key started a run while a box had the focus";

  // Off the panel the hotkeys work again.
  app().Hotkey(XK_space);
  EXPECT_EQ(GreenBoxLine(Frame(), bar), 0);
  app().Hotkey(XK_c);
  EXPECT_EQ(GreenBoxLine(Frame(), bar), -1);

  // A press on the panel's own tab applies and saves too.
  ClickAt(kEditSplitsTab);
  Rename(0, 0, "Gate");
  ClickAt(kEditSplitsTab);
  EXPECT_TRUE(app().FileBecomes("splits.txt", "Gate\r\nMoat\r\nidk\r\nNew Split\r\nNew Split\r\n"));
}

TEST_P(EditSplitsTest, WheelScrollsTheListAndItsBoxes) {
  ASSERT_TRUE(app().Start());
  OpenPanel();
  Image img = Frame();
  // Five splits: range 40, thumb 108 of the 140-pixel track.
  EXPECT_EQ(ThumbTop(img), 232);
  EXPECT_TRUE(BoxAt(img, 232));
  EXPECT_TRUE(img.AllExact({200, 224, 244, 230}, kBackground));

  app().Wheel(264, 300, -1);  // scroll 36
  img = Frame();
  EXPECT_EQ(ThumbTop(img), 232 + 32 * 36 / 40);
  EXPECT_TRUE(BoxAt(img, 232)) << "row 1 at the top of the list";

  app().Wheel(264, 300, -1);  // scroll 40: clamped
  img = Frame();
  EXPECT_EQ(ThumbTop(img), 264);
  EXPECT_TRUE(BoxAt(img, 228)) << "row 1, 4 pixels above the list";
  EXPECT_TRUE(BoxAt(img, 228 + 36 * 3)) << "row 4";
  app().Wheel(264, 300, -3);
  EXPECT_EQ(ThumbTop(Frame()), 264);

  // Rename row 2 while the list is scrolled: only row 2 changes.
  Rename(2, 40, "Keep");
  ClickAt(kTimerTab);
  EXPECT_TRUE(app().FileBecomes("splits.txt", "Enter\r\nBoss Start\r\nKeep\r\nNew Split\r\nNew Split\r\n"));

  // The tab switch scrolled the list back to the top; the wheel up stays
  // there.
  ClickAt(kEditSplitsTab);
  app().Wheel(264, 300, 2);
  img = Frame();
  EXPECT_EQ(ThumbTop(img), 232);
  EXPECT_TRUE(BoxAt(img, 232));
  app().Wheel(264, 300, -2);
  EXPECT_EQ(ThumbTop(Frame()), 264);

  // The rows are edit boxes: the wheel over a name scrolls the list too.
  app().Wheel(160, 300, 1);
  EXPECT_EQ(ThumbTop(Frame()), 232 + 32 * 4 / 40) << "the wheel over a name box did not scroll";
  app().Wheel(160, 246, 1);
  EXPECT_EQ(ThumbTop(Frame()), 232) << "the wheel over a name box did not scroll";
}

BRENVIK_E2E_TARGETS(EditSplitsTest);

}  // namespace
}  // namespace e2e
