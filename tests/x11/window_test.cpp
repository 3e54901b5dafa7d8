// The overlay window as other clients and the server see it.
#include "second_client.h"

#include <X11/Xatom.h>
#include <X11/extensions/shape.h>

#include <algorithm>

namespace x11test {
namespace {

using WindowTest = DriverTest;

bool Contains(const std::vector<long>& values, Atom atom) {
  return std::find(values.begin(), values.end(), static_cast<long>(atom)) != values.end();
}

TEST_F(WindowTest, ManagersSeeABorderlessTopMostToolWindowNamedBrenvik) {
  const HWND hwnd = ShowOverlay();
  const Window w = driver->XWindowOf(hwnd);
  ASSERT_NE(w, None);
  Display* d = other->dpy();

  EXPECT_EQ(other->Bytes(w, "WM_NAME"), "Brenvik");
  EXPECT_EQ(other->Bytes(w, "_NET_WM_NAME"), "Brenvik");
  XClassHint hint{};
  ASSERT_TRUE(XGetClassHint(d, w, &hint));
  EXPECT_STREQ(hint.res_class, "BrenvikApp");
  XFree(hint.res_name);
  XFree(hint.res_class);

  const auto states = other->Longs(w, "_NET_WM_STATE");
  EXPECT_TRUE(Contains(states, other->AtomNamed("_NET_WM_STATE_ABOVE")));
  EXPECT_TRUE(Contains(states, other->AtomNamed("_NET_WM_STATE_SKIP_TASKBAR")));
  EXPECT_TRUE(Contains(states, other->AtomNamed("_NET_WM_STATE_SKIP_PAGER")));
  EXPECT_EQ(other->Longs(w, "_NET_WM_WINDOW_TYPE"),
            std::vector<long>{static_cast<long>(other->AtomNamed("_NET_WM_WINDOW_TYPE_UTILITY"))});
  const auto motif = other->Longs(w, "_MOTIF_WM_HINTS");
  ASSERT_EQ(motif.size(), 5u);
  EXPECT_EQ(motif[0] & 2, 2);  // decorations given
  EXPECT_EQ(motif[2], 0);      // none

  XWMHints* hints = XGetWMHints(d, w);
  ASSERT_TRUE(hints);
  EXPECT_TRUE(hints->flags & InputHint);
  EXPECT_FALSE(hints->input);  // the game keeps the keyboard when the overlay appears
  EXPECT_FALSE(hints->flags & XUrgencyHint);
  XFree(hints);

  // No user time: 0 makes Mutter and KWin mark the window "demands attention".
  EXPECT_TRUE(other->Longs(w, "_NET_WM_USER_TIME").empty());

  XWindowAttributes attrs;
  ASSERT_TRUE(XGetWindowAttributes(d, w, &attrs));
  // Unmanaged: no manager may stack a focused fullscreen game above it.
  EXPECT_TRUE(attrs.override_redirect);
  EXPECT_EQ(attrs.map_state, IsViewable);
  EXPECT_EQ(attrs.width, 320);
  EXPECT_EQ(attrs.height, 373);
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &x, &y, &child);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 100);

  driver->SetOpacity(hwnd, 235);
  XSync(driver->display(), False);
  const auto opacity = other->Longs(w, "_NET_WM_WINDOW_OPACITY");
  ASSERT_EQ(opacity.size(), 1u);
  EXPECT_EQ(static_cast<std::uint32_t>(opacity[0]), 0xEBEBEBEBu);
}

