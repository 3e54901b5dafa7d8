#include <gtest/gtest.h>

#include <algorithm>

#include "x11/key_grabs.h"

using namespace platform::x11;

namespace {

TEST(LockCombinations, EverySubsetOfTheLocksOnce) {
  const auto all = LockCombinations({Mod2Mask, Mod3Mask});
  EXPECT_EQ(all.size(), 8u);
  for (unsigned mask :
       {0u, unsigned(LockMask), unsigned(Mod2Mask), unsigned(Mod3Mask), unsigned(LockMask | Mod2Mask | Mod3Mask)})
    EXPECT_NE(std::find(all.begin(), all.end(), mask), all.end()) << mask;
  // ScrollLock not on a modifier: no duplicate grabs.
  const auto noScroll = LockCombinations({Mod2Mask, 0});
  EXPECT_EQ(noScroll.size(), 4u);
  EXPECT_EQ(LockCombinations({0, 0}).size(), 2u);
}

TEST(BareKeyState, LocksAllowedModifiersNot) {
  EXPECT_TRUE(IsBareKeyState(0));
  EXPECT_TRUE(IsBareKeyState(LockMask | Mod2Mask | Mod3Mask));
  EXPECT_TRUE(IsBareKeyState(Button1Mask));
  EXPECT_FALSE(IsBareKeyState(ShiftMask));
  EXPECT_FALSE(IsBareKeyState(ControlMask | Mod2Mask));
  EXPECT_FALSE(IsBareKeyState(Mod1Mask));
  EXPECT_FALSE(IsBareKeyState(Mod4Mask));
}

}  // namespace
