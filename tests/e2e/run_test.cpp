// Whole runs driven by the split hotkey from outside: the green box, live and
// recap deltas in their colours, the bests and PB written at the finish, the
// clearing press, a slower run that keeps the PB, and cancel.
#include <X11/keysym.h>

#include <cmath>
#include <numeric>
#include <thread>

#include "file_format.h"
#include "panel.h"

namespace e2e {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
// How far the program's clock reading of a press may trail the test's on a
// busy machine: a gross fault (a lost or doubled segment) is seconds off.
constexpr double kPressLag = 0.5;

class RunTest : public PanelTest {
 protected:
  bool TimerTextDiffers(const Image& a, const Image& b) const {
    const Box area = TimerTextArea(bar_);
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x)
        if (!(a.At(x, y) == b.At(x, y))) return true;
    return false;
  }
  bool TimerMoves() {
    const Image a = app().Capture();
    return WaitUntil([&] { return TimerTextDiffers(a, app().Capture()); });
  }
  // A running timer would have changed its tenths meanwhile.
  bool TimerStands() {
    const Image a = app().Capture();
    app().Quiesce();
    return !TimerTextDiffers(a, app().Capture());
  }

  // One run: the start press, then a split press after each segment's
  // duration. The checks made within a segment take well under a second even
  // on a busy machine, so each segment lasts 1.5 s or more, and every delta
  // the runs below expect is a second or more clear of its colour's bound. After every press but the last, the segment
  // being timed stands in the green box and the one just closed shows its live colour. Returns the segment times
  // measured from outside.
  std::vector<double> Run(const std::vector<double>& segments, const std::vector<Rgb>& live) {
    std::vector<double> measured;
    auto last = Clock::now();
    app().Hotkey(XK_space);
    for (size_t i = 0; i < segments.size(); ++i) {
      Image img = Frame();
      EXPECT_EQ(GreenBoxLine(img, bar_), static_cast<int>(i)) << "before split " << i;
      if (i > 0) {
        EXPECT_TRUE(TextIn(img, SplitLineArea(bar_, i - 1), live[i - 1], Others(live[i - 1]),
                           "live line " + std::to_string(i - 1)));
      }
      EXPECT_TRUE(TimerMoves()) << "the elapsed time stands still during the run";
      std::this_thread::sleep_until(
          last + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(segments[i])));
      auto now = Clock::now();
      app().Hotkey(XK_space);
      measured.push_back(Seconds(now - last));
      last = now;
    }
    return measured;
  }

  // The recap after a finish: no green box, a frozen time, each line and the
  // PB line in the colour of its delta.
  void ExpectRecap(const std::vector<Rgb>& lines, Rgb pb) {
    Image img = Frame();
    EXPECT_EQ(GreenBoxLine(img, bar_), -1);
    EXPECT_TRUE(TimerStands()) << "the time keeps running after the finish";
    for (size_t i = 0; i < lines.size(); ++i)
      EXPECT_TRUE(TextIn(img, SplitLineArea(bar_, static_cast<int>(i)), lines[i], Others(lines[i]),
                         "recap line " + std::to_string(i)));
    EXPECT_TRUE(TextIn(img, PbLineArea(bar_), pb, Others(pb), "PB line"));
  }

  // The look without a run: white names, dim PB line, nothing moving.
  void ExpectRest(int lines) {
    Image img = Frame();
    EXPECT_EQ(GreenBoxLine(img, bar_), -1);
    EXPECT_TRUE(TimerStands());
    for (int i = 0; i < lines; ++i)
      EXPECT_TRUE(TextIn(img, SplitLineArea(bar_, i), kText, Others(kText), "line " + std::to_string(i) + " at rest"));
    EXPECT_TRUE(TextIn(img, PbLineArea(bar_), kDim, {kText, kViolet, kFaster, kSlower, kEqual}, "PB line at rest"));
  }

  static std::vector<Rgb> Others(Rgb c) {
    std::vector<Rgb> out;
    for (Rgb o : {kText, kViolet, kFaster, kSlower, kEqual})
      if (!(o == c)) out.push_back(o);
    return out;
  }

  int bar_ = -1;
};

