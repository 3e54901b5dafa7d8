// How soon the overlay is back on top after another window is raised over
// it: a plain window of this client covers the screen and is raised again
// and again; each time, the stacking order is polled until the overlay
// (a running brenvik, found by its title) is above it once more. Not a test:
// run it by hand beside a running brenvik (raise_latency [raises]).
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

Window FindByName(Display* d, Window parent, const char* name) {
  Window root = 0, up = 0, *children = nullptr;
  unsigned n = 0;
  if (!XQueryTree(d, parent, &root, &up, &children, &n)) return 0;
  Window found = 0;
  for (unsigned i = 0; i < n && !found; ++i) {
    char* title = nullptr;
    if (XFetchName(d, children[i], &title) && title) {
      if (std::strcmp(title, name) == 0) found = children[i];
      XFree(title);
    }
    if (!found) found = FindByName(d, children[i], name);
  }
  if (children) XFree(children);
  return found;
}

// Whether `a` is above `b` among the root's children.
bool IsAbove(Display* d, Window a, Window b) {
  Window root = 0, up = 0, *children = nullptr;
  unsigned n = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &up, &children, &n)) return false;
  int ia = -1, ib = -1;
  for (unsigned i = 0; i < n; ++i) {
    if (children[i] == a) ia = static_cast<int>(i);
    if (children[i] == b) ib = static_cast<int>(i);
  }
  if (children) XFree(children);
  return ia > ib;
}

}  // namespace

int main(int argc, char** argv) {
  const int raises = argc > 1 ? std::atoi(argv[1]) : 100;
  Display* d = XOpenDisplay(nullptr);
  if (!d) return 1;
  Window overlay = 0;
  for (int i = 0; i < 100 && !overlay; ++i) {
    overlay = FindByName(d, DefaultRootWindow(d), "Brenvik");
    if (!overlay) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (!overlay) {
    std::fprintf(stderr, "no window titled Brenvik\n");
    return 1;
  }
  const int screen = DefaultScreen(d);
  const Window game = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, DisplayWidth(d, screen),
                                          DisplayHeight(d, screen), 0, 0, 0x406040);
  XMapWindow(d, game);
  XSync(d, False);
  std::vector<double> ms;
  using Clock = std::chrono::steady_clock;
  for (int i = 0; i < raises; ++i) {
    const auto settle = Clock::now() + std::chrono::seconds(5);
    while (!IsAbove(d, overlay, game) && Clock::now() < settle)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    XRaiseWindow(d, game);
    XSync(d, False);
    const auto start = Clock::now();
    while (!IsAbove(d, overlay, game) && Clock::now() - start < std::chrono::seconds(5)) {
    }
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf("back on top after a raise, %d raises: median %.1f ms, 90th percentile %.1f ms, max %.1f ms\n", raises,
              ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back());
  XCloseDisplay(d);
  return 0;
}
