// Start-up: the window, its geometry and modes, what is loaded and
// registered, and that nothing is written.
#include <chrono>
#include <thread>

#include "gdi/draw_cache/draw_cache.h"
#include "shell_fixture.h"

namespace shelltest {
namespace {

using StartUpTest = ShellTest;

TEST_F(StartUpTest, WindowAt100x100FittedToTheDefaultNamesInOverlayMode) {
  Start();
  ASSERT_TRUE(IsWindow(g_hwnd));

  RECT w{};
  GetWindowRect(g_hwnd, &w);
  EXPECT_EQ(w.left, 100);
  EXPECT_EQ(w.top, 100);
  EXPECT_EQ(w.right - w.left, 320);
  EXPECT_EQ(w.bottom - w.top, 373);  // five default names
  RECT client{};
  GetClientRect(g_hwnd, &client);
  EXPECT_EQ(client.right, 320) << "no frame: the client area is the whole window";

  WCHAR title[32] = {};
  GetWindowTextW(g_hwnd, title, 32);
  EXPECT_STREQ(title, L"Brenvik");
  WCHAR cls[32] = {};
  GetClassNameW(g_hwnd, cls, 32);
  EXPECT_STREQ(cls, L"BrenvikApp");

  const LONG_PTR exStyle = GetWindowLongPtrW(g_hwnd, GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_LAYERED);
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
  EXPECT_TRUE(exStyle & WS_EX_TRANSPARENT) << "starts click-through";
  EXPECT_TRUE(clickThroughEnabled);
  EXPECT_EQ(activeTab, TAB_TIMER);

  EXPECT_EQ(Top().opacity, 235);
  EXPECT_TRUE(Top().clickThrough);
  EXPECT_GE(Top().topMostRaises, 1);
  EXPECT_TRUE(Top().visible);
  EXPECT_EQ(Top().init.title, L"Brenvik");

  EXPECT_EQ(splitNames, DefaultSplitNames());
  EXPECT_EQ(bestSplitTimes.size(), 5u);
  EXPECT_EQ(pbTotal, kNoTime);
  EXPECT_TRUE(FilesPresent().empty()) << "start-up writes no file";
}

TEST_F(StartUpTest, HeightFollowsTheLoadedNames) {
  struct Case {
    std::vector<std::string> names;
    int height;
  };
  const std::vector<Case> cases = {
      {{"Only"}, 273},
      {{"Intro", "Boss"}, 298},
      {{}, 373},  // an empty file gives the default names
      {std::vector<std::string>(26, "Split"), 898},
      {std::vector<std::string>(30, "Split"), 900},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.names.size());
    TearDown();
    SetUp();
    WriteFile("splits.txt", CrLfLines(c.names));
    Start();
    RECT w{};
    GetWindowRect(g_hwnd, &w);
    EXPECT_EQ(w.bottom - w.top, c.height);
    EXPECT_EQ(w.right - w.left, 320);
    EXPECT_EQ(w.left, 100);
    EXPECT_EQ(w.top, 100);
  }
}

TEST_F(StartUpTest, LoadsTheRunFilesAndMatchesBestsToNames) {
  WriteFile("splits.txt", "Intro\r\n\r\nBoss\r\n");
  WriteFile("bestsplits.txt", CrLfLines({"12.5", "-1", "7"}));
  WriteFile("pbtime.txt", "95.5\r\n80\r\n");
  Start();
  ASSERT_EQ(splitNames.size(), 2u);
  EXPECT_EQ(splitNames[0], L"Intro");
  EXPECT_EQ(splitNames[1], L"Boss");
  ASSERT_EQ(bestSplitTimes.size(), 2u) << "the third best is cut to the two names";
  EXPECT_EQ(bestSplitTimes[0], 12.5);
  EXPECT_EQ(bestSplitTimes[1], kNoTime);
  EXPECT_EQ(pbTotal, 95.5);
  EXPECT_EQ(ReadFile("splits.txt"), "Intro\r\n\r\nBoss\r\n") << "files are not rewritten at start-up";
}

TEST_F(StartUpTest, RegistersTheThreeHotkeysFromTheKeybindFile) {
  Start();
  EXPECT_TRUE(driver().IsGrabbed(0x37));
  EXPECT_TRUE(driver().IsGrabbed(0x20));
  EXPECT_TRUE(driver().IsGrabbed(0x43));

  TearDown();
  SetUp();
  WriteFile("keybinds.cfg", "split=65\r\n");
  Start();
  EXPECT_TRUE(driver().IsGrabbed(0x41));
  EXPECT_FALSE(driver().IsGrabbed(0x20));
  EXPECT_EQ(keybinds.at("split"), 0x41);
  EXPECT_EQ(pendingKeybinds.at("split"), 0x41);
  EXPECT_EQ(ReadFile("keybinds.cfg"), "split=65\r\n");
}

TEST_F(StartUpTest, SharedKeyGoesToTheFirstActionAndAHeldKeyIsSkipped) {
  WriteFile("keybinds.cfg", "cancel=32\r\n");  // the split key
  driver().BlockGrab(0x37);                    // another client holds 7
  Start();
  EXPECT_FALSE(driver().IsGrabbed(0x37));
  EXPECT_TRUE(driver().IsGrabbed(0x20));
  EXPECT_FALSE(driver().IsGrabbed(0x43));
  platform::OnHotkey(0x20);
  Pump();
  EXPECT_TRUE(timerRunning) << "split holds Space; cancel never fires";
  platform::OnHotkey(0x20);
  Pump();
  EXPECT_EQ(currentSplit, 1);
  platform::OnHotkey(0x37);
  Pump();
  EXPECT_TRUE(clickThroughEnabled) << "toggle has no hotkey";
}

TEST_F(StartUpTest, RepaintTimerPaintsEveryTickAndRaisesTheWindowEvery66th) {
  if (!platform::draw_cache::Enabled()) GTEST_SKIP() << "measures what the drawing cache saves";
  Start();
  EXPECT_NE(timerID, 0u);
  const int raisesAtStart = Top().topMostRaises;

  // Idle, a tick repaints the same frame and nothing goes to the screen.
  const int presentsIdle = Top().presents;
  for (int i = 1; i <= 5; ++i) {
    AdvanceClock(15);
    Pump();
  }
  EXPECT_EQ(Top().presents, presentsIdle);

  // Running, each tick shows the new time (the run's clock is the real
  // one, so real milliseconds pass between ticks).
  Hotkey(2);
  const int presentsAtStart = Top().presents;
  for (int i = 6; i <= 65; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    AdvanceClock(15);
    Pump();
  }
  EXPECT_EQ(tick, 65);
  EXPECT_EQ(Top().topMostRaises, raisesAtStart) << "no raise before the 66th tick";
  EXPECT_EQ(Top().presents, presentsAtStart + 60) << "each tick repaints";

  AdvanceClock(15);
  Pump();
  EXPECT_EQ(tick, 66);
  EXPECT_EQ(Top().topMostRaises, raisesAtStart + 1);
}

TEST_F(StartUpTest, DestroyingTheWindowQuitsAndSavesOnlyFromEditSplits) {
  Start();
  DestroyWindow(g_hwnd);
  Pump();
  EXPECT_TRUE(quitPosted_);
  EXPECT_TRUE(FilesPresent().empty());

  TearDown();
  SetUp();
  Start();
  ToInteractive();
  OpenTab(kEditSplitsTab);
  SetWindowTextW(LiveBoxes().at(0), L"Renamed");
  DestroyWindow(g_hwnd);
  Pump();
  EXPECT_TRUE(quitPosted_);
  EXPECT_EQ(FileLines("splits.txt"),
            (std::vector<std::string>{"Renamed", "Boss Start", "idk", "New Split", "New Split"}));
  EXPECT_EQ(FileLines("bestsplits.txt"), (std::vector<std::string>(5, "-1")));
}

TEST_F(StartUpTest, CloseMessageDestroysTheWindowThroughDefaultHandling) {
  Start();
  ToInteractive();
  OpenTab(kEditSplitsTab);
  SendMessageW(g_hwnd, WM_CLOSE, 0, 0);
  Pump();
  EXPECT_FALSE(IsWindow(g_hwnd));
  EXPECT_TRUE(quitPosted_);
  EXPECT_TRUE(FileExists("splits.txt"));
  ShutDown();
  EXPECT_TRUE(LiveBoxes().empty());
}

}  // namespace
}  // namespace shelltest
