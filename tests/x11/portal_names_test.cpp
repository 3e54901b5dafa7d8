// What we tell the GlobalShortcuts portal: our shortcut ids and where its
// answers will come.
#include <gtest/gtest.h>

#include "portal/portal_names.h"

namespace {

using namespace platform::x11;

TEST(PortalNames, ShortcutsAreNamedByTheirActionsAndTheOthersStayDistinct) {
  EXPECT_EQ(ShortcutIdOf(1), "toggle");
  EXPECT_EQ(ShortcutIdOf(2), "split");
  EXPECT_EQ(ShortcutIdOf(4), "cancel");
  EXPECT_NE(ShortcutIdOf(3), ShortcutIdOf(5));
}

TEST(PortalNames, RequestPathsFollowTheSenderAndToken) {
  EXPECT_EQ(RequestPathFor(":1.42", "brenvik3"), "/org/freedesktop/portal/desktop/request/1_42/brenvik3");
  EXPECT_EQ(RequestPathFor(":12.7.1", "t"), "/org/freedesktop/portal/desktop/request/12_7_1/t");
}

}  // namespace
