// What any X client pays on this machine for what the overlay does each
// tick, with no drawing of its own: `wake` wakes up every 15 ms with a
// mapped window and does nothing; `put` also changes a box the size of a
// running time's last digits and sends it to the server. The overlay's
// cost above these is its own. Runs until killed (bench/overlay_cost).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
  const bool put = argc > 1 && std::strcmp(argv[1], "put") == 0;
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
    if (!put) continue;
    for (int y = kBoxY; y < kBoxY + kBoxHeight; ++y)
      std::memset(&pixels[(static_cast<std::size_t>(y) * kWidth + kBoxX) * 4], static_cast<int>(tick & 0xff),
                  kBoxWidth * 4);
    XPutImage(dpy, window, gc, image, kBoxX, kBoxY, kBoxX, kBoxY, kBoxWidth, kBoxHeight);
    XFlush(dpy);
  }
}
