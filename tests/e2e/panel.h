// What the window shows, as the suite reads it back: the fixed colours and
// where each item lies in client pixels.
#pragma once

#include "harness.h"

namespace e2e {

inline constexpr Rgb kBackground{30, 32, 40};
inline constexpr Rgb kText{232, 232, 242};
inline constexpr Rgb kDim{55, 62, 78};  // outlines, the separator bar, the PB line without a delta
inline constexpr Rgb kControlFill{47, 51, 65};
inline constexpr Rgb kActiveTab{24, 26, 32};
inline constexpr Rgb kInactiveTab{20, 21, 27};
inline constexpr Rgb kCloseDisc{24, 26, 32};
inline constexpr Rgb kCloseHovered{239, 71, 111};
inline constexpr Rgb kOverlayLabel{84, 180, 255};
inline constexpr Rgb kInteractiveLabel{255, 220, 100};
inline constexpr Rgb kGreenBox{37, 107, 68};
inline constexpr Rgb kTrack{50, 55, 70};
inline constexpr Rgb kThumb{90, 120, 170};
// Delta colours: more than 3 s faster, faster, slower, equal.
inline constexpr Rgb kViolet{177, 85, 255};
inline constexpr Rgb kFaster{180, 255, 180};
inline constexpr Rgb kSlower{255, 255, 120};
inline constexpr Rgb kEqual{240, 255, 160};

// Click targets.
struct Point {
  int x, y;
};
inline constexpr Point kTimerTab{47, 17};
inline constexpr Point kKeybindsTab{142, 17};
inline constexpr Point kEditSplitsTab{237, 17};
inline constexpr Point kCloseButton{298, 22};
inline constexpr Point kToggleButton{160, 101};
inline constexpr Point kSplitButton{160, 143};
inline constexpr Point kCancelButton{160, 185};
inline constexpr Point kSaveButton{160, 227};
inline constexpr Point kAddButton{160, 115};
inline constexpr Point kRemoveButton{160, 157};
inline constexpr Point kResetButton{160, 199};

// Window height for n splits.
int HeightForSplits(int n);

// Which tab is drawn with the active fill: 0, 1, 2, or -1 when not exactly
// one is.
int ActiveTab(const Image& img);
// The close button's disc, away from its cross: the colour when all sample
// points agree, else RGB(-1, -1, -1).
Rgb CloseDiscColour(const Image& img);

// Text of a given colour inside an area: some pixels near it, none near any
// of the other candidates.
::testing::AssertionResult TextIn(const Image& img, Box area, Rgb colour, const std::vector<Rgb>& others,
                                  const std::string& what);

Box ModeLabelArea();
// The mode label in the colour of the given mode (and not of the other).
::testing::AssertionResult ModeIs(const Image& img, bool interactive);

// Timer panel. The separator bar is found on the frame; the PB line lies just
// above it, the split lines below it at a pitch of 25 pixels.
int SeparatorBarTop(const Image& img);
Box TimerTextArea(int barTop);
Box PbLineArea(int barTop);
Box SplitLineArea(int barTop, int line);
// The line that stands in the green box, or -1 when there is none.
int GreenBoxLine(const Image& img, int barTop);

// Edit Splits panel: the row box of list row i at the given scroll offset.
Box RowBox(int row, int scroll);
// Replaces the text of a row's edit box: a click into it, then keys.
void RenameRow(const App& app, int row, int scroll, const std::string& name);

// The window a moment after the last input, once it has been drawn.
Image SettledFrame(const App& app);

// The fixture of the suites that drive the panels.
class PanelTest : public AppTest {
 protected:
  Image Frame() { return SettledFrame(app()); }
  void ClickAt(Point p) { app().Click(p.x, p.y); }
};

}  // namespace e2e
