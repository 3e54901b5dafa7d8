// Rebinding a hotkey on the Keybinds panel: the capture, Save, the file it
// writes, and the new key taking over from the old one at once.
#include <X11/keysym.h>

#include "file_format.h"
#include "panel.h"

namespace e2e {
namespace {

class KeybindsTest : public PanelTest {};

TEST_P(KeybindsTest, CapturedKeyIsSavedAndDrivesTheRunInsteadOfTheOldOne) {
  app().WriteFile("splits.txt", "A\r\nB\r\n");
  ASSERT_TRUE(app().Start());
  app().Hotkey(XK_7);
  ClickAt(kKeybindsTab);
  Image before = Frame();
  ASSERT_EQ(ActiveTab(before), 1);
  app().Screenshot("keybinds-panel");

  // The split button asks for a key; its label changes, the others do not.
  ClickAt(kSplitButton);
  Image asking = Frame();
  Box splitLabel{72, 128, 248, 158};
  EXPECT_GT(asking.CountNear(splitLabel, kText, 12), 0);
  int changed = 0;
  for (int y = splitLabel.top; y < splitLabel.bottom; ++y)
    for (int x = splitLabel.left; x < splitLabel.right; ++x) changed += !(asking.At(x, y) == before.At(x, y));
  EXPECT_GT(changed, 20) << "the split button's label did not change";
  for (Box other : {Box{72, 86, 248, 116}, Box{72, 170, 248, 200}, Box{72, 212, 248, 242}})
    for (int y = other.top; y < other.bottom; ++y)
      for (int x = other.left; x < other.right; ++x)
        ASSERT_EQ(asking.At(x, y), before.At(x, y)) << "another button changed at " << x << "," << y;

  // While the capture waits, the registered keys do nothing: 7 neither
  // switches the mode nor is captured.
  app().Hotkey(XK_7);
  EXPECT_TRUE(ModeIs(Frame(), true));
  EXPECT_FALSE(app().ReadFile("keybinds.cfg"));

  // Q is captured; nothing is written before Save.
  app().Hotkey(XK_q);
  Image captured = Frame();
  EXPECT_GT(captured.CountNear(splitLabel, kText, 12), 0);
  EXPECT_FALSE(app().ReadFile("keybinds.cfg"));
  ClickAt(kSaveButton);
  EXPECT_TRUE(app().FileBecomes("keybinds.cfg", "cancel=67\r\nsplit=81\r\ntoggle=55\r\n"));

  // Q now splits and Space does not.
  ClickAt(kTimerTab);
  int bar = SeparatorBarTop(Frame());
  ASSERT_GT(bar, 100);
  app().Hotkey(XK_space);
  EXPECT_EQ(GreenBoxLine(Frame(), bar), -1) << "Space still splits after Save";
  app().Hotkey(XK_q);
  EXPECT_EQ(GreenBoxLine(Frame(), bar), 0);
  app().Hotkey(XK_q);
  EXPECT_EQ(GreenBoxLine(Frame(), bar), 1);
  app().Hotkey(XK_space);
  EXPECT_EQ(GreenBoxLine(Frame(), bar), 1);
  app().Hotkey(XK_q);
  Image finished = Frame();
  EXPECT_EQ(GreenBoxLine(finished, bar), -1);
  auto bests = CrLfLines(app().ReadFile("bestsplits.txt"));
  ASSERT_TRUE(bests);
  EXPECT_EQ(bests->size(), 2u);
  EXPECT_TRUE(app().ReadFile("pbtime.txt"));

  // The other two keys keep working.
  app().Hotkey(XK_7);
  EXPECT_TRUE(ModeIs(Frame(), false));
  app().Hotkey(XK_q);  // clears the recap
  app().Hotkey(XK_q);  // starts
  EXPECT_EQ(GreenBoxLine(Frame(), bar), 0);
  app().Hotkey(XK_c);
  EXPECT_EQ(GreenBoxLine(Frame(), bar), -1);
  EXPECT_EQ(app().ReadFile("keybinds.cfg"), "cancel=67\r\nsplit=81\r\ntoggle=55\r\n");
}

BRENVIK_E2E_TARGETS(KeybindsTest);

}  // namespace
}  // namespace e2e