TEST_F(WindowTest, MovesAndResizesExactlyAndHidesAndShowsAgain) {
  const HWND hwnd = ShowOverlay();
  const Window w = driver->XWindowOf(hwnd);
  driver->MoveTopLevel(hwnd, 250, 40, 320, 298);
  XSync(driver->display(), False);
  XWindowAttributes attrs;
  XGetWindowAttributes(other->dpy(), w, &attrs);
  EXPECT_EQ(attrs.x, 250);
  EXPECT_EQ(attrs.y, 40);
  EXPECT_EQ(attrs.height, 298);
  XSizeHints size{};
  long supplied = 0;
  ASSERT_TRUE(XGetWMNormalHints(other->dpy(), w, &size, &supplied));
  EXPECT_EQ(size.max_height, 298);  // a manager must not resize it back

  driver->ShowTopLevel(hwnd, false);
  XSync(driver->display(), False);
  XGetWindowAttributes(other->dpy(), w, &attrs);
  EXPECT_EQ(attrs.map_state, IsUnmapped);
  driver->ShowTopLevel(hwnd, true);
  XSync(driver->display(), False);
  XGetWindowAttributes(other->dpy(), w, &attrs);
  EXPECT_EQ(attrs.map_state, IsViewable);
  EXPECT_TRUE(Contains(other->Longs(w, "_NET_WM_STATE"), other->AtomNamed("_NET_WM_STATE_ABOVE")));

  driver->DestroyTopLevel(hwnd);
  EXPECT_EQ(driver->XWindowOf(hwnd), None);
  // Calls for a window that is gone change nothing and do not fail.
  driver->MoveTopLevel(hwnd, 0, 0, 10, 10);
  driver->SetClickThrough(hwnd, true);
  driver->Present(hwnd, nullptr, 0, 0, 0, RECT{0, 0, 1, 1});
}

