#include "run/bests.h"

#include <gtest/gtest.h>

#include <cmath>

#include "run/run_state.h"
#include "run/time_text.h"
#include "run/run_files.h"
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
  // The same in milliseconds, as the clock gives them.
  static void RunMs(std::initializer_list<std::int64_t> segments) {
    SteadyTime now = 77 * kSecond;
    HandleSplitPress(now);
    for (std::int64_t ms : segments) HandleSplitPress(now += ms * 1'000'000);
    ASSERT_FALSE(timerRunning);
  }
  // A new process: everything in memory goes, the files are loaded again.
  static void Restart() {
    SaveSplitsToFile("splits.txt");
    ResetCoreStateForTests();
    LoadSplitsFromFile("splits.txt");
    LoadBestSplitsFromFile("bestsplits.txt");
    LoadPBFromFile("pbtime.txt");
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

// Six digits stored 1234.556 as 1234.56: a run 1 ms slower then became a
// PB, and one 1 ms faster than 1234.564 (stored the same) did not.
TEST_F(Bests, OneMillisecondDecidesAPBAndABestAfterARestart) {
  RunMs({400'100, 500'200, 334'256});  // 1234.556 s
  const Seconds pb = pbTotal;
  const Seconds lastBest = bestSplitTimes[2];
  Restart();
  ASSERT_EQ(pbTotal, pb);
  ASSERT_EQ(bestSplitTimes[2], lastBest);

  RunMs({400'100, 500'200, 334'257});  // 1 ms slower
  EXPECT_EQ(pbTotal, pb);
  EXPECT_GT(lastPBDelta, 0);
  EXPECT_EQ(bestSplitTimes[2], lastBest);
  EXPECT_GT(splitLastDelta[2], 0);

  Restart();
  RunMs({400'100, 500'200, 334'255});  // 1 ms faster
  EXPECT_EQ(pbTotal, lastTotal);
  EXPECT_NEAR(lastPBDelta, -0.001, 1e-9);
  EXPECT_EQ(bestSplitTimes[2], splitSplitTimes[2]);
  EXPECT_NEAR(splitLastDelta[2], -0.001, 1e-9);
  const Seconds newPB = pbTotal;
  const Seconds newBest = bestSplitTimes[2];
  Restart();
  EXPECT_EQ(pbTotal, newPB);
  EXPECT_EQ(bestSplitTimes[2], newBest);
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

TEST_F(Bests, NaNLinesAreNoTimeSoTheNextRunSetsThem) {
  Write("bestsplits.txt", "nan\r\n5\r\n-nan\r\n");
  Write("pbtime.txt", "nan\r\n");
  Restart();
  Run({10, 20, 30});
  EXPECT_EQ(bestSplitTimes, (std::vector<double>{10, 5, 30}));
  EXPECT_EQ(splitLastDelta, (std::vector<double>{10, 15, 30}));
  EXPECT_EQ(pbTotal, 60);
  EXPECT_EQ(Read("bestsplits.txt"), "10\r\n5\r\n30\r\n");
  EXPECT_EQ(Read("pbtime.txt"), "60\r\n");
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