TEST_P(RunTest, SplitHotkeyRunsFinishesKeepsTheBetterPbAndCancels) {
  app().WriteFile("splits.txt", "Alpha\r\nBeta\r\nGamma\r\n");
  auto splitsStamp = app().Stamp("splits.txt");
  ASSERT_TRUE(app().Start());
  EXPECT_TRUE(app().HeightBecomes(HeightForSplits(3)));
  bar_ = SeparatorBarTop(app().Capture());
  ASSERT_GT(bar_, 100);

  // The hotkeys are bare keys: with Shift or Control held they do nothing.
  app().Focus();
  for (unsigned long modifier : {XK_Shift_L, XK_Control_L}) {
    app().KeyDown(modifier);
    app().Key(XK_space);
    app().KeyUp(modifier);
  }
  EXPECT_EQ(GreenBoxLine(Frame(), bar_), -1) << "a split key with a modifier started a run";

  // First run ever: no bests, so no live deltas; every recap delta is the
  // segment's own time (slower than nothing), and the run sets the PB.
  std::vector<double> first = Run({6.0, 3.0, 3.0}, {kText, kText});
  ExpectRecap({kSlower, kSlower, kSlower}, kSlower);
  auto bests1 = CrLfLines(app().ReadFile("bestsplits.txt"));
  auto pb1 = CrLfLines(app().ReadFile("pbtime.txt"));
  ASSERT_TRUE(bests1 && pb1) << "bestsplits.txt and pbtime.txt must be CR LF lines";
  ASSERT_EQ(bests1->size(), 3u);
  ASSERT_EQ(pb1->size(), 1u);
  double sum = 0;
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(IsStoredTime((*bests1)[i])) << (*bests1)[i];
    EXPECT_NEAR(TimeOf((*bests1)[i]), first[i], kPressLag) << "segment " << i;
    sum += TimeOf((*bests1)[i]);
  }
  EXPECT_TRUE(IsStoredTime((*pb1)[0])) << (*pb1)[0];
  EXPECT_NEAR(TimeOf((*pb1)[0]), sum, 0.001);
  EXPECT_NEAR(TimeOf((*pb1)[0]), std::accumulate(first.begin(), first.end(), 0.0), kPressLag);
  EXPECT_EQ(app().ListFiles(), (std::vector<std::string>{"bestsplits.txt", "pbtime.txt", "splits.txt"}));
  EXPECT_EQ(app().Stamp("splits.txt"), splitsStamp) << "splits.txt is written only by the Edit Splits panel";

  // The clearing press drops the recap; the files stay as they are.
  app().Hotkey(XK_space);
  ExpectRest(3);
  EXPECT_EQ(CrLfLines(app().ReadFile("bestsplits.txt")), bests1);

  // A faster run: the first segment more than 3 s faster (violet), the
  // second faster, the third slower; a new PB more than 3 s faster.
  std::vector<double> second = Run({1.5, 2.0, 4.5}, {kViolet, kFaster});
  ExpectRecap({kViolet, kFaster, kSlower}, kViolet);
  app().Screenshot("run-overlay");
  auto bests2 = CrLfLines(app().ReadFile("bestsplits.txt"));
  auto pb2 = CrLfLines(app().ReadFile("pbtime.txt"));
  ASSERT_TRUE(bests2 && pb2);
  ASSERT_EQ(bests2->size(), 3u);
  EXPECT_NEAR(TimeOf((*bests2)[0]), second[0], kPressLag);
  EXPECT_NEAR(TimeOf((*bests2)[1]), second[1], kPressLag);
  EXPECT_EQ((*bests2)[2], (*bests1)[2]) << "a slower segment keeps its best";
  ASSERT_EQ(pb2->size(), 1u);
  EXPECT_TRUE(IsStoredTime((*pb2)[0])) << (*pb2)[0];
  EXPECT_NEAR(TimeOf((*pb2)[0]), std::accumulate(second.begin(), second.end(), 0.0), kPressLag);

  // A slower run keeps the PB: pbtime.txt is not touched, bestsplits.txt is
  // written again with the same bests.
  app().Hotkey(XK_space);
  ExpectRest(3);
  auto pbStamp = app().Stamp("pbtime.txt");
  auto bestsStamp = app().Stamp("bestsplits.txt");
  auto pbBytes = app().ReadFile("pbtime.txt");
  Run({2.5, 3.0, 4.0}, {kSlower, kSlower});
  ExpectRecap({kSlower, kSlower, kSlower}, kSlower);
  EXPECT_EQ(app().ReadFile("pbtime.txt"), pbBytes);
  EXPECT_EQ(app().Stamp("pbtime.txt"), pbStamp) << "pbtime.txt rewritten without a new PB";
  EXPECT_NE(app().Stamp("bestsplits.txt"), bestsStamp) << "bestsplits.txt not written at the finish";
  EXPECT_EQ(CrLfLines(app().ReadFile("bestsplits.txt")), bests2);

  // Cancel in the middle of a run discards it and saves nothing; the next
  // split press starts a new run at once.
  app().Hotkey(XK_space);  // clears the recap
  app().Hotkey(XK_space);  // starts
  Sleep(300ms);            // the segment's length
  app().Hotkey(XK_space);
  EXPECT_EQ(GreenBoxLine(Frame(), bar_), 1);
  auto stamps = std::make_pair(app().Stamp("bestsplits.txt"), app().Stamp("pbtime.txt"));
  app().Hotkey(XK_c);
  ExpectRest(3);
  EXPECT_EQ(std::make_pair(app().Stamp("bestsplits.txt"), app().Stamp("pbtime.txt")), stamps);
  app().Hotkey(XK_space);
  EXPECT_EQ(GreenBoxLine(Frame(), bar_), 0);
  EXPECT_TRUE(TimerMoves());
  app().Hotkey(XK_c);
  ExpectRest(3);
  EXPECT_EQ(app().Stamp("splits.txt"), splitsStamp);
  EXPECT_TRUE(app().Running());
}

BRENVIK_E2E_TARGETS(RunTest);

}  // namespace
}  // namespace e2e
