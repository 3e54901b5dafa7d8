// Stands in for the game under the overlay: a plain managed window that
// takes the focus and logs what reaches it, one line each, to a file:
//   window <id>            once, when it is mapped and has asked for the focus
//   press <button> <x> <y> a button press, in root coordinates
//   key <keysym name>      a key press
//   mark <n>               the test set the BRENVIK_MARK property to n: all
//                          that reached the window before is logged
// SIGUSR1 makes it raise itself and take the focus again. With "fullscreen"
// it asks to be fullscreen and unredirected, as games do.
// Usage: wm_game_window <log file> <x> <y> <width> <height> [fullscreen]
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <sys/select.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../common/wait_until.h"

namespace {

volatile std::sig_atomic_t stop = 0;
// A focus asked for before the manager has shown the frame fails: no
// error may end the game.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

bool Viewable(Display* dpy, Window w) {
  XWindowAttributes a{};
  return XGetWindowAttributes(dpy, w, &a) && a.map_state == IsViewable;
}

volatile std::sig_atomic_t activate = 0;

void Activate(Display* dpy, Window w) {
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = w;
  ev.xclient.message_type = XInternAtom(dpy, "_NET_ACTIVE_WINDOW", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = 2;  // as a pager asks: no focus-stealing rules apply
  ev.xclient.data.l[1] = CurrentTime;
  XSendEvent(dpy, DefaultRootWindow(dpy), False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
  XRaiseWindow(dpy, w);
  XSetInputFocus(dpy, w, RevertToParent, CurrentTime);
  XFlush(dpy);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6 && !(argc == 7 && std::string(argv[6]) == "fullscreen")) {
    std::fprintf(stderr, "usage: %s <log file> <x> <y> <width> <height> [fullscreen]\n", argv[0]);
    return 2;
  }
  FILE* log = std::fopen(argv[1], "w");
  Display* dpy = XOpenDisplay(nullptr);
  if (!log || !dpy) {
    std::fprintf(stderr, "cannot open the log or the display\n");
    return 1;
  }
  std::setvbuf(log, nullptr, _IOLBF, 0);
  XSetErrorHandler(IgnoreXError);
  std::signal(SIGTERM, [](int) { stop = 1; });
  std::signal(SIGUSR1, [](int) { activate = 1; });
  const int x = std::atoi(argv[2]), y = std::atoi(argv[3]);
  const unsigned width = static_cast<unsigned>(std::atoi(argv[4]));
  const unsigned height = static_cast<unsigned>(std::atoi(argv[5]));

  XSetWindowAttributes attrs{};
  attrs.background_pixel = 0x406040;
  attrs.event_mask = ButtonPressMask | KeyPressMask | PropertyChangeMask;
  const Window w = XCreateWindow(dpy, DefaultRootWindow(dpy), x, y, width, height, 0, CopyFromParent, InputOutput,
                                 CopyFromParent, CWBackPixel | CWEventMask, &attrs);
  XStoreName(dpy, w, "Game");
  XSizeHints size{};
  size.flags = USPosition | USSize;
  size.x = x;
  size.y = y;
  size.width = static_cast<int>(width);
  size.height = static_cast<int>(height);
  XSetWMNormalHints(dpy, w, &size);
  XWMHints hints{};
  hints.flags = InputHint;
  hints.input = True;
  XSetWMHints(dpy, w, &hints);
  if (argc == 7) {
    const long fullscreen = static_cast<long>(XInternAtom(dpy, "_NET_WM_STATE_FULLSCREEN", False));
    XChangeProperty(dpy, w, XInternAtom(dpy, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&fullscreen), 1);
    const long bypass = 1;
    XChangeProperty(dpy, w, XInternAtom(dpy, "_NET_WM_BYPASS_COMPOSITOR", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&bypass), 1);
  }
  XMapWindow(dpy, w);
  testwait::WaitUntil([&] { return Viewable(dpy, w); });
  const Atom mark = XInternAtom(dpy, "BRENVIK_MARK", False);
  Activate(dpy, w);
  std::fprintf(log, "window %lu\n", w);

  while (!stop) {
    while (!stop && XPending(dpy) == 0) {
      if (activate) {
        activate = 0;
        Activate(dpy, w);
        std::fprintf(log, "activated\n");
      }
      fd_set fds;
      FD_ZERO(&fds);
      FD_SET(ConnectionNumber(dpy), &fds);
      timeval tick{0, 100000};
      select(ConnectionNumber(dpy) + 1, &fds, nullptr, nullptr, &tick);
    }
    if (stop) break;
    if (XPending(dpy) == 0) continue;
    XEvent ev;
    XNextEvent(dpy, &ev);
    if (ev.type == ButtonPress) {
      std::fprintf(log, "press %u %d %d\n", ev.xbutton.button, ev.xbutton.x_root, ev.xbutton.y_root);
    } else if (ev.type == KeyPress) {
      const KeySym sym = XLookupKeysym(&ev.xkey, 0);
      const char* name = XKeysymToString(sym);
      std::fprintf(log, "key %s\n", name ? name : "?");
    } else if (ev.type == PropertyNotify && ev.xproperty.atom == mark && ev.xproperty.state == PropertyNewValue) {
      Atom type = None;
      int format = 0;
      unsigned long count = 0, after = 0;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(dpy, w, mark, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
              Success &&
          data) {
        if (format == 32 && count == 1) std::fprintf(log, "mark %ld\n", *reinterpret_cast<long*>(data));
        XFree(data);
      }
    }
  }
  XDestroyWindow(dpy, w);
  XCloseDisplay(dpy);
  std::fclose(log);
  return 0;
}
