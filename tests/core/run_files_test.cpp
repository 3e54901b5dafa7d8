#include "run/run_files.h"

#include <gtest/gtest.h>

#include <cmath>

#include "run/run_state.h"
#include "run/time_text.h"
#include "temp_dir.h"

namespace {

using Names = std::vector<std::wstring>;
using Times = std::vector<double>;

class RunFiles : public InTempDir {
 protected:
  static void LoadAll() {
    LoadSplitsFromFile("splits.txt");
    LoadBestSplitsFromFile("bestsplits.txt");
    LoadPBFromFile("pbtime.txt");
  }
};

TEST_F(RunFiles, NoFilesGiveDefaultsAndWriteNothing) {
  LoadAll();
  EXPECT_EQ(splitNames, DefaultSplitNames());
  EXPECT_EQ(bestSplitTimes, Times(5, kNoTime));
  EXPECT_EQ(pbTotal, kNoTime);
  EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

TEST_F(RunFiles, SplitNamesSkipEmptyLinesAndKeepBlanks) {
  Write("splits.txt", "Intro\r\n\r\nBoss\r\n");
  LoadSplitsFromFile("splits.txt");
  EXPECT_EQ(splitNames, (Names{L"Intro", L"Boss"}));
  EXPECT_EQ(bestSplitTimes, Times(2, kNoTime));

  Write("splits.txt", "Intro\n  \nBoss");  // LF only, no final line end
  LoadSplitsFromFile("splits.txt");
  EXPECT_EQ(splitNames, (Names{L"Intro", L"  ", L"Boss"}));

  Write("splits.txt", "\r\n\n\r\n");
  LoadSplitsFromFile("splits.txt");
  EXPECT_EQ(splitNames, DefaultSplitNames());
}

TEST_F(RunFiles, SplitNamesAreWrittenOnePerLineWithCrLf) {
  splitNames = {L"Intro", L"  ", L"Caf\u00e9", L"Boss"};
  SaveSplitsToFile("splits.txt");
  EXPECT_EQ(Read("splits.txt"), "Intro\r\n  \r\nCaf\xC3\xA9\r\nBoss\r\n");
  splitNames.clear();
  LoadSplitsFromFile("splits.txt");
  EXPECT_EQ(splitNames, (Names{L"Intro", L"  ", L"Caf\u00e9", L"Boss"}));
}

TEST_F(RunFiles, AnEmptyNameSurvivesARestartWithItsBestInPlace) {
  splitNames = {L"A", L"", L"C"};
  bestSplitTimes = {1, 2, 3};
  SaveSplitsToFile("splits.txt");
  SaveBestSplitsToFile("bestsplits.txt");
  EXPECT_EQ(Read("splits.txt"), "A\r\n \r\nC\r\n");
  ResetCoreStateForTests();
  LoadAll();
  EXPECT_EQ(splitNames, (Names{L"A", L" ", L"C"}));
  EXPECT_EQ(bestSplitTimes, (Times{1, 2, 3}));
}

TEST_F(RunFiles, ANameStaysOneLine) {
  splitNames = {L"two\nlines", std::wstring(L"nul\0here", 8)};
  SaveSplitsToFile("splits.txt");
  LoadSplitsFromFile("splits.txt");
  EXPECT_EQ(splitNames, (Names{L"two lines", L"nulhere"}));
}

// A name of NULs alone once wrote a line that read back as no name, moving
// every best after it up a place.
TEST_F(RunFiles, ANameOfNulsKeepsItsPlaceAndTheFileHoldsNoNul) {
  splitNames = {L"A", std::wstring(L"\0\0", 2), L"C"};
  bestSplitTimes = {1, 2, 3};
  SaveSplitsToFile("splits.txt");
  SaveBestSplitsToFile("bestsplits.txt");
  EXPECT_EQ(Read("splits.txt").find('\0'), std::string::npos);
  ResetCoreStateForTests();
  LoadAll();
  EXPECT_EQ(splitNames, (Names{L"A", L" ", L"C"}));
  EXPECT_EQ(bestSplitTimes, (Times{1, 2, 3}));
}

TEST_F(RunFiles, ForeignBytesLoadAndRoundTrip) {
  Write("splits.txt", std::string("Caf\xE9\r\n\xF0\x9F\x98\x80\r\n\0\r\nx\0y\r\n", 20));
  LoadSplitsFromFile("splits.txt");
  EXPECT_EQ(splitNames, (Names{L"Caf\u00e9", L"\U0001F600", L"xy"}));
  SaveSplitsToFile("splits.txt");
  EXPECT_EQ(Read("splits.txt"), "Caf\xC3\xA9\r\n\xF0\x9F\x98\x80\r\nxy\r\n");
}

TEST_F(RunFiles, BestTimesByLine) {
  splitNames.assign(5, L"x");
  Write("bestsplits.txt", "-1\r\n-0.25\r\n0\r\n83.4568\r\nnan\r\n");
  LoadBestSplitsFromFile("bestsplits.txt");
  ASSERT_EQ(bestSplitTimes.size(), 5u);
  EXPECT_EQ(bestSplitTimes[0], kNoTime);
  EXPECT_EQ(bestSplitTimes[1], kNoTime);
  EXPECT_EQ(bestSplitTimes[2], 0);
  EXPECT_EQ(bestSplitTimes[3], 83.4568);
  EXPECT_EQ(bestSplitTimes[4], kNoTime) << "a NaN best could never be beaten";
  SaveBestSplitsToFile("bestsplits.txt");
  EXPECT_EQ(Read("bestsplits.txt"), "-1\r\n-1\r\n0\r\n83.4568\r\n-1\r\n");

  splitNames.assign(3, L"x");
  Write("bestsplits.txt", "-nan\r\nNAN(123) s\r\n  nan\n");
  LoadBestSplitsFromFile("bestsplits.txt");
  EXPECT_EQ(bestSplitTimes, Times(3, kNoTime));
}

TEST_F(RunFiles, UnreadableBestLinesMeanNoBest) {
  splitNames.assign(8, L"x");
  Write("bestsplits.txt", "\r\nabc\r\n1e999\r\n-1e999\r\ninf\r\n1e-400\r\n12.5 s\r\n  +7\n");
  LoadBestSplitsFromFile("bestsplits.txt");
  EXPECT_EQ(bestSplitTimes, (Times{kNoTime, kNoTime, kNoTime, kNoTime, kNoTime, kNoTime, 12.5, 7}));
}

TEST_F(RunFiles, BestTimesFollowTheNames) {
  Write("splits.txt", "A\r\nB\r\n");
  Write("bestsplits.txt", "1\r\n2\r\n3\r\n");
  LoadAll();
  EXPECT_EQ(bestSplitTimes, (Times{1, 2}));

  Write("splits.txt", "A\r\nB\r\nC\r\n");
  Write("bestsplits.txt", "1\r\n");
  LoadAll();
  EXPECT_EQ(bestSplitTimes, (Times{1, kNoTime, kNoTime}));
}

TEST_F(RunFiles, BestTimesAndPBReadBackExactly) {
  splitNames = {L"a", L"b", L"c", L"d", L"e", L"f", L"g", L"h"};
  const Times bests{1234.5678, 83.4567891, 60, 0.5, 1.5e6, kNoTime, 83.456, 5025.432};
  bestSplitTimes = bests;
  SaveBestSplitsToFile("bestsplits.txt");
  EXPECT_EQ(Read("bestsplits.txt"), "1234.5678\r\n83.4567891\r\n60\r\n0.5\r\n1.5e+06\r\n-1\r\n83.456\r\n5025.432\r\n");
  pbTotal = 3599.999;
  SavePBToFile("pbtime.txt");
  EXPECT_EQ(Read("pbtime.txt"), "3599.999\r\n");
  SaveSplitsToFile("splits.txt");
  ResetCoreStateForTests();
  LoadAll();
  EXPECT_EQ(bestSplitTimes, bests);
  EXPECT_EQ(pbTotal, 3599.999);
  EXPECT_EQ(FormatTime(pbTotal), L"59:59.999");  // six digits made it 60:00.000
  EXPECT_EQ(FormatTime(bestSplitTimes[0]), L"20:34.567");

  // Files of older builds (six digits) load as they always did.
  Write("bestsplits.txt", "1234.57\r\n83.4568\r\n");
  Write("pbtime.txt", "1.23457e+06\r\n");
  LoadAll();
  EXPECT_EQ(bestSplitTimes, (Times{1234.57, 83.4568, kNoTime, kNoTime, kNoTime, kNoTime, kNoTime, kNoTime}));
  EXPECT_EQ(pbTotal, 1.23457e6);
}

TEST_F(RunFiles, PBReadsTheFirstLineOnly) {
  Write("pbtime.txt", "95.5\r\n80\r\n");
  LoadPBFromFile("pbtime.txt");
  EXPECT_EQ(pbTotal, 95.5);

  for (const char* noPB : {"-1\r\n", "nan\r\n", "-nan", " NaN(1)\r\n", "\r\n80\r\n", "", "1e999", "junk", "-0.5"}) {
    pbTotal = 1;
    Write("pbtime.txt", noPB);
    LoadPBFromFile("pbtime.txt");
    EXPECT_EQ(pbTotal, kNoTime) << noPB;
  }
  Write("pbtime.txt", "0");
  LoadPBFromFile("pbtime.txt");
  EXPECT_EQ(pbTotal, 0);
  std::filesystem::remove("pbtime.txt");
  LoadPBFromFile("pbtime.txt");
  EXPECT_EQ(pbTotal, kNoTime);
}

TEST_F(RunFiles, PBIsOneLine) {
  pbTotal = 83.4567891;
  SavePBToFile("pbtime.txt");
  EXPECT_EQ(Read("pbtime.txt"), "83.4567891\r\n");
  pbTotal = kNoTime;
  SavePBToFile("pbtime.txt");
  EXPECT_EQ(Read("pbtime.txt"), "-1\r\n");
}

TEST_F(RunFiles, AFirstRunWritesBestsAndPBButNotTheNames) {
  LoadAll();
  HandleSplitPress(0);
  for (int i = 1; i <= 5; ++i) HandleSplitPress(i * 1'500'000'000LL);
  EXPECT_EQ(Read("bestsplits.txt"), "1.5\r\n1.5\r\n1.5\r\n1.5\r\n1.5\r\n");
  EXPECT_EQ(Read("pbtime.txt"), "7.5\r\n");
  EXPECT_FALSE(Exists("splits.txt"));
}

TEST_F(RunFiles, ALoadReplacesWhatWasInMemory) {
  splitNames = {L"old"};
  bestSplitTimes = {9};
  pbTotal = 9;
  Write("splits.txt", "new\r\n");
  Write("bestsplits.txt", "");
  Write("pbtime.txt", "");
  LoadAll();
  EXPECT_EQ(splitNames, (Names{L"new"}));
  EXPECT_EQ(bestSplitTimes, (Times{kNoTime}));
  EXPECT_EQ(pbTotal, kNoTime);
}

}  // namespace
