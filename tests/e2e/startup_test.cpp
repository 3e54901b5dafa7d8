// Start-up: where the window opens, how high it is for the loaded splits, what
// its first frames show, and that starting writes no file.
#include <string>

#include "panel.h"

namespace e2e {
namespace {

class StartupTest : public AppTest {};

TEST_P(StartupTest, OpensAt100x100WithTheDefaultSplitsAndWritesNothing) {
  ASSERT_TRUE(app().Start());
  EXPECT_TRUE(app().GeometryBecomes(Geometry{100, 100, 320, HeightForSplits(5)}));
  EXPECT_EQ(app().geometry().height, 373);

  Image img = app().Capture();
  // Chrome: background, the Timer tab marked, the close disc, overlay mode.
  EXPECT_TRUE(img.AllExact({0, 340, 20, 373}, kBackground));
  EXPECT_EQ(ActiveTab(img), 0);
  EXPECT_EQ(CloseDiscColour(img), kCloseDisc);
  EXPECT_TRUE(ModeIs(img, false));

  // Timer panel at rest: white time, dim PB line, five white names, no box.
  int bar = SeparatorBarTop(img);
  ASSERT_GT(bar, 100) << "no separator bar";
  EXPECT_TRUE(TextIn(img, TimerTextArea(bar), kText, {kGreenBox}, "elapsed time"));
  Box timer = TimerTextArea(bar);
  EXPECT_TRUE(img.AllExact({0, timer.top, 3, timer.bottom}, kBackground) &&
              img.AllExact({317, timer.top, 320, timer.bottom}, kBackground))
      << "the elapsed time is cut at the window's edges";
  EXPECT_TRUE(img.AllExact({310, 40, 320, timer.top}, kBackground));
  EXPECT_TRUE(img.AllExact({310, timer.bottom, 320, bar}, kBackground));
  EXPECT_TRUE(TextIn(img, PbLineArea(bar), kDim, {kText, kSlower, kFaster}, "PB line"));
  for (int line = 0; line < 5; ++line)
    EXPECT_TRUE(TextIn(img, SplitLineArea(bar, line), kText, {kSlower, kFaster, kViolet, kEqual},
                       "split line " + std::to_string(line)));
  EXPECT_EQ(GreenBoxLine(img, bar), -1);

  // Nothing is written at start-up, nor while the window idles (for a second,
  // and through rounds of its loop however busy the machine is).
  Sleep(1s);
  app().Quiesce();
  EXPECT_TRUE(app().ListFiles().empty());
  EXPECT_TRUE(app().Running());
}

TEST_P(StartupTest, HeightFollowsTheLoadedSplitsAndTheFilesStayUntouched) {
  struct Case {
    std::string splits;
    int names;
  };
  std::string thirty;
  for (int i = 0; i < 30; ++i) thirty += "Stage " + std::to_string(i) + "\n";
  const Case cases[] = {
      {"Intro\r\n\r\nBoss\r\n", 2},  // the empty line is no name
      {thirty, 30},                  // LF line ends; the height stops at 900
      {"\r\n\r\n", 5},               // no name at all: the five defaults
  };
  for (const Case& c : cases) {
    App run(GetParam());
    run.WriteFile("splits.txt", c.splits);
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(run.geometry(), (Geometry{100, 100, 320, HeightForSplits(c.names)})) << c.names << " names";
    Image img = run.Capture();
    int bar = SeparatorBarTop(img);
    ASSERT_GT(bar, 100);
    int visibleLines = std::min(c.names, (img.height() - bar - 20) / 25);
    EXPECT_TRUE(TextIn(img, SplitLineArea(bar, visibleLines - 1), kText, {}, "last line"));
    if (c.names < 30) {
      EXPECT_TRUE(img.AllExact(SplitLineArea(bar, c.names), kBackground)) << c.names << " names";
    }
    EXPECT_EQ(run.ReadFile("splits.txt"), c.splits);
    EXPECT_EQ(run.ListFiles(), std::vector<std::string>{"splits.txt"});
  }
  EXPECT_EQ(HeightForSplits(2), 298);
  EXPECT_EQ(HeightForSplits(30), 900);
}

BRENVIK_E2E_TARGETS(StartupTest);

}  // namespace
}  // namespace e2e
