// A writer killed mid-save, or stopped by a full disk, never leaves a
// truncated or empty file behind. POSIX only: these need fork and rlimits.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "run/run_state.h"
#include "run/run_files.h"
#include "storage/text_file.h"
#include "temp_dir.h"

namespace {

class InterruptedWrite : public InTempDir {
 protected:
  static std::string BestsFileFor(double value, int lines) {
    splitNames.assign(lines, L"x");
    bestSplitTimes.assign(lines, value);
    return BestSplitsFileBytes();
  }
};

// The child saves two contents in turn and reports each completed save, so
// the kill lands at a random point of a later save: while it writes, flushes
// or renames.
TEST_F(InterruptedWrite, KilledWriterLeavesOldOrNewContent) {
  constexpr int kLines = 30000;
  const std::string oldBytes = BestsFileFor(1.25, kLines);
  const std::string newA = BestsFileFor(83.4568, kLines);
  const std::string newB = BestsFileFor(123456, kLines);
  Write("bestsplits.txt", oldBytes);

  std::mt19937 rng(12345);
  int sawNew = 0;
  for (int i = 0; i < 200; ++i) {
    int saved[2];
    ASSERT_EQ(pipe(saved), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(saved[0]);
      for (int k = 0;; ++k) {
        WriteFileAtomically("bestsplits.txt", k % 2 ? newA : newB);
        if (write(saved[1], "s", 1) != 1) _exit(1);
      }
    }
    close(saved[1]);
    char byte;
    ASSERT_EQ(read(saved[0], &byte, 1), 1);
    usleep(std::uniform_int_distribution<useconds_t>(0, 6000)(rng));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(saved[0]);
    ASSERT_TRUE(WIFSIGNALED(status));

    const std::string now = Read("bestsplits.txt");
    ASSERT_TRUE(now == oldBytes || now == newA || now == newB) << "iteration " << i << ": " << now.size() << " bytes";
    sawNew += now != oldBytes;
    Write("bestsplits.txt", oldBytes);
  }
  EXPECT_GT(sawNew, 0) << "no save completed: the kills proved nothing";
}

// A file-size limit makes the write itself fail, as a full disk would.
TEST_F(InterruptedWrite, FullDiskLeavesTheOldFileWhole) {
  const std::string oldBytes = BestsFileFor(1.25, 10);
  Write("bestsplits.txt", oldBytes);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    const bool written = WriteFileAtomically("bestsplits.txt", std::string(100000, 'x'));
    _exit(written ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the write should have failed";
  EXPECT_EQ(Read("bestsplits.txt"), oldBytes);
  EXPECT_FALSE(Exists("bestsplits.txt.tmp"));
}

}  // namespace

#endif  // _WIN32