std::vector<std::uint32_t> Gradient(int w, int h, std::uint32_t salt) {
  std::vector<std::uint32_t> p(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      p[static_cast<size_t>(y) * w + x] = ((x * 7 + salt) << 16 | (y * 3) << 8 | (x ^ y)) & 0xFFFFFF;
  return p;
}

TEST_F(WindowTest, PresentedFramesReachTheServerExactlyAndOnlyWhenTheyChange) {
  const HWND hwnd = ShowOverlay(100, 100, 320, 200);
  const Window w = driver->XWindowOf(hwnd);
  auto frame = Gradient(320, 200, 0);
  const RECT whole{0, 0, 320, 200};
  driver->Present(hwnd, frame.data(), 320 * 4, 320, 200, whole);
  XSync(driver->display(), False);
  EXPECT_EQ(other->Pixels(w, 0, 0, 320, 200), frame);
  const int transfers = driver->transfers();

  // The idle overlay repaints the same frame: nothing goes to the server.
  driver->Present(hwnd, frame.data(), 320 * 4, 320, 200, whole);
  EXPECT_EQ(driver->transfers(), transfers);

  // The timer's digits change: one transfer, and the server has them.
  for (int y = 50; y < 60; ++y)
    for (int x = 100; x < 140; ++x) frame[y * 320 + x] = 0x00E8E8F2;
  driver->Present(hwnd, frame.data(), 320 * 4, 320, 200, whole);
  EXPECT_EQ(driver->transfers(), transfers + 1);
  XSync(driver->display(), False);
  EXPECT_EQ(other->Pixels(w, 0, 0, 320, 200), frame);
}

TEST_F(WindowTest, ContentIsKeptWhenAnotherWindowUncoversIt) {
  const HWND hwnd = ShowOverlay(100, 100, 320, 200);
  const Window w = driver->XWindowOf(hwnd);
  const auto frame = Gradient(320, 200, 5);
  driver->Present(hwnd, frame.data(), 320 * 4, 320, 200, RECT{0, 0, 320, 200});
  XSync(driver->display(), False);

  // A window passes over the overlay and goes away again.
  const Window cover = other->MapWindow(150, 150, 200, 100, 0);
  XUnmapWindow(other->dpy(), cover);
  XSync(other->dpy(), False);
  Pump(*driver, 200);
  EXPECT_EQ(other->Pixels(w, 0, 0, 320, 200), frame);
  EXPECT_TRUE(EventsOf(Got::Exposure).empty());  // answered without a repaint
}

TEST_F(WindowTest, ExposureBeforeAnyFrameAsksTheWindowModelToPaint) {
  const HWND hwnd = FakeHwnd(2);
  platform::TopLevelInit init;
  init.width = 50;
  init.height = 40;
  driver->CreateTopLevel(hwnd, init);
  driver->ShowTopLevel(hwnd, true);
  ASSERT_TRUE(PumpUntil(*driver, [] { return !EventsOf(Got::Exposure).empty(); }));
  EXPECT_EQ(EventsOf(Got::Exposure)[0].hwnd, hwnd);
  EXPECT_EQ(EventsOf(Got::Exposure)[0].area.right, 50);
}

TEST_F(WindowTest, ClickThroughEmptiesTheInputShapeAndRestoresIt) {
  const HWND hwnd = ShowOverlay();
  const Window w = driver->XWindowOf(hwnd);
  int count = -1, ordering = 0;
  driver->SetClickThrough(hwnd, true);
  XSync(driver->display(), False);
  XRectangle* rects = XShapeGetRectangles(other->dpy(), w, ShapeInput, &count, &ordering);
  EXPECT_EQ(count, 0);
  if (rects) XFree(rects);

  driver->SetClickThrough(hwnd, false);
  XSync(driver->display(), False);
  rects = XShapeGetRectangles(other->dpy(), w, ShapeInput, &count, &ordering);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(rects[0].width, 320);
  EXPECT_EQ(rects[0].height, 373);
  XFree(rects);
}

// In overlay mode a click lands in the game beneath; in interactive mode the
// overlay takes it, in its own client coordinates.
TEST_F(WindowTest, ClicksPassThroughToTheWindowBeneathOnlyInOverlayMode) {
  const Window beneath = other->MapWindow(50, 50, 500, 500, ButtonPressMask);
  const HWND hwnd = ShowOverlay();
  driver->SetClickThrough(hwnd, true);
  XSync(driver->display(), False);

  other->Click(150, 160);
  XEvent ev;
  ASSERT_TRUE(other->NextEvent(beneath, ButtonPress, &ev));
  EXPECT_EQ(ev.xbutton.x, 100);
  Pump(*driver, 100);
  EXPECT_TRUE(EventsOf(Got::Button).empty());

  driver->SetClickThrough(hwnd, false);
  XSync(driver->display(), False);
  other->Click(150, 160);
  ASSERT_TRUE(PumpUntil(*driver, [] { return EventsOf(Got::Button).size() == 2; }));
  const auto buttons = EventsOf(Got::Button);
  EXPECT_TRUE(buttons[0].down);
  EXPECT_EQ(buttons[0].x, 50);
  EXPECT_EQ(buttons[0].y, 60);
  EXPECT_FALSE(buttons[1].down);
  EXPECT_FALSE(other->NextEvent(beneath, ButtonPress, &ev, 100));
}

TEST_F(WindowTest, AnInputShapeDroppedAtMapTimeIsSetAgain) {
  const HWND hwnd = ShowOverlay();
  const Window w = driver->XWindowOf(hwnd);
  driver->SetClickThrough(hwnd, true);
  driver->ShowTopLevel(hwnd, false);
  XSync(driver->display(), False);
  // What some window managers do while they take a window in.
  XShapeCombineMask(other->dpy(), w, ShapeInput, 0, 0, None, ShapeSet);
  XSync(other->dpy(), False);
  driver->ShowTopLevel(hwnd, true);
  EXPECT_TRUE(PumpUntil(*driver, [&] {
    int count = -1, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(other->dpy(), w, ShapeInput, &count, &ordering);
    if (rects) XFree(rects);
    return count == 0;
  }));
}

// A compositing manager (Mutter) looks at input shapes again only when the
// window moves: a mode change on a shown window moves it a pixel and back,
// and the window model hears of no move.
TEST_F(WindowTest, AModeChangeOnAShownWindowMovesItThereAndBackUnreported) {
  const HWND hwnd = ShowOverlay();
  const Window w = driver->XWindowOf(hwnd);
  Pump(*driver, 100);  // the MapNotify
  XSelectInput(other->dpy(), w, StructureNotifyMask);
  XSync(other->dpy(), False);
  auto moves = [&] {
    std::vector<std::pair<int, int>> seen;
    XEvent ev;
    while (other->NextEvent(w, ConfigureNotify, &ev, 200)) seen.emplace_back(ev.xconfigure.x, ev.xconfigure.y);
    return seen;
  };
  using Moves = std::vector<std::pair<int, int>>;

  driver->SetClickThrough(hwnd, true);
  XSync(driver->display(), False);
  EXPECT_EQ(moves(), (Moves{{101, 100}, {100, 100}}));
  driver->SetClickThrough(hwnd, true);  // no change, no move
  XSync(driver->display(), False);
  EXPECT_EQ(moves(), Moves{});
  driver->SetClickThrough(hwnd, false);
  XSync(driver->display(), False);
  EXPECT_EQ(moves(), (Moves{{101, 100}, {100, 100}}));
  Pump(*driver, 100);
  EXPECT_TRUE(EventsOf(Got::Moved).empty());

  // A hidden window has nothing to look at.
  driver->ShowTopLevel(hwnd, false);
  Pump(*driver, 100);
  moves();
  driver->SetClickThrough(hwnd, true);
  XSync(driver->display(), False);
  EXPECT_EQ(moves(), Moves{});
}

int StackingIndex(Display* d, Window w) {
  Window root = 0, parent = 0, *children = nullptr;
  unsigned n = 0;
  XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n);
  int index = -1;
  for (unsigned i = 0; i < n; ++i)
    if (children[i] == w) index = static_cast<int>(i);
  if (children) XFree(children);
  return index;
}

