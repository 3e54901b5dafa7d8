// A run driven by the hotkey messages: start, splits, finish with its saves,
// the recap, the clearing press, cancel, and ids that are not ours.
#include <numeric>

#include "shell_fixture.h"

namespace shelltest {
namespace {

using RunTest = ShellTest;

TEST_F(RunTest, WholeRunByTheSplitHotkeySavesBestsAndPbButNotNames) {
  Start();
  Hotkey(2);
  EXPECT_TRUE(timerRunning);
  EXPECT_EQ(currentSplit, 0);
  for (int i = 1; i <= 4; ++i) {
    Hotkey(2);
    EXPECT_EQ(currentSplit, i);
    EXPECT_TRUE(timerRunning);
  }
  EXPECT_TRUE(FilesPresent().empty()) << "nothing is written before the finish";

  Hotkey(2);  // the fifth segment finishes the run
  EXPECT_FALSE(timerRunning);
  ASSERT_EQ(splitSplitTimes.size(), 5u);
  const double sum = std::accumulate(splitSplitTimes.begin(), splitSplitTimes.end(), 0.0);
  EXPECT_NEAR(sum, splitSplitAccum.back(), 1e-9);
  EXPECT_EQ(lastTotal, splitSplitAccum.back());
  EXPECT_EQ(pbTotal, lastTotal) << "the first finished run is the PB";
  EXPECT_EQ(splitLastDelta, splitSplitTimes) << "no bests before: each delta is the segment itself";
  EXPECT_EQ(bestSplitTimes, splitSplitTimes);

  const std::vector<std::string> bests = FileLines("bestsplits.txt");
  ASSERT_EQ(bests.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(ParseNumber(bests[i]), splitSplitTimes[i]) << i;
  }
  const std::vector<std::string> pb = FileLines("pbtime.txt");
  ASSERT_EQ(pb.size(), 1u);
  EXPECT_EQ(ParseNumber(pb[0]), lastTotal);
  EXPECT_FALSE(FileExists("splits.txt"));
  EXPECT_TRUE(ReadFile("bestsplits.txt")->ends_with("\r\n"));
}

TEST_F(RunTest, PressAfterTheFinishClearsAndTheNextStartsANewRun) {
  WriteFile("splits.txt", "One\r\n");
  Start();
  Hotkey(2);
  Hotkey(2);
  ASSERT_FALSE(timerRunning);
  ASSERT_TRUE(IsRecap());

  Hotkey(2);  // clears the result
  EXPECT_FALSE(timerRunning);
  EXPECT_FALSE(timerStarted);
  EXPECT_TRUE(splitSplitTimes.empty());
  EXPECT_TRUE(splitLastDelta.empty());
  EXPECT_FALSE(IsRecap());

  Hotkey(2);  // starts again
  EXPECT_TRUE(timerRunning);
  EXPECT_EQ(currentSplit, 0);
}

TEST_F(RunTest, SlowerRunKeepsThePbFile) {
  WriteFile("pbtime.txt", "1e-06\r\n");  // faster than any run through the queue
  WriteFile("splits.txt", "A\r\nB\r\n");
  Start();
  for (int i = 0; i < 3; ++i) Hotkey(2);
  ASSERT_FALSE(timerRunning);
  EXPECT_EQ(ReadFile("pbtime.txt"), "1e-06\r\n");
  EXPECT_EQ(pbTotal, 1e-06);
  EXPECT_GT(lastPBDelta, 0);
  EXPECT_EQ(FileLines("bestsplits.txt").size(), 2u) << "bests are written at every finish";
}

TEST_F(RunTest, CancelDiscardsTheRunAndWritesNothing) {
  WriteFile("bestsplits.txt", CrLfLines({"1", "2", "3", "4", "5"}));
  WriteFile("pbtime.txt", "15\r\n");
  Start();
  Hotkey(2);
  Hotkey(2);
  Hotkey(2);
  ASSERT_EQ(currentSplit, 2);
  Hotkey(4);
  EXPECT_FALSE(timerRunning);
  EXPECT_FALSE(timerStarted);
  EXPECT_EQ(currentSplit, 0);
  EXPECT_TRUE(splitSplitTimes.empty());
  EXPECT_EQ(pbTotal, 15);
  EXPECT_EQ(bestSplitTimes, (std::vector<double>{1, 2, 3, 4, 5}));
  EXPECT_EQ(ReadFile("bestsplits.txt"), CrLfLines({"1", "2", "3", "4", "5"}));
  EXPECT_EQ(ReadFile("pbtime.txt"), "15\r\n");
}

TEST_F(RunTest, HotkeyIdsOtherThanOneTwoFourChangeNothing) {
  Start();
  for (int id : {0, 3, 5, 255}) {
    Hotkey(id);
    EXPECT_FALSE(timerRunning) << id;
    EXPECT_TRUE(clickThroughEnabled) << id;
  }
  Hotkey(2);
  Hotkey(3);
  EXPECT_TRUE(timerRunning);
  EXPECT_EQ(currentSplit, 0);
}

TEST_F(RunTest, PressesNeverStartARunWithoutNames) {
  Start();
  splitNames.clear();
  SyncBestSplits();
  for (int i = 0; i < 3; ++i) {
    Hotkey(2);
    EXPECT_FALSE(timerRunning);
    EXPECT_FALSE(timerStarted);
  }
  EXPECT_TRUE(FilesPresent().empty());
}

TEST_F(RunTest, InjectedHotkeyReachesTheShellThroughTheRegistry) {
  Start();
  platform::OnHotkey(0x20);  // Space: split
  Pump();
  EXPECT_TRUE(timerRunning);
  platform::OnHotkey(0x43);  // C: cancel
  Pump();
  EXPECT_FALSE(timerRunning);
  platform::OnHotkey(0x37);  // 7: toggle
  Pump();
  EXPECT_FALSE(clickThroughEnabled);
}

}  // namespace
}  // namespace shelltest
