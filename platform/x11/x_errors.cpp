#include "x11/x_errors.h"

namespace platform::x11 {
namespace {

// Xlib calls error handlers without a context pointer; one trap at a time
// is all a single-threaded driver needs.
int g_trappedError = 0;

int IgnoreError(Display*, XErrorEvent*) { return 0; }

int RecordError(Display*, XErrorEvent* error) {
  if (g_trappedError == 0) g_trappedError = error->error_code;
  return 0;
}

}  // namespace

void InstallQuietErrorHandler() { XSetErrorHandler(IgnoreError); }

ErrorTrap::ErrorTrap(Display* dpy) : dpy_(dpy) {
  XSync(dpy_, False);  // earlier errors belong to someone else
  g_trappedError = 0;
  previous_ = XSetErrorHandler(RecordError);
}

ErrorTrap::~ErrorTrap() { Finish(); }

int ErrorTrap::Finish() {
  if (finished_) return g_trappedError;
  XSync(dpy_, False);
  XSetErrorHandler(previous_);
  finished_ = true;
  return g_trappedError;
}

}  // namespace platform::x11
