// The drawing cache changes what work a frame costs, never its pixels: the
// same frames, painted in the same order with the cache on and off, must
// be identical byte for byte.
#include <string>
#include <utility>
#include <vector>

#include "gdi/draw_cache/draw_cache.h"
#include "shell_fixture.h"

namespace shelltest {
namespace {

constexpr SteadyTime kSecond = 1'000'000'000;
constexpr SteadyTime kRunStart = 5'000 * kSecond;

using Frames = std::vector<std::pair<std::string, std::vector<COLORREF>>>;

class DrawCacheTest : public ShellTest {
 protected:
  void TearDown() override {
    ShellTest::TearDown();
    platform::draw_cache::SetEnabled(cacheAtStart_);
  }

  void Keep(const std::string& what) {
    RECT client{};
    GetClientRect(g_hwnd, &client);
    frames_.emplace_back(what, Snapshot(client));
  }

  // Timer frames, a run with coloured deltas, a time that ticks, the
  // editor with its boxes, typing and scrolling. Each frame repaints the
  // last, as the repaint timer does, so the cache replays only what
  // changed. The run's clock is the real one; every time shown here comes
  // from explicit readings, so both passes show the same times.
  Frames PaintScenario() {
    frames_.clear();
    WriteFile("splits.txt", CrLfLines({"Forest", "Cave", "Tower", "Bridge", "Castle", "Ending"}));
    WriteFile("bestsplits.txt", CrLfLines({"10", "20", "30", "40", "50", "60"}));
    WriteFile("pbtime.txt", "215\r\n");
    Start();
    Keep("idle timer");
    Repaint();
    Keep("idle timer again");

    HandleSplitPress(kRunStart);
    HandleSplitPress(kRunStart + 14 * kSecond);  // slower than the best
    HandleSplitPress(kRunStart + 31 * kSecond);  // faster
    timerStarted = false;                        // the time stays at zero; the rest looks running
    Repaint();
    Keep("running, live deltas and the green box");
    HandleSplitPress(kRunStart + 62 * kSecond);
    timerStarted = false;
    Repaint();
    Keep("running, one split further");

    timerStarted = true;
    for (SteadyTime end : {101, 152, 214}) HandleSplitPress(kRunStart + end * kSecond);
    Repaint();
    Keep("recap: every delta coloured, a new PB");
    for (double shown : {214.001, 214.002, 214.012, 219.99, 1234.5, 99.25}) {
      splitSplitAccum.back() = shown;
      Repaint();
      Keep("a ticking time " + std::to_string(shown));
    }

    ToInteractive();
    Keep("interactive");
    OpenTab(kKeybindsTab);
    Keep("keybinds");
    OpenTab(kEditSplitsTab);
    Keep("editor with its boxes");
    const std::vector<HWND> boxes = LiveBoxes();
    EXPECT_FALSE(boxes.empty());
    if (!boxes.empty()) {
      const RECT box = BoxRect(boxes.front());
      InjectClick((box.left + box.right) / 2, (box.top + box.bottom) / 2);
      InjectText(L"Forest of Dread +0:01.5");
      Keep("a name typed");
    }
    Wheel(-120);
    Keep("scrolled a row");
    AdvanceClock(15);
    Pump();
    Keep("the repaint timer's frame");
    OpenTab(kTimerTab);
    Keep("back to the timer");
    return std::move(frames_);
  }

 private:
  bool cacheAtStart_ = platform::draw_cache::Enabled();
  Frames frames_;
};

TEST_F(DrawCacheTest, FramesAreTheSameWithTheCacheOnAndOff) {
  platform::draw_cache::SetEnabled(true);
  const Frames cached = PaintScenario();
  // A fresh shell for the second pass.
  ShellTest::TearDown();
  ShellTest::SetUp();
  platform::draw_cache::SetEnabled(false);
  const Frames direct = PaintScenario();

  ASSERT_EQ(cached.size(), direct.size());
  ASSERT_GE(cached.size(), 16u);
  for (std::size_t i = 0; i < cached.size(); ++i) {
    ASSERT_EQ(cached[i].first, direct[i].first);
    ASSERT_FALSE(cached[i].second.empty()) << cached[i].first;
    EXPECT_TRUE(cached[i].second == direct[i].second) << cached[i].first;
  }
  EXPECT_NE(cached[0].second, cached[2].second) << "the frames show different things";
}

}  // namespace
}  // namespace shelltest
