#include "second_client.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>

#include <climits>

#include "x11/x_errors.h"

namespace x11test {

OtherClient::OtherClient() : dpy_(XOpenDisplay(nullptr)) {}

OtherClient::~OtherClient() {
  if (!dpy_) return;
  for (Window w : windows_) XDestroyWindow(dpy_, w);
  XCloseDisplay(dpy_);
}

Atom OtherClient::AtomNamed(const char* name) { return XInternAtom(dpy_, name, False); }

Window OtherClient::MapWindow(int x, int y, int width, int height, long eventMask) {
  XSetWindowAttributes attrs{};
  attrs.background_pixel = 0x00336699;
  attrs.event_mask = eventMask;
  const Window w = XCreateWindow(dpy_, DefaultRootWindow(dpy_), x, y, width, height, 0, CopyFromParent, InputOutput,
                                 CopyFromParent, CWBackPixel | CWEventMask, &attrs);
  XMapRaised(dpy_, w);
  XSync(dpy_, False);
  windows_.push_back(w);
  return w;
}

void OtherClient::Focus(Window w) {
  XSetInputFocus(dpy_, w, RevertToParent, CurrentTime);
  XSync(dpy_, False);
}

void OtherClient::Key(KeySym sym, bool down) {
  XTestFakeKeyEvent(dpy_, XKeysymToKeycode(dpy_, sym), down ? True : False, CurrentTime);
  XSync(dpy_, False);
}

void OtherClient::Tap(KeySym sym) {
  Key(sym, true);
  Key(sym, false);
}

void OtherClient::MovePointer(int x, int y) {
  XTestFakeMotionEvent(dpy_, -1, x, y, CurrentTime);
  XSync(dpy_, False);
}

void OtherClient::Button(unsigned button, bool down) {
  XTestFakeButtonEvent(dpy_, button, down ? True : False, CurrentTime);
  XSync(dpy_, False);
}

void OtherClient::Click(int x, int y) {
  MovePointer(x, y);
  Button(1, true);
  Button(1, false);
}

void OtherClient::SetNumLock(bool on) {
  const unsigned mask = XkbKeysymToModifiers(dpy_, XK_Num_Lock);
  XkbLockModifiers(dpy_, XkbUseCoreKbd, mask, on ? mask : 0);
  XSync(dpy_, False);
}

bool OtherClient::GrabKey(KeySym sym, unsigned modifiers) {
  platform::x11::ErrorTrap trap(dpy_);
  XGrabKey(dpy_, XKeysymToKeycode(dpy_, sym), modifiers, DefaultRootWindow(dpy_), False, GrabModeAsync, GrabModeAsync);
  return trap.Finish() == 0;
}

std::vector<long> OtherClient::Longs(Window w, const char* property) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> values;
  if (XGetWindowProperty(dpy_, w, AtomNamed(property), 0, 64, False, AnyPropertyType, &type, &format, &count, &after,
                         &data) == Success &&
      data && format == 32) {
    const long* longs = reinterpret_cast<const long*>(data);
    values.assign(longs, longs + count);
  }
  if (data) XFree(data);
  return values;
}

std::string OtherClient::Bytes(Window w, const char* property) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string bytes;
  if (XGetWindowProperty(dpy_, w, AtomNamed(property), 0, LONG_MAX / 4, False, AnyPropertyType, &type, &format, &count,
                         &after, &data) == Success &&
      data && format == 8)
    bytes.assign(reinterpret_cast<const char*>(data), count);
  if (data) XFree(data);
  return bytes;
}

std::vector<std::uint32_t> OtherClient::Pixels(Window w, int x, int y, int width, int height) {
  std::vector<std::uint32_t> pixels;
  XImage* image = XGetImage(dpy_, w, x, y, width, height, AllPlanes, ZPixmap);
  if (!image) return pixels;
  for (int row = 0; row < height; ++row)
    for (int col = 0; col < width; ++col)
      pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, col, row)) & 0xFFFFFF);
  XDestroyImage(image);
  return pixels;
}

bool OtherClient::NextEvent(Window w, int type, XEvent* ev, int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  XSync(dpy_, False);
  for (;;) {
    if (XCheckTypedWindowEvent(dpy_, w, type, ev)) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    pollfd fd{ConnectionNumber(dpy_), POLLIN, 0};
    poll(&fd, 1, 10);
  }
}

void Pump(platform::X11Driver& driver, int ms) {
  PumpUntil(
      driver, [] { return false; }, ms);
}

HWND FakeHwnd(int n) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1000 + n)); }

void DriverTest::SetUp() {
  Events().clear();
  // The server resets when its last client leaves (the previous test's) and
  // refuses connections meanwhile.
  testwait::WaitUntil([&] { return (driver = platform::X11Driver::Open(nullptr)) != nullptr; });
  ASSERT_TRUE(driver) << "these tests need an X server (scripts/with-xvfb.sh)";
  other = std::make_unique<OtherClient>();
  ASSERT_TRUE(other->dpy());
}

void DriverTest::TearDown() {
  other.reset();
  driver.reset();
}

HWND DriverTest::ShowOverlay(int x, int y, int width, int height) {
  const HWND hwnd = FakeHwnd(1);
  platform::TopLevelInit init;
  init.title = L"Brenvik";
  init.className = L"BrenvikApp";
  init.x = x;
  init.y = y;
  init.width = width;
  init.height = height;
  init.style = WS_POPUP;
  init.exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED;
  driver->CreateTopLevel(hwnd, init);
  driver->ShowTopLevel(hwnd, true);
  XSync(driver->display(), False);
  Pump(*driver, 50);
  Events().clear();
  return hwnd;
}

}  // namespace x11test
