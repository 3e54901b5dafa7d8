#include "run/bests.h"

#include <gtest/gtest.h>

#include <cmath>

#include "run/run_state.h"
#include "run/time_text.h"
#include "temp_dir.h"

namespace {

constexpr SteadyTime kSecond = 1'000'000'000;

class Bests : public InTempDir {
 protected:
  void SetUp() override {
    InTempDir::SetUp();
    splitNames = {L"A", L"B", L"C"};
    SyncBestSplits();
  }
  // A complete run with these segment lengths, in whole seconds.
  static void Run(std::initializer_list<int> segments) {
    SteadyTime now = 77 * kSecond;
    HandleSplitPress(now);
    for (int s : segments) HandleSplitPress(now += s * kSecond);
    ASSERT_FALSE(timerRunning);
  }
  // The next press after a finish clears it; the one after starts a run.
  static void Clear() { HandleSplitPress(0); }
};

TEST_F(Bests, FirstRunEverSetsBestsAndPB) {
  Run({10, 20, 30});
  EXPECT_EQ(splitLastDelta, (std::vector<double>{10, 20, 30}));
  EXPECT_EQ(bestSplitTimes, (std::vector<double>{10, 20, 30}));
  EXPECT_EQ(lastTotal, 60);
  EXPECT_EQ(lastPBDelta, 60);
  EXPECT_EQ(pbTotal, 60);
  EXPECT_EQ(Read("bestsplits.txt"), "10\r\n20\r\n30\r\n");
  EXPECT_EQ(Read("pbtime.txt"), "60\r\n");
  EXPECT_FALSE(Exists("splits.txt"));
}

TEST_F(Bests, DeltasAgainstTheBestsThatStoodBefore) {
  Run({10, 20, 30});
  Clear();
  std::filesystem::remove("pbtime.txt");
  Run({12, 18, 31});
  EXPECT_EQ(splitLastDelta, (std::vector<double>{2, -2, 1}));
  EXPECT_EQ(bestSplitTimes, (std::vector<double>{10, 18, 30}));
  EXPECT_EQ(lastTotal, 61);
  EXPECT_EQ(lastPBDelta, 1);
  EXPECT_EQ(pbTotal, 60);
  EXPECT_FALSE(Exists("pbtime.txt"));  // no new PB, not written
  EXPECT_EQ(Read("bestsplits.txt"), "10\r\n18\r\n30\r\n");
  EXPECT_EQ(GetDeltaString(1, true), L" -2.00");
}

TEST_F(Bests, ANewPBGivesANegativeDelta) {
  Run({10, 20, 30});
  Clear();
  Run({10, 20, 25});
  EXPECT_EQ(lastPBDelta, -5);
  EXPECT_EQ(pbTotal, 55);
  EXPECT_EQ(Read("pbtime.txt"), "55\r\n");
}

TEST_F(Bests, TiesReplaceNothing) {
  Run({10, 20, 30});
  Clear();
  std::filesystem::remove("pbtime.txt");
  Run({10, 20, 30});  // the same total and the same segments
  EXPECT_EQ(lastPBDelta, 0);
  EXPECT_EQ(pbTotal, 60);
  EXPECT_FALSE(Exists("pbtime.txt"));
  EXPECT_EQ(splitLastDelta, (std::vector<double>{0, 0, 0}));
  EXPECT_TRUE(Exists("bestsplits.txt"));  // written at every finish
}

TEST_F(Bests, AStoredZeroIsNeverBeaten) {
  pbTotal = 0;
  bestSplitTimes = {0, kNoTime, kNoTime};
  Run({10, 20, 30});
  EXPECT_EQ(pbTotal, 0);
  EXPECT_EQ(lastPBDelta, 60);
  EXPECT_EQ(bestSplitTimes[0], 0);
  EXPECT_EQ(splitLastDelta[0], 10);
}

TEST_F(Bests, AZeroTotalIsNeverAPB) {
  Run({0, 0, 0});
  EXPECT_EQ(pbTotal, kNoTime);
  EXPECT_EQ(lastTotal, 0);
  EXPECT_EQ(bestSplitTimes, (std::vector<double>{0, 0, 0}));
  EXPECT_FALSE(Exists("pbtime.txt"));
  EXPECT_EQ(Read("bestsplits.txt"), "0\r\n0\r\n0\r\n");
}

TEST_F(Bests, NaNBestIsNeverReplacedAndShowsItsOwnTime) {
  bestSplitTimes = {std::nan(""), kNoTime, kNoTime};
  Run({10, 20, 30});
  EXPECT_TRUE(std::isnan(bestSplitTimes[0]));
  EXPECT_TRUE(std::isnan(splitLastDelta[0]));
}

TEST_F(Bests, ResetForgetsBestsAndPBButNotTheShownResult) {
  Run({10, 20, 30});
  ResetBestSplitsAndPB();
  EXPECT_EQ(bestSplitTimes, (std::vector<double>(3, kNoTime)));
  EXPECT_EQ(pbTotal, kNoTime);
  EXPECT_EQ(Read("bestsplits.txt"), "-1\r\n-1\r\n-1\r\n");
  EXPECT_EQ(Read("pbtime.txt"), "-1\r\n");
  EXPECT_EQ(splitLastDelta, (std::vector<double>{10, 20, 30}));
  EXPECT_EQ(lastTotal, 60);
  EXPECT_EQ(lastPBDelta, 60);
  EXPECT_TRUE(IsRecap());

  Clear();
  Run({12, 18, 31});  // like the first run ever
  EXPECT_EQ(splitLastDelta, (std::vector<double>{12, 18, 31}));
  EXPECT_EQ(lastPBDelta, 61);
  EXPECT_EQ(pbTotal, 61);
}

TEST_F(Bests, FinishPadsBestsToTheNames) {
  bestSplitTimes.clear();
  Run({1, 2, 3});
  EXPECT_EQ(bestSplitTimes.size(), 3u);
  EXPECT_EQ(Read("bestsplits.txt"), "1\r\n2\r\n3\r\n");
}

}  // namespace
