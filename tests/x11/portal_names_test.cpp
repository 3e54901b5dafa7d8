// What we tell the GlobalShortcuts portal: our shortcut ids, keysym-named
// triggers, and where its answers will come.
#include <gtest/gtest.h>

#include "x11/portal_names.h"

namespace {

using namespace platform::x11;

TEST(PortalNames, ShortcutsAreNamedByTheirActionsAndTheOthersStayDistinct) {
  EXPECT_EQ(ShortcutIdOf(1), "toggle");
  EXPECT_EQ(ShortcutIdOf(2), "split");
  EXPECT_EQ(ShortcutIdOf(4), "cancel");
  EXPECT_NE(ShortcutIdOf(3), ShortcutIdOf(5));
}

TEST(PortalNames, TriggersAreXkbKeysymNamesOfTheBareKey) {
  EXPECT_EQ(TriggerOf(VK_SPACE), "space");
  EXPECT_EQ(TriggerOf('C'), "c");  // the unshifted keysym: no Shift in the trigger
  EXPECT_EQ(TriggerOf('7'), "7");
  EXPECT_EQ(TriggerOf(VK_F1 + 4), "F5");
  EXPECT_EQ(TriggerOf(VK_UP), "Up");  // the dedicated key, not the keypad's
  EXPECT_EQ(TriggerOf(0xFF), "");
}

TEST(PortalNames, RequestPathsFollowTheSenderAndToken) {
  EXPECT_EQ(RequestPathFor(":1.42", "brenvik3"), "/org/freedesktop/portal/desktop/request/1_42/brenvik3");
  EXPECT_EQ(RequestPathFor(":12.7.1", "t"), "/org/freedesktop/portal/desktop/request/12_7_1/t");
}

}  // namespace
