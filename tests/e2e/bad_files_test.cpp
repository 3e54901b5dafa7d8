// Damaged and odd files in the working directory: the program starts cleanly,
// leaves them untouched at start-up, and reads them the safe way, which shows
// in what the next run and the next Save write back.
#include <X11/keysym.h>

#include <map>

#include "file_format.h"
#include "panel.h"

namespace e2e {
namespace {

class BadFilesTest : public PanelTest {
 protected:
  void Prefill(const std::map<std::string, std::string>& files) {
    files_ = files;
    for (const auto& [name, bytes] : files) app().WriteFile(name, bytes);
  }

  void ExpectFilesUntouched() {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : files_) {
      names.push_back(name);
      EXPECT_EQ(app().ReadFile(name), bytes) << name << " changed";
    }
    EXPECT_EQ(app().ListFiles(), names);
  }

  // A run of equal segments by the split key; returns the bar's top. The
  // pauses are the segments' lengths.
  int RunThrough(int segments, Millis each) {
    int bar = SeparatorBarTop(Frame());
    app().Hotkey(XK_space);
    for (int i = 0; i < segments; ++i) {
      Sleep(each);
      app().Hotkey(XK_space);
    }
    Image img = Frame();
    EXPECT_EQ(GreenBoxLine(img, bar), -1) << "the run did not finish";
    return bar;
  }

