// Zero growth: painting every panel many times and rebuilding the edit
// boxes many times leaves the live GDI objects and windows as they were.
#include "gdi/draw_cache/draw_cache.h"
#include "gdi/gdi_internal.h"
#include "shell_fixture.h"
#include "user/user_internal.h"

namespace shelltest {
namespace {

constexpr int kFramesPerPanel = 10000;
constexpr int kScrollRebuilds = 1000;

class GrowthTest : public ShellTest {
 protected:
  struct Counts {
    int gdi;
    int windows;
  };
  static Counts Live() { return {platform::gdi::LiveGdiObjectCount(), platform::LiveWindowCount()}; }

  // Every object a frame creates is created whatever the window's size, so
  // the window is cut to a strip while these frames run: the off-screen
  // bitmap stays small, and the sanitizer build stays quick.
  static void ShrinkWindow() { SetWindowPos(g_hwnd, nullptr, 0, 0, 320, 90, SWP_NOMOVE | SWP_NOZORDER); }

  // One whole frame: the window's paint, then each box's frame and client
  // paint (what a repaint of the window brings about for its children).
  static void PaintFrame() {
    InvalidateRect(g_hwnd, nullptr, FALSE);
    UpdateWindow(g_hwnd);
    for (HWND box : splitEditBoxes) {
      SendMessageW(box, WM_NCPAINT, 1, 0);
      InvalidateRect(box, nullptr, TRUE);
      UpdateWindow(box);
    }
  }
  void PaintFrames(int frames) {
    ShrinkWindow();
    for (int i = 0; i < frames; ++i) PaintFrame();
    Pump();
  }
};

TEST_F(GrowthTest, TenThousandFramesOfEachPanelLeaveNothingBehind) {
  WriteFile("bestsplits.txt", CrLfLines({"1", "2", "3", "4", "5"}));
  WriteFile("pbtime.txt", "15\r\n");
  Start();
  // A run in progress with live deltas and the green box.
  Hotkey(2);
  Hotkey(2);
  Hotkey(2);
  ToInteractive();
  // The first frames may create what lives for the process (the shared edit
  // font and brush), so count after a frame of each panel.
  OpenTab(kEditSplitsTab);
  PaintFrames(1);
  OpenTab(kKeybindsTab);
  PaintFrames(1);
  OpenTab(kTimerTab);
  PaintFrames(1);
  MoveTo(298, 22);  // the hovered close button, too
  const Counts start = Live();

  PaintFrames(kFramesPerPanel);
  EXPECT_EQ(Live().gdi, start.gdi) << "Timer panel";
  OpenTab(kKeybindsTab);
  ClickAt(kSplitButton);  // "Press key..." on one button
  PaintFrames(kFramesPerPanel);
  EXPECT_EQ(Live().gdi, start.gdi) << "Keybinds panel";
  OpenTab(kEditSplitsTab);
  ASSERT_EQ(LiveBoxes().size(), 4u);
  const Counts withBoxes = Live();
  PaintFrames(kFramesPerPanel);
  EXPECT_EQ(Live().gdi, withBoxes.gdi) << "Edit Splits panel";
  EXPECT_EQ(Live().windows, withBoxes.windows);
  OpenTab(kTimerTab);
  EXPECT_EQ(Live().gdi, start.gdi);
  EXPECT_EQ(Live().windows, start.windows);
}

TEST_F(GrowthTest, FramesThroughTheQueueLeaveNothingBehind) {
  if (!platform::draw_cache::Enabled()) GTEST_SKIP() << "measures what the drawing cache saves";
  Start();
  ToInteractive();
  OpenTab(kEditSplitsTab);
  InvalidateRect(g_hwnd, nullptr, FALSE);
  Pump();
  const Counts start = Live();
  const int presents = Top().presents;
  const int ticks = tick;
  for (int i = 0; i < 200; ++i) {
    AdvanceClock(15);  // the repaint timer
    Pump();
  }
  EXPECT_EQ(tick, ticks + 200) << "one repaint per tick";
  EXPECT_EQ(Top().presents, presents) << "the same frame again goes nowhere";
  EXPECT_EQ(Live().gdi, start.gdi);
  EXPECT_EQ(Live().windows, start.windows);
}

TEST_F(GrowthTest, ThousandScrollRebuildsLeaveNothingBehind) {
  WriteFile("splits.txt", CrLfLines(std::vector<std::string>(12, "Split")));
  Start();
  ToInteractive();
  OpenTab(kEditSplitsTab);
  const Counts start = Live();
  const std::size_t boxes = LiveBoxes().size();
  ShrinkWindow();
  for (int i = 0; i < kScrollRebuilds; ++i) {
    PostMessageW(g_hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, i % 8 < 4 ? -120 : 120), 0);
    Pump();
  }
  EXPECT_EQ(editSplitsScrollPos, 0);
  EXPECT_EQ(LiveBoxes().size(), boxes);
  EXPECT_EQ(Live().gdi, start.gdi);
  EXPECT_EQ(Live().windows, start.windows);

  // Thumb-drag moves rebuild too.
  PressAt(264, 240);
  for (int i = 0; i < kScrollRebuilds; ++i) MoveTo(264, 240 + i % 100);
  ReleaseAt(264, 240);
  EXPECT_EQ(Live().gdi, start.gdi);
  EXPECT_EQ(Live().windows, start.windows);
}

TEST_F(GrowthTest, ShutDownReleasesTheSharedEditResources) {
  const Counts empty = Live();
  Start();
  ToInteractive();
  OpenTab(kEditSplitsTab);
  Pump();
  ShutDown();
  EXPECT_TRUE(LiveBoxes().empty());
  DestroyWindow(g_hwnd);
  Pump();
  EXPECT_EQ(Live().gdi, empty.gdi);
  EXPECT_EQ(Live().windows, empty.windows);
}

}  // namespace
}  // namespace shelltest
