// The real Linux binary in Xvfb, told it runs on Wayland: its hotkeys come
// from the desktop's global shortcuts through the real portal frontend, and
// fall back to the X11 grabs whenever that road is closed.
#include <X11/keysym.h>

#include <cstdlib>

#include "../e2e/panel.h"
#include "desktop.h"

namespace e2e {
namespace {

using portaltest::Desktop;
using portaltest::DesktopParts;

const std::vector<std::string> kDefaultBinds{"toggle=7", "split=space", "cancel=c"};

class PortalTest : public ::testing::Test {
 protected:
  void StartWith(DesktopParts parts) {
    desktop_ = std::make_unique<Desktop>(parts);
    ASSERT_EQ(desktop_->Ready(), "");
    // The program inherits these; the X server stays Xvfb.
    setenv("WAYLAND_DISPLAY", "wayland-brenvik-test", 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", desktop_->BusAddress().c_str(), 1);
    StartApp();
  }
  // A new process on the same desktop, as at the user's next start.
  void StartApp() {
    if (app_) app_->Kill();
    app_ = std::make_unique<App>("linux");
    app_->WriteFile("splits.txt", "A\r\nB\r\nC\r\nD\r\nE\r\nF\r\n");
    ASSERT_TRUE(app_->Start());
    bar_ = SeparatorBarTop(Frame());
    ASSERT_GT(bar_, 100);
  }
  void TearDown() override {
    if (app_) app_->Kill();
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
  }
  ::testing::AssertionResult BoundAre(const std::vector<std::string>& want) {
    if (WaitUntil([&] { return desktop_->Bound() == want; })) return ::testing::AssertionSuccess();
    auto result = ::testing::AssertionFailure() << "bound:";
    for (const std::string& b : desktop_->Bound()) result << " " << b;
    return result;
  }
  // Interactive mode, the Keybinds panel, Q captured for split, Save.
  void SaveSplitAsQ() {
    desktop_->Press("toggle");
    ASSERT_TRUE(ModeBecomes(true));
    app_->Click(kKeybindsTab.x, kKeybindsTab.y);
    app_->Click(kSplitButton.x, kSplitButton.y);
    app_->Hotkey(XK_q);  // a plain key press: no grab holds it
    app_->Quiesce();
    app_->Click(kSaveButton.x, kSaveButton.y);
    ASSERT_TRUE(app_->FileBecomes("keybinds.cfg", "cancel=67\r\nsplit=81\r\ntoggle=55\r\n"));
    app_->Click(kTimerTab.x, kTimerTab.y);
  }
  Image Frame() { return SettledFrame(*app_); }
  int Line() { return GreenBoxLine(Frame(), bar_); }
  // What a shortcut does reaches the program through the backend and the
  // frontend, each a process of its own: polled.
  ::testing::AssertionResult LineBecomes(int want) {
    int line = -2;
    if (WaitUntil([&] { return (line = GreenBoxLine(app_->Capture(), bar_)) == want; }))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the green box is on line " << line << ", not " << want;
  }
  ::testing::AssertionResult ModeBecomes(bool interactive) {
    if (WaitUntil([&] { return bool(ModeIs(app_->Capture(), interactive)); })) return ::testing::AssertionSuccess();
    return ModeIs(Frame(), interactive);
  }

  std::unique_ptr<Desktop> desktop_;
  std::unique_ptr<App> app_;
  int bar_ = 0;
};

TEST_F(PortalTest, ActivationsSplitCancelAndToggleAndAHeldKeyRepeats) {
  StartWith({});
  ASSERT_TRUE(BoundAre(kDefaultBinds));
  EXPECT_EQ(desktop_->Sessions(), std::make_pair(1u, 0u)) << "one session for the three keys";

  ASSERT_TRUE(desktop_->Press("split"));
  ASSERT_TRUE(desktop_->Release("split"));
  EXPECT_TRUE(LineBecomes(0)) << "split did not start the run";
  ASSERT_TRUE(desktop_->Press("split"));
  ASSERT_TRUE(desktop_->Release("split"));
  EXPECT_TRUE(LineBecomes(1));
  // Held: the desktop activates again at the repeat rate, then deactivates once.
  for (int i = 0; i < 3; ++i) {
    desktop_->Press("split");
    Sleep(30ms);  // the repeat interval
  }
  desktop_->Release("split");
  EXPECT_TRUE(LineBecomes(4)) << "a held key did not repeat";

  // The keys are the desktop's now: the X11 grab of the same key is not made.
  app_->Key(XK_space);
  EXPECT_EQ(Line(), 4) << "the key also fired through an X11 grab";

  desktop_->Press("cancel");
  EXPECT_TRUE(LineBecomes(-1)) << "cancel did not cancel";
  desktop_->Press("toggle");
  EXPECT_TRUE(ModeBecomes(true));
  desktop_->Press("toggle");
  EXPECT_TRUE(ModeBecomes(false));
  desktop_->Press("nonsense");
  EXPECT_TRUE(app_->Running());
}

// How each kind of desktop is asked: over two starts and one rebind, a bind
// (a dialog in front of the user) only for a change of keys, and one
// component in the desktop's settings.
struct Backend {
  const char* name;
  DesktopParts parts;
  unsigned bindsAtFirstStart;  // then at the second start none, and at the rebind as many
  bool keepsTriggers;
};

void PrintTo(const Backend& backend, std::ostream* os) { *os << backend.name; }

class PortalBackendTest : public PortalTest, public ::testing::WithParamInterface<Backend> {};

TEST_P(PortalBackendTest, AsksOncePerChangeOfKeys) {
  const Backend& backend = GetParam();
  StartWith(backend.parts);
  ASSERT_TRUE(BoundAre(kDefaultBinds));
  ASSERT_TRUE(WaitUntil([&] { return desktop_->BindCalls() == backend.bindsAtFirstStart; }))
      << "binds: " << desktop_->BindCalls();

  StartApp();
  ASSERT_TRUE(WaitUntil([&] { return desktop_->Sessions().first == 2; }));
  desktop_->Press("split");
  EXPECT_TRUE(LineBecomes(0)) << "split did not fire after a restart";
  EXPECT_EQ(desktop_->BindCalls(), backend.bindsAtFirstStart) << "a restart asked the desktop again";
  desktop_->Press("cancel");
  EXPECT_TRUE(LineBecomes(-1));

  SaveSplitAsQ();
  // Keys the desktop already had kept, it keeps (the user changes them in its settings).
  ASSERT_TRUE(BoundAre({"toggle=7", backend.keepsTriggers ? "split=space" : "split=q", "cancel=c"}));
  EXPECT_TRUE(WaitUntil([&] { return desktop_->Sessions() == std::make_pair(3u, 2u); }))
      << "the old session was not closed, or more were made";
  desktop_->Press("split");
  EXPECT_TRUE(LineBecomes(0)) << "split did not fire after the rebind";
  EXPECT_EQ(desktop_->BindCalls(), 2 * backend.bindsAtFirstStart) << "the rebind asked more than once";
  EXPECT_EQ(desktop_->Components(), std::vector<std::string>{"brenvik"});

  // A Save without a change asks nothing.
  app_->Click(kKeybindsTab.x, kKeybindsTab.y);
  app_->Click(kSaveButton.x, kSaveButton.y);
  app_->Click(kTimerTab.x, kTimerTab.y);
  desktop_->Press("cancel");
  EXPECT_TRUE(LineBecomes(-1));
  EXPECT_EQ(desktop_->Sessions(), std::make_pair(3u, 2u));
  EXPECT_EQ(desktop_->BindCalls(), 2 * backend.bindsAtFirstStart);
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, PortalBackendTest,
    ::testing::Values(Backend{"BindsWithADialog", {}, 1, false},
                      Backend{"BindsWithADialogKeepingTheUsersKeys", {.keepsTriggers = true}, 1, true},
                      Backend{"BindsAtCreate", {.bindsAt = "create"}, 0, false},
                      Backend{
                          "BindsAtCreateKeepingTheUsersKeys", {.bindsAt = "create", .keepsTriggers = true}, 0, true}),
    [](const ::testing::TestParamInfo<Backend>& info) { return std::string(info.param.name); });

// Whatever closes the portal's road, the X11 grabs take the keys, silently.
struct Fallback {
  const char* name;
  DesktopParts parts;
};

void PrintTo(const Fallback& fallback, std::ostream* os) { *os << fallback.name; }

class PortalFallbackTest : public PortalTest, public ::testing::WithParamInterface<Fallback> {};

TEST_P(PortalFallbackTest, TheX11GrabsTakeTheKeys) {
  StartWith(GetParam().parts);
  // A refused bind is known only when the desktop answers.
  if (GetParam().parts.backend) {
    ASSERT_TRUE(WaitUntil([&] { return desktop_->Sessions().first == 1; }));
  }
  // The program makes its X11 grabs once it has the desktop's answer: until
  // then Space does nothing.
  EXPECT_TRUE(WaitUntil([&] {
    app_->Key(XK_space);
    return Line() == 0;
  })) << "Space did not split";
  app_->Key(XK_space);
  EXPECT_TRUE(LineBecomes(1));
  app_->Key(XK_c);
  EXPECT_TRUE(LineBecomes(-1)) << "C did not cancel";
  app_->Key(XK_7);
  EXPECT_TRUE(ModeBecomes(true));
}

INSTANTIATE_TEST_SUITE_P(Roads, PortalFallbackTest,
                         ::testing::Values(Fallback{"RefusedBind", {.bindResponse = 1}},
                                           Fallback{"FailedBind", {.bindResponse = 2}},
                                           Fallback{"EmptyBind", {.bindNothing = true}},
                                           Fallback{"NoBackend", {.backend = false}},
                                           Fallback{"NoPortal", {.frontend = false, .backend = false}},
                                           Fallback{"NoBus", {.bus = false, .frontend = false, .backend = false}}),
                         [](const ::testing::TestParamInfo<Fallback>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