  std::map<std::string, std::string> files_;
};

TEST_P(BadFilesTest, JunkHugeLinesNanAndOverflowStartCleanlyAndReadSafely) {
  Prefill({
      {"splits.txt", std::string("Intro\x01\x02\xff\xfe\0junk\r\n\r\n", 17) + std::string(3000, 'W') + "\nBoss\r\n"},
      {"bestsplits.txt", std::string("nan\r\n1e999\r\n\0\xff garbage\r\n", 24) + std::string(100000, '9') + "\r\n"},
      {"pbtime.txt", std::string(5000, '9') + "\r\n"},
      {"keybinds.cfg", "toggle = 80\r\ncancel=0x43\r\nsplit=99999999999\r\n" + std::string(50000, 'x') + "\r\n=\r\n"},
  });
  ASSERT_TRUE(app().Start());
  EXPECT_TRUE(app().GeometryBecomes(Geometry{100, 100, 320, HeightForSplits(3)}));
  Image img = Frame();
  EXPECT_TRUE(ModeIs(img, false));
  EXPECT_EQ(ActiveTab(img), 0);
  int bar = SeparatorBarTop(img);
  ASSERT_GT(bar, 100);
  EXPECT_TRUE(TextIn(img, PbLineArea(bar), kDim, {kText, kSlower}, "PB line without a PB"));
  app().Quiesce();
  ExpectFilesUntouched();

  // "toggle = 80" names another entry: 7 still toggles. "cancel=0x43" binds
  // cancel to code 0, so C no longer cancels. The oversized split code is
  // skipped: Space still splits.
  app().Hotkey(XK_7);
  EXPECT_TRUE(ModeIs(Frame(), true));
  app().Hotkey(XK_7);
  EXPECT_TRUE(ModeIs(Frame(), false));
  app().Hotkey(XK_space);
  Sleep(400ms);  // a segment's length
  app().Hotkey(XK_space);
  app().Hotkey(XK_c);
  EXPECT_EQ(GreenBoxLine(Frame(), bar), 1) << "C cancelled though cancel is bound to code 0";
  Sleep(400ms);
  app().Hotkey(XK_space);
  Sleep(400ms);
  app().Hotkey(XK_space);
  img = Frame();
  EXPECT_EQ(GreenBoxLine(img, bar), -1);

  // The NaN, out-of-range and unreadable lines were no time, so the run's
  // segments became the bests; the extra line is gone. The unreadable PB
  // was no PB.
  auto bests = CrLfLines(app().ReadFile("bestsplits.txt"));
  ASSERT_TRUE(bests);
  ASSERT_EQ(bests->size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(IsStoredTime((*bests)[i])) << (*bests)[i];
    EXPECT_GT(TimeOf((*bests)[i]), 0.3);
    EXPECT_LT(TimeOf((*bests)[i]), 10.0);
  }
  auto pb = CrLfLines(app().ReadFile("pbtime.txt"));
  ASSERT_TRUE(pb);
  ASSERT_EQ(pb->size(), 1u);
  EXPECT_GT(TimeOf((*pb)[0]), 1.0);
  EXPECT_LT(TimeOf((*pb)[0]), 20.0);
  // The NaN line had no best: the delta is the segment itself, slower.
  EXPECT_TRUE(TextIn(img, SplitLineArea(bar, 0), kSlower, {kEqual, kFaster, kViolet}, "NaN line: no best"));
  // The name far wider than the window is still drawn on its own line.
  EXPECT_TRUE(TextIn(img, SplitLineArea(bar, 1), kSlower, {kEqual, kFaster, kViolet}, "line 1"));
  EXPECT_TRUE(TextIn(img, PbLineArea(bar), kSlower, {kEqual, kFaster, kViolet}, "PB line"));

  // Save writes every entry back, the extra "toggle " one included, in
  // byte order.
  app().Hotkey(XK_7);
  app().Click(kKeybindsTab.x, kKeybindsTab.y);
  app().Click(kSaveButton.x, kSaveButton.y);
  EXPECT_TRUE(app().FileBecomes("keybinds.cfg", "cancel=0\r\nsplit=32\r\ntoggle=55\r\ntoggle =80\r\n"));
  app().Click(kCloseButton.x, kCloseButton.y);
  EXPECT_EQ(app().WaitExit(kHangLimit), 0);
  EXPECT_EQ(app().ReadFile("splits.txt"), files_["splits.txt"]);
}

TEST_P(BadFilesTest, NegativeZeroAndTrailingWordsFollowTheReadingRules) {
  Prefill({
      {"splits.txt", "A\nB\nC\n"},
      {"bestsplits.txt", "-0.25\n0\n12.5 trailing words\n"},
      {"pbtime.txt", "0\n95.5\n"},
      {"keybinds.cfg", "split=65\ncancel=67 trailing words\n"},
  });
  ASSERT_TRUE(app().Start());
  EXPECT_TRUE(app().HeightBecomes(HeightForSplits(3)));
  ExpectFilesUntouched();
  auto pbStamp = app().Stamp("pbtime.txt");

  // split=65: the A key splits, Space does not.
  int bar = SeparatorBarTop(Frame());
  app().Hotkey(XK_space);
  EXPECT_EQ(GreenBoxLine(Frame(), bar), -1);
  app().Hotkey(XK_a);
  EXPECT_EQ(GreenBoxLine(Frame(), bar), 0);
  for (int i = 0; i < 3; ++i) {
    Sleep(300ms);
    app().Hotkey(XK_a);
  }
  Image img = Frame();
  EXPECT_EQ(GreenBoxLine(img, bar), -1);

  // -0.25 was no best, 0 is a best no run beats, 12.5 lost to the run.
  auto bests = CrLfLines(app().ReadFile("bestsplits.txt"));
  ASSERT_TRUE(bests);
  ASSERT_EQ(bests->size(), 3u);
  for (int i : {0, 2}) {
    EXPECT_TRUE(IsStoredTime((*bests)[i])) << (*bests)[i];
    EXPECT_GT(TimeOf((*bests)[i]), 0.2);
    EXPECT_LT(TimeOf((*bests)[i]), 9.0);
  }
  EXPECT_EQ((*bests)[1], "0");
  // A PB of 0 is never beaten: pbtime.txt stays as it was.
  EXPECT_EQ(app().ReadFile("pbtime.txt"), files_["pbtime.txt"]);
  EXPECT_EQ(app().Stamp("pbtime.txt"), pbStamp);
  // Against 12.5 s the last segment is more than 3 s faster.
  EXPECT_TRUE(TextIn(img, SplitLineArea(bar, 0), kSlower, {kFaster, kViolet}, "line 0"));
  EXPECT_TRUE(TextIn(img, SplitLineArea(bar, 1), kSlower, {kFaster, kViolet}, "line 1"));
  EXPECT_TRUE(TextIn(img, SplitLineArea(bar, 2), kViolet, {kFaster, kSlower}, "line 2"));
  EXPECT_TRUE(TextIn(img, PbLineArea(bar), kSlower, {kFaster, kViolet}, "PB line"));
}

BRENVIK_E2E_TARGETS(BadFilesTest);

}  // namespace
}  // namespace e2e
