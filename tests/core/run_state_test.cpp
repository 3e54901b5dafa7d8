#include "run/run_state.h"

#include <gtest/gtest.h>

#include "run/time_text.h"
#include "temp_dir.h"

namespace {

constexpr SteadyTime kSecond = 1'000'000'000;
constexpr SteadyTime kT0 = 5'000 * kSecond;  // an arbitrary steady-clock reading

// Finishing a run writes the bests, so these tests run in a scratch directory.
class RunState : public InTempDir {
 protected:
  void SetUp() override {
    InTempDir::SetUp();
    splitNames = {L"A", L"B", L"C"};
    SyncBestSplits();
  }
};

TEST_F(RunState, PressSequenceWithThreeNames) {
  HandleSplitPress(kT0);  // start
  EXPECT_TRUE(timerRunning);
  EXPECT_TRUE(timerStarted);
  EXPECT_EQ(startTime, kT0);
  EXPECT_EQ(currentSplit, 0);
  EXPECT_TRUE(splitSplitTimes.empty());
  EXPECT_DOUBLE_EQ(ElapsedOnShow(kT0 + 2 * kSecond), 2.0);

  HandleSplitPress(kT0 + 10 * kSecond);
  HandleSplitPress(kT0 + 30 * kSecond);
  EXPECT_TRUE(timerRunning);
  EXPECT_EQ(currentSplit, 2);
  EXPECT_FALSE(IsRecap());

  HandleSplitPress(kT0 + 60 * kSecond);  // closes the last segment
  EXPECT_FALSE(timerRunning);
  EXPECT_TRUE(timerStarted);
  EXPECT_EQ(currentSplit, 3);
  EXPECT_EQ(splitSplitTimes, (std::vector<double>{10, 20, 30}));
  EXPECT_EQ(splitSplitAccum, (std::vector<double>{10, 30, 60}));
  EXPECT_EQ(splitLastDelta.size(), 3u);
  EXPECT_TRUE(IsRecap());
  EXPECT_DOUBLE_EQ(ElapsedOnShow(kT0 + 500 * kSecond), 60.0);  // frozen

  HandleSplitPress(kT0 + 70 * kSecond);  // clears the result
  EXPECT_FALSE(timerRunning);
  EXPECT_FALSE(timerStarted);
  EXPECT_EQ(currentSplit, 0);
  EXPECT_TRUE(splitSplitTimes.empty());
  EXPECT_TRUE(splitSplitAccum.empty());
  EXPECT_TRUE(splitLastDelta.empty());
  EXPECT_FALSE(IsRecap());
  EXPECT_EQ(ElapsedOnShow(kT0 + 80 * kSecond), 0.0);
  EXPECT_EQ(startTime, kT0);  // left as it was

  HandleSplitPress(kT0 + 90 * kSecond);  // the next run
  EXPECT_TRUE(timerRunning);
  EXPECT_EQ(startTime, kT0 + 90 * kSecond);
  EXPECT_DOUBLE_EQ(lastTotal, 60.0);  // kept until the next finish
}

TEST_F(RunState, OneNameFinishesAtTheSecondPress) {
  splitNames = {L"Only"};
  SyncBestSplits();
  HandleSplitPress(kT0);
  HandleSplitPress(kT0 + 83'456'000'000);
  EXPECT_FALSE(timerRunning);
  EXPECT_EQ(splitSplitTimes, (std::vector<double>{83.456}));
  EXPECT_EQ(splitSplitAccum, (std::vector<double>{83.456}));
  EXPECT_EQ(FormatTime(ElapsedOnShow(kT0 + 999 * kSecond)), L"01:23.456");
  EXPECT_DOUBLE_EQ(lastTotal, 83.456);
}

TEST_F(RunState, NoNamesNeverStartARun) {
  splitNames.clear();
  SyncBestSplits();
  for (int i = 0; i < 3; ++i) {
    HandleSplitPress(kT0 + i * kSecond);
    EXPECT_FALSE(timerRunning);
    EXPECT_FALSE(timerStarted);
    EXPECT_EQ(currentSplit, 0);
  }
  EXPECT_FALSE(Exists("bestsplits.txt"));
}

TEST_F(RunState, SegmentsAreMeasuredFromTheStart) {
  // Odd nanosecond readings: each cumulative time must equal the time since
  // the start at that press, not a sum of separately rounded intervals.
  const SteadyTime presses[] = {1'234'567'891, 2'469'135'783, 9'876'543'219};
  HandleSplitPress(kT0);
  for (SteadyTime p : presses) HandleSplitPress(kT0 + p);
  ASSERT_EQ(splitSplitAccum.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(splitSplitAccum[i], presses[i] / 1e9, 1e-12) << i;
  }
  EXPECT_NEAR(splitSplitTimes[1], (presses[1] - presses[0]) / 1e9, 1e-12);
  EXPECT_EQ(splitSplitAccum[0], splitSplitTimes[0]);
  EXPECT_EQ(splitSplitAccum[2], splitSplitAccum[1] + splitSplitTimes[2]);
}

TEST_F(RunState, TwoPressesInOneTickRecordAZeroSegment) {
  HandleSplitPress(kT0);
  HandleSplitPress(kT0 + kSecond);
  HandleSplitPress(kT0 + kSecond);
  EXPECT_EQ(splitSplitTimes[1], 0.0);
  EXPECT_EQ(currentSplit, 2);
}

TEST_F(RunState, NamesChangedDuringARun) {
  HandleSplitPress(kT0);
  HandleSplitPress(kT0 + kSecond);
  HandleSplitPress(kT0 + 2 * kSecond);
  splitNames.resize(2);  // currentSplit now equals the name count
  HandleSplitPress(kT0 + 3 * kSecond);
  HandleSplitPress(kT0 + 4 * kSecond);
  EXPECT_TRUE(timerRunning);
  EXPECT_EQ(currentSplit, 2);
  EXPECT_EQ(splitSplitTimes.size(), 2u);
  CancelTimerAndSplits();
  EXPECT_FALSE(timerRunning);

  splitNames = {L"A", L"B"};
  HandleSplitPress(kT0);
  HandleSplitPress(kT0 + kSecond);
  splitNames.push_back(L"C");  // the run now ends at C
  HandleSplitPress(kT0 + 2 * kSecond);
  EXPECT_TRUE(timerRunning);
  HandleSplitPress(kT0 + 3 * kSecond);
  EXPECT_FALSE(timerRunning);
  EXPECT_EQ(splitLastDelta.size(), 3u);
}

TEST_F(RunState, NamesAddedAfterAFinishLetTheNextPressStart) {
  HandleSplitPress(kT0);
  for (int i = 1; i <= 3; ++i) HandleSplitPress(kT0 + i * kSecond);
  ASSERT_FALSE(timerRunning);
  splitNames.push_back(L"D");
  EXPECT_FALSE(IsRecap());  // lengths now differ
  HandleSplitPress(kT0 + 10 * kSecond);
  EXPECT_TRUE(timerRunning);
  EXPECT_EQ(startTime, kT0 + 10 * kSecond);
  EXPECT_TRUE(splitLastDelta.empty());
}

TEST_F(RunState, CancelDiscardsTheRunOnly) {
  bestSplitTimes = {5, kNoTime, 7};
  pbTotal = 40;
  lastTotal = 41;
  lastPBDelta = 1;
  HandleSplitPress(kT0);
  HandleSplitPress(kT0 + kSecond);
  CancelTimerAndSplits();
  EXPECT_FALSE(timerRunning);
  EXPECT_FALSE(timerStarted);
  EXPECT_EQ(currentSplit, 0);
  EXPECT_TRUE(splitSplitTimes.empty());
  EXPECT_TRUE(splitSplitAccum.empty());
  EXPECT_EQ(bestSplitTimes, (std::vector<double>{5, kNoTime, 7}));
  EXPECT_EQ(pbTotal, 40);
  EXPECT_EQ(lastTotal, 41);
  EXPECT_EQ(lastPBDelta, 1);
  EXPECT_EQ(startTime, kT0);
  EXPECT_EQ(splitNames.size(), 3u);
  EXPECT_FALSE(Exists("bestsplits.txt"));
  EXPECT_FALSE(Exists("pbtime.txt"));
}

TEST_F(RunState, StartKeepsBestsAndTheLastResult) {
  bestSplitTimes = {5, 6, 7};
  pbTotal = 40;
  lastTotal = 41;
  lastPBDelta = 1;
  splitLastDelta = {1, 2, 3};
  HandleSplitPress(kT0);
  EXPECT_TRUE(splitLastDelta.empty());
  EXPECT_EQ(bestSplitTimes, (std::vector<double>{5, 6, 7}));
  EXPECT_EQ(pbTotal, 40);
  EXPECT_EQ(lastTotal, 41);
  EXPECT_EQ(lastPBDelta, 1);
}

TEST_F(RunState, SyncBestSplitsPadsAndCutsByPosition) {
  bestSplitTimes = {1, 2};
  SyncBestSplits();
  EXPECT_EQ(bestSplitTimes, (std::vector<double>{1, 2, kNoTime}));
  splitNames.resize(1);
  SyncBestSplits();
  EXPECT_EQ(bestSplitTimes, (std::vector<double>{1}));
}

TEST(RunStateDefaults, ProcessStartValues) {
  ResetCoreStateForTests();
  EXPECT_TRUE(splitNames.empty());
  EXPECT_EQ(pbTotal, kNoTime);
  EXPECT_EQ(kNoTime, 1.7976931348623157e308);
  EXPECT_EQ(currentSplit, 0);
  EXPECT_FALSE(timerRunning);
  EXPECT_EQ(DefaultSplitNames(),
            (std::vector<std::wstring>{L"Enter", L"Boss Start", L"idk", L"New Split", L"New Split"}));
  const SteadyTime a = ReadSteadyClock();
  const SteadyTime b = ReadSteadyClock();
  EXPECT_LE(a, b);
}

}  // namespace
