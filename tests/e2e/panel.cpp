#include "panel.h"

#include <X11/keysym.h>

#include <algorithm>

namespace e2e {

int HeightForSplits(int n) { return std::min(900, std::max(270, 220 + 25 * std::max(1, n) + 28)); }

int ActiveTab(const Image& img) {
  int active = -1;
  for (int tab = 0; tab < 3; ++tab) {
    Box sample{95 * tab + 5, 4, 95 * tab + 10, 7};
    if (img.AllExact(sample, kActiveTab)) {
      if (active != -1) return -1;
      active = tab;
    } else if (!img.AllExact(sample, kInactiveTab)) {
      return -1;
    }
  }
  return active;
}

Rgb CloseDiscColour(const Image& img) {
  // Inside the disc {287, 11, 309, 33}, clear of the two strokes of the cross.
  const Point points[] = {{292, 22}, {304, 22}, {298, 15}, {298, 29}, {293, 21}};
  Rgb first = img.At(points[0].x, points[0].y);
  for (Point p : points)
    if (!(img.At(p.x, p.y) == first)) return {-1, -1, -1};
  return first;
}

::testing::AssertionResult TextIn(const Image& img, Box area, Rgb colour, const std::vector<Rgb>& others,
                                  const std::string& what) {
  int hits = img.CountNear(area, colour, 12);
  if (hits < 3)
    return ::testing::AssertionFailure() << what << ": " << hits << " pixels near " << ToString(colour) << " in {"
                                         << area.left << ", " << area.top << ", " << area.right << ", " << area.bottom
                                         << "}";
  for (Rgb other : others) {
    int wrong = img.CountNear(area, other, 12);
    if (wrong > 0)
      return ::testing::AssertionFailure() << what << ": " << wrong << " pixels near " << ToString(other) << " besides "
                                           << hits << " near " << ToString(colour);
  }
  return ::testing::AssertionSuccess();
}

Box ModeLabelArea() { return {0, 38, 320, 64}; }

::testing::AssertionResult ModeIs(const Image& img, bool interactive) {
  return interactive ? TextIn(img, ModeLabelArea(), kInteractiveLabel, {kOverlayLabel}, "mode label")
                     : TextIn(img, ModeLabelArea(), kOverlayLabel, {kInteractiveLabel}, "mode label");
}

int SeparatorBarTop(const Image& img) {
  // The bar {20, y, 300, y + 7} is filled square in one colour; x 24 is clear
  // of its rounded corners' outline and of any text.
  for (int y = 60; y + 5 < img.height(); ++y) {
    bool run = true;
    for (int k = 0; k < 5 && run; ++k) run = img.At(24, y + k) == kDim && img.At(296, y + k) == kDim;
    if (run) return y;
  }
  return -1;
}

Box TimerTextArea(int barTop) { return {0, 66, 320, barTop - 40}; }

Box PbLineArea(int barTop) { return {0, barTop - 38, 320, barTop - 4}; }

Box SplitLineArea(int barTop, int line) {
  int y = barTop + 20 + 25 * line;
  return {0, y - 2, 320, y + 23};
}

int GreenBoxLine(const Image& img, int barTop) {
  int y = img.FindInColumn(6, barTop + 8, img.height(), kGreenBox);
  if (y < 0) return -1;
  // The box spans {0, lineY - 2, 320, lineY + 21}; its fill starts just
  // inside the 2-pixel outline.
  return (y - (barTop + 18) + 12) / 25;
}

Box RowBox(int row, int scroll) {
  int top = 232 + 36 * row - scroll;
  return {70, top, 250, top + 28};
}

void RenameRow(const App& app, int row, int scroll, const std::string& name) {
  Box box = RowBox(row, scroll);
  app.Click(box.left + 40, box.top + 14);
  app.ControlKey(XK_a);
  app.Key(XK_BackSpace);
  app.Key(XK_End);
  for (int i = 0; i < 16; ++i) app.Key(XK_BackSpace);
  app.Type(name);
}

Image SettledFrame(const App& app) {
  app.Quiesce();
  return app.Capture();
}

}  // namespace e2e
