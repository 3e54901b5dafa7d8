// Files that are not plain, small files: start-up must neither block nor run
// out of memory on them, and must never replace data it did not load.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "run/run_state.h"
#include "storage/keybind_file.h"
#include "run/run_files.h"
#include "storage/text_file.h"
#include "temp_dir.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using Clock = std::chrono::steady_clock;

long PeakRssKiB() {
  rusage use{};
  getrusage(RUSAGE_SELF, &use);
  return use.ru_maxrss;
}

class HostileFiles : public InTempDir {
 protected:
  void TearDown() override {
    EXPECT_LT(Clock::now() - start_, std::chrono::seconds(2)) << "a read or write blocked";
    InTempDir::TearDown();
  }
  Clock::time_point start_ = Clock::now();
};

TEST_F(HostileFiles, NonRegularFilesReadAsNothingAtOnce) {
  ASSERT_EQ(mkfifo("bestsplits.txt", 0600), 0);  // no writer: a blocking open waits forever
  std::filesystem::create_symlink("/dev/zero", "pbtime.txt");
  std::filesystem::create_symlink("/dev/urandom", "keybinds.cfg");
  std::filesystem::create_directory("splits.txt");
  for (const char* name : {"bestsplits.txt", "pbtime.txt", "keybinds.cfg", "splits.txt"}) {
    EXPECT_EQ(ReadWholeFile(name), std::nullopt) << name;
  }

  bestSplitTimes = {1.0};
  pbTotal = 5;
  LoadSplitsFromFile("splits.txt");
  LoadBestSplitsFromFile("bestsplits.txt");
  LoadPBFromFile("pbtime.txt");
  LoadKeybinds();
  EXPECT_EQ(splitNames, DefaultSplitNames());
  EXPECT_EQ(bestSplitTimes, std::vector<Seconds>(splitNames.size(), kNoTime));
  EXPECT_EQ(pbTotal, kNoTime);
  EXPECT_EQ(keybinds, DefaultKeybinds());
}

TEST_F(HostileFiles, AFifoAtTheTemporaryNameDoesNotBlockASave) {
  Write("pbtime.txt", "12\r\n");
  ASSERT_EQ(mkfifo("pbtime.txt.tmp", 0600), 0);
  EXPECT_FALSE(WriteFileAtomically("pbtime.txt", "13\r\n"));
  EXPECT_EQ(Read("pbtime.txt"), "12\r\n");
}

TEST_F(HostileFiles, ASaveReplacesAFifoOrLinkWithAFile) {
  ASSERT_EQ(mkfifo("bestsplits.txt", 0600), 0);
  std::filesystem::create_symlink("/dev/zero", "pbtime.txt");
  EXPECT_TRUE(WriteFileAtomically("bestsplits.txt", "1\r\n"));
  EXPECT_TRUE(WriteFileAtomically("pbtime.txt", "2\r\n"));
  EXPECT_EQ(ReadWholeFile("bestsplits.txt"), "1\r\n");
  EXPECT_EQ(ReadWholeFile("pbtime.txt"), "2\r\n");
}

TEST_F(HostileFiles, AnOversizedFileIsNeitherLoadedNorReplaced) {
  const long before = PeakRssKiB();
  {
    std::ofstream out("splits.txt", std::ios::binary);
    const std::string block(1 << 20, 'W');
    for (int i = 0; i < 64; ++i) out << block;  // one 64 MiB line
  }
  LoadSplitsFromFile("splits.txt");
  EXPECT_EQ(splitNames, DefaultSplitNames());
  EXPECT_LT(PeakRssKiB() - before, 16 * 1024);

  splitNames = {L"A", L"B"};
  SaveSplitsToFile("splits.txt");
  EXPECT_EQ(std::filesystem::file_size("splits.txt"), 64u << 20);
  EXPECT_FALSE(Exists("splits.txt.tmp"));
}

TEST_F(HostileFiles, ALongNameAtTheLimitTakesMemoryInProportion) {
  Write("splits.txt", std::string(kMaxFileBytes, 'x'));
  const long before = PeakRssKiB();
  LoadSplitsFromFile("splits.txt");
  const long grown = PeakRssKiB() - before;
  ASSERT_EQ(splitNames.size(), 1u);
  EXPECT_EQ(splitNames[0].size(), kMaxFileBytes);
  EXPECT_LE(splitNames[0].capacity(), kMaxFileBytes + 64);
  // Bytes, one line and the wide name: about six times the file at most.
  EXPECT_LT(grown, static_cast<long>(8 * kMaxFileBytes / 1024));
  EXPECT_EQ(ReadWholeFile("splits.txt")->size(), kMaxFileBytes);  // the limit itself still loads
}

}  // namespace
#endif
