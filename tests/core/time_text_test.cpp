#include "run/time_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(FormatTime, TruncatesToMilliseconds) {
  EXPECT_EQ(FormatTime(0), L"00:00.000");
  EXPECT_EQ(FormatTime(83.4567), L"01:23.456");
  EXPECT_EQ(FormatTime(59.9999), L"00:59.999");
  EXPECT_EQ(FormatTime(1.9999), L"00:01.999");
  EXPECT_EQ(FormatTime(60), L"01:00.000");
  EXPECT_EQ(FormatTime(3600), L"60:00.000");
  EXPECT_EQ(FormatTime(6000), L"100:00.000");  // minutes never capped
  EXPECT_EQ(FormatTime(0.001), L"00:00.001");
}

TEST(FormatTime, LongTimesUseSixtyFourBits) {
  EXPECT_EQ(FormatTime(2147483.647), L"35791:23.647");
  EXPECT_EQ(FormatTime(2147483.648), L"35791:23.648");  // 2^31 ms
  EXPECT_EQ(FormatTime(100 * 86400.0), L"144000:00.000");
  EXPECT_EQ(FormatTime(1e15), L"16666666666666:40.000");
}

TEST(FormatTime, NoTimeAndUnrepresentableValues) {
  EXPECT_EQ(FormatTime(kNoTime), L"--:--.---");
  const double inf = std::numeric_limits<double>::infinity();
  for (double t : {inf, -inf, std::nan(""), 1e300, -1e300, 9.3e15}) {
    EXPECT_EQ(FormatTime(t), L"--:--.---") << t;
  }
}

TEST(FormatDelta, SignsAndTheZeroBand) {
  EXPECT_EQ(FormatDelta(1.234), L" +1.23");
  EXPECT_EQ(FormatDelta(-1.234), L" -1.23");
  EXPECT_EQ(FormatDelta(0), L" +0.00");
  EXPECT_EQ(FormatDelta(-0.0), L" +0.00");
  EXPECT_EQ(FormatDelta(5e-10), L" +0.00");
  EXPECT_EQ(FormatDelta(-5e-10), L" +0.00");
  EXPECT_EQ(FormatDelta(0.004), L" +0.00");   // positive branch
  EXPECT_EQ(FormatDelta(-0.004), L" -0.00");  // negative branch keeps its sign
  EXPECT_EQ(FormatDelta(61), L" +61.00");
  EXPECT_EQ(FormatDelta(-125.5), L" -125.50");
}

TEST(FormatDelta, RoundsTheExactBinaryValue) {
  EXPECT_EQ(FormatDelta(1.005), L" +1.00");  // 1.00499999...
  EXPECT_EQ(FormatDelta(2.675), L" +2.67");  // 2.67499999...
  EXPECT_EQ(FormatDelta(0.125), L" +0.12");  // an exact tie goes to even
  EXPECT_EQ(FormatDelta(0.375), L" +0.38");
  EXPECT_EQ(FormatDelta(1.999), L" +2.00");
  EXPECT_EQ(FormatDelta(-0.015625), L" -0.02");
}

TEST(FormatDelta, LongTextsAreCutTo31Characters) {
  const std::wstring text = FormatDelta(1e30);
  EXPECT_EQ(text, L" +10000000000000000198846248386");
  EXPECT_EQ(text.size(), 31u);
  EXPECT_EQ(FormatDelta(-1e300).size(), 31u);
  EXPECT_EQ(FormatDelta(std::numeric_limits<double>::infinity()), L" +inf");
  EXPECT_EQ(FormatDelta(std::nan("")).substr(0, 1), L" ");
}

TEST(GetDeltaColor, StrictThresholds) {
  EXPECT_EQ(GetDeltaColor(-3.0001), 0xFF55B1u);
  EXPECT_EQ(GetDeltaColor(-3.0), 0xB4FFB4u);
  EXPECT_EQ(GetDeltaColor(-1e-12), 0xB4FFB4u);
  EXPECT_EQ(GetDeltaColor(0), 0xA0FFF0u);
  EXPECT_EQ(GetDeltaColor(0.0001), 0x78FFFFu);
  EXPECT_EQ(GetDeltaColor(0.001), 0x78FFFFu);  // prints +0.00 yet is yellow
  EXPECT_EQ(MakeColour(177, 85, 255), 0xFF55B1u);
}

class DeltaString : public ::testing::Test {
 protected:
  void SetUp() override { ResetCoreStateForTests(); }
  void TearDown() override { ResetCoreStateForTests(); }
};

TEST_F(DeltaString, LiveRowsNeedACompletedSegmentWithABest) {
  splitNames = {L"A", L"B", L"C", L"D"};
  bestSplitTimes = {10, kNoTime, 5, 5};
  splitSplitTimes = {11.5, 3, 5};
  EXPECT_EQ(GetDeltaString(0, false), L" +1.50");
  EXPECT_EQ(GetDeltaString(1, false), L"");  // no best
  EXPECT_EQ(GetDeltaString(2, false), L" +0.00");
  EXPECT_EQ(GetDeltaString(3, false), L"");  // being timed
  EXPECT_EQ(GetDeltaString(4, false), L"");
  EXPECT_EQ(GetDeltaString(-1, false), L"");
  bestSplitTimes.resize(1);
  EXPECT_EQ(GetDeltaString(2, false), L"");
}

TEST_F(DeltaString, RecapRowsShowTheStoredDeltas) {
  splitLastDelta = {-4, 2.5, 1e-10};
  splitSplitTimes = {1, 2, 3};
  EXPECT_EQ(GetDeltaString(0, true), L" -4.00");
  EXPECT_EQ(GetDeltaString(1, true), L" +2.50");
  EXPECT_EQ(GetDeltaString(2, true), L" +0.00");
  EXPECT_EQ(GetDeltaString(3, true), L"");
  EXPECT_EQ(GetDeltaString(-1, true), L"");
  CancelTimerAndSplits();
  EXPECT_EQ(GetDeltaString(0, true), L"");
}

}  // namespace
