// Zero growth: painting every panel many times and rebuilding the edit
// boxes many times leaves the live GDI objects and windows as they were.
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

  // One frame per round: the repaint timer's invalidation, then the paint
  // of the window and its boxes, presented.
  void PaintFrames(int frames) {
    const int presents = Top().presents;
    for (int i = 0; i < frames; ++i) {
      InvalidateRect(g_hwnd, nullptr, FALSE);
      Pump();
    }
    EXPECT_EQ(Top().presents, presents + frames) << "one present per frame";
  }
};

TEST_F(GrowthTest, TenThousandFramesOfEachPanelLeaveNothingBehind) {
  WriteFile("splits.txt", CrLfLines({"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"}));
  WriteFile("bestsplits.txt", CrLfLines({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
  WriteFile("pbtime.txt", "55\r\n");
  Start();
  // A run in progress with live deltas and the green box.
  Hotkey(2);
  Hotkey(2);
  Hotkey(2);
  ToInteractive();
  // The first frame of each panel may create what lives for the process
  // (the shared edit font and brush), so count after one frame of each.
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
  const Counts withBoxes = Live();
  PaintFrames(kFramesPerPanel);
  EXPECT_EQ(Live().gdi, withBoxes.gdi) << "Edit Splits panel";
  EXPECT_EQ(Live().windows, withBoxes.windows);
  OpenTab(kTimerTab);
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