// No manager keeps an unmanaged window on top: it watches the root's
// children and restacks itself over whatever lands above it, but never over
// another unmanaged window (a menu, another overlay), which would raise in
// turn forever.
TEST_F(WindowTest, RaisesItselfOverWhatLandsAboveItButNotOverAnotherUnmanagedWindow) {
  const HWND hwnd = ShowOverlay();
  const Window w = driver->XWindowOf(hwnd);
  Display* d = other->dpy();
  auto onTopOf = [&](Window covering) {
    return PumpUntil(
        *driver, [&] { return StackingIndex(d, w) > StackingIndex(d, covering); }, 20000);
  };
  const Window game = other->MapWindow(0, 0, 500, 500, 0);
  EXPECT_TRUE(onTopOf(game)) << "a window mapped later covers the overlay";
  XRaiseWindow(d, game);
  XSync(d, False);
  EXPECT_TRUE(onTopOf(game)) << "a raised window covers the overlay";

  XSetWindowAttributes attrs{};
  attrs.override_redirect = True;
  const Window menu = XCreateWindow(d, DefaultRootWindow(d), 50, 50, 100, 100, 0, CopyFromParent, InputOutput,
                                    CopyFromParent, CWOverrideRedirect, &attrs);
  XMapRaised(d, menu);
  XSync(d, False);
  Pump(*driver, 300);
  EXPECT_GT(StackingIndex(d, menu), StackingIndex(d, w)) << "it raised itself over an unmanaged window";
  // The once-a-second upkeep follows the same rule.
  driver->RaiseTopMost(hwnd);
  XSync(driver->display(), False);
  EXPECT_GT(StackingIndex(d, menu), StackingIndex(d, w));
  // Back over a window restacked above it, it stays beneath the unmanaged one.
  XWindowChanges justBelowTheMenu{};
  justBelowTheMenu.sibling = menu;
  justBelowTheMenu.stack_mode = Below;
  XConfigureWindow(d, game, CWSibling | CWStackMode, &justBelowTheMenu);
  XSync(d, False);
  EXPECT_TRUE(onTopOf(game));
  EXPECT_GT(StackingIndex(d, menu), StackingIndex(d, w)) << "it went over an unmanaged window";
  XDestroyWindow(d, menu);
  XSync(d, False);
}

TEST_F(WindowTest, OnlyAWindowManagersOwnMovesAreReported) {
  const HWND hwnd = ShowOverlay();
  const Window w = driver->XWindowOf(hwnd);
  auto notice = [&](int x, int y) {
    XEvent ev{};
    ev.xconfigure.type = ConfigureNotify;
    ev.xconfigure.event = w;
    ev.xconfigure.window = w;
    ev.xconfigure.x = x;
    ev.xconfigure.y = y;
    ev.xconfigure.width = 320;
    ev.xconfigure.height = 373;
    XSendEvent(other->dpy(), w, False, StructureNotifyMask, &ev);
    XSync(other->dpy(), False);
  };
  notice(100, 100);  // the manager confirms the position we asked for
  Pump(*driver, 100);
  EXPECT_TRUE(EventsOf(Got::Moved).empty());
  notice(400, 300);  // the manager moved the window itself
  ASSERT_TRUE(PumpUntil(*driver, [] { return !EventsOf(Got::Moved).empty(); }));
  EXPECT_EQ(EventsOf(Got::Moved)[0].x, 400);
  EXPECT_EQ(EventsOf(Got::Moved)[0].y, 300);
}

}  // namespace
}  // namespace x11test
