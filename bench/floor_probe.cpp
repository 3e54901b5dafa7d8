// What any X client pays on this machine for what the overlay does each
// tick, with no drawing of its own: `wake` wakes up every 15 ms with a
// mapped window and does nothing; `put` also changes a box the size of a
// running time's last digits and sends it to the server. The overlay's
// cost above these is its own. Two more show why: `sleep` only sleeps
// 15 ms, with no display at all, and `cold` is `wake` plus a chain of 1,000
// dependent loads over 64 KB, which a warm cache answers in a few
// microseconds. Runs until killed (bench/overlay_cost).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <cstdio>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <random>
#include <vector>

int main(int argc, char** argv) {
  const char* mode = argc > 1 ? argv[1] : "wake";
  if (std::strcmp(mode, "sleep") == 0)
    for (;;) poll(nullptr, 0, 15);
  const bool put = std::strcmp(mode, "put") == 0;
  const bool cold = std::strcmp(mode, "cold") == 0;
  // One 64-byte line per link, visited in a shuffled order so that no
  // prefetcher can guess the next one.
  constexpr std::size_t kLinks = 1000, kStride = 64 / sizeof(std::uintptr_t);
  std::vector<std::uintptr_t> chain(kLinks * kStride);
  {
    std::vector<std::size_t> order(kLinks);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin() + 1, order.end(), std::mt19937(1));
    for (std::size_t i = 0; i < kLinks; ++i) chain[order[i] * kStride] = order[(i + 1) % kLinks] * kStride;
  }
  std::uintptr_t at = 0;
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy) {
    std::fprintf(stderr, "floor_probe: no display\n");
    return 1;
  }
  const int screen = DefaultScreen(dpy);
  constexpr int kWidth = 320, kHeight = 548;
  constexpr int kBoxX = 233, kBoxY = 81, kBoxWidth = 72, kBoxHeight = 47;
  const Window window = XCreateSimpleWindow(dpy, RootWindow(dpy, screen), 0, 0, kWidth, kHeight, 0, 0, 0);
  XStoreName(dpy, window, "floor_probe");
  XMapWindow(dpy, window);
  const GC gc = XCreateGC(dpy, window, 0, nullptr);
  std::vector<char> pixels(static_cast<std::size_t>(kWidth) * kHeight * 4);
  XImage* image = XCreateImage(dpy, DefaultVisual(dpy, screen), static_cast<unsigned>(DefaultDepth(dpy, screen)),
                               ZPixmap, 0, pixels.data(), kWidth, kHeight, 32, kWidth * 4);
  XSync(dpy, False);
  pollfd fd{ConnectionNumber(dpy), POLLIN, 0};
  for (unsigned tick = 0;; ++tick) {
    poll(&fd, 1, 15);
    while (XPending(dpy)) {
      XEvent event;
      XNextEvent(dpy, &event);
    }
    if (cold) {
      for (std::size_t i = 0; i < kLinks; ++i) at = chain[at];
      asm volatile("" : : "r"(at));
    }
    if (!put) continue;
    for (int y = kBoxY; y < kBoxY + kBoxHeight; ++y)
      std::memset(&pixels[(static_cast<std::size_t>(y) * kWidth + kBoxX) * 4], static_cast<int>(tick & 0xff),
                  kBoxWidth * 4);
    XPutImage(dpy, window, gc, image, kBoxX, kBoxY, kBoxX, kBoxY, kBoxWidth, kBoxHeight);
    XFlush(dpy);
  }
}
