// Soaks: the process's resident memory, measured from outside, must stay
// flat while the timer runs and while the Edit Splits list is scrolled
// without pause. The test command runs them short (a few hundred frames of
// 15 ms) and only catches gross growth; bench/overlay_cost sets
// BRENVIK_SOAK_SECONDS for the long run (10,000+ frames) and its tight bound.
#include <X11/keysym.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "panel.h"

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

// A short soak sees start-up allocations settle, so it allows more growth.
struct SoakPlan {
  Clock::duration length, warmUp, sampleEvery;
  long allowedGrowthKiB;
};

SoakPlan Plan() {
  const char* v = std::getenv("BRENVIK_SOAK_SECONDS");
  const long seconds = v ? std::atol(v) : 0;
  if (seconds >= 60) return {std::chrono::seconds(seconds), 10s, 1s, 1024};
  return {7s, 1s, 150ms, 8192};  // ~460 frames
}

struct Samples {
  std::vector<long> kib;

  // The largest sample of a third of the run (0, 1 or 2).
  long ThirdMax(int third) const {
    size_t n = kib.size() / 3;
    auto begin = kib.begin() + static_cast<long>(n * third);
    auto end = third == 2 ? kib.end() : begin + static_cast<long>(n);
    return *std::max_element(begin, end);
  }

  void Report(const std::string& what) const {
    std::printf(
        "[ SOAK     ] %s: %zu samples, VmRSS min %ld KiB, max %ld KiB; "
        "first third max %ld KiB, middle %ld KiB, last %ld KiB\n",
        what.c_str(), kib.size(), *std::min_element(kib.begin(), kib.end()), *std::max_element(kib.begin(), kib.end()),
        ThirdMax(0), ThirdMax(1), ThirdMax(2));
  }
};

class SoakTest : public AppTest {
 protected:
  static constexpr size_t kMinSamples = 30;

  // Calls step until the soak time is over and enough samples are taken (a
  // busy machine makes the steps slower), sampling the resident memory after
  // the warm-up.
  Samples Measure(const std::function<void()>& step) {
    const SoakPlan plan = Plan();
    Samples s;
    auto start = Clock::now();
    auto nextSample = start + plan.warmUp;
    while (Clock::now() - start < plan.length || s.kib.size() < kMinSamples) {
      step();
      if (Clock::now() >= nextSample) {
        long kib = app().ResidentKiB();
        EXPECT_GT(kib, 0) << "the process is gone";
        if (kib <= 0) break;
        s.kib.push_back(kib);
        nextSample += plan.sampleEvery;
      }
    }
    return s;
  }

  void ExpectFlat(const Samples& s, const std::string& what) {
    ASSERT_GE(s.kib.size(), kMinSamples);
    s.Report(what);
    EXPECT_LE(s.ThirdMax(2), s.ThirdMax(0) + Plan().allowedGrowthKiB)
        << what << ": resident memory grew from " << s.ThirdMax(0) << " KiB to " << s.ThirdMax(2) << " KiB";
  }
};

TEST_P(SoakTest, TimerRunningKeepsMemoryFlat) {
  ASSERT_TRUE(app().Start());
  int bar = SeparatorBarTop(app().Capture());
  app().Hotkey(XK_space);
  ASSERT_TRUE(WaitUntil([&] { return GreenBoxLine(app().Capture(), bar) == 0; })) << "the run did not start";
  Samples s = Measure([] { Sleep(100ms); });  // the timer runs meanwhile
  ExpectFlat(s, app().target() + " timer running");
  EXPECT_EQ(GreenBoxLine(app().Capture(), bar), 0) << "the run stopped";
  app().Hotkey(XK_c);
}

TEST_P(SoakTest, WheelScrollingTheSplitListKeepsMemoryFlat) {
  std::string names;
  for (int i = 0; i < 12; ++i) names += "Split " + std::to_string(i) + "\r\n";
  app().WriteFile("splits.txt", names);
  ASSERT_TRUE(app().Start());
  app().Hotkey(XK_7);
  app().Click(kEditSplitsTab.x, kEditSplitsTab.y);
  ASSERT_EQ(ActiveTab(SettledFrame(app())), 2);
  // Every wheel step destroys and creates the visible rows' edit boxes.
  int direction = -1, steps = 0, total = 0;
  Samples s = Measure([&] {
    app().Wheel(264, 300, direction);
    total++;
    if (++steps == 8) {
      steps = 0;
      direction = -direction;
    }
  });
  std::printf("[ SOAK     ] %d wheel steps\n", total);
  ExpectFlat(s, app().target() + " wheel scrolling");
  EXPECT_EQ(ActiveTab(SettledFrame(app())), 2);
  EXPECT_TRUE(app().Running());
}

BRENVIK_E2E_TARGETS(SoakTest);

}  // namespace
}  // namespace e2e
