// X errors arrive asynchronously and Xlib's default handler ends the process.
#pragma once

#include "x11/xlib.h"

namespace platform::x11 {

// Errors that nobody waits for are ignored: a request on a window that has
// just gone away must not end the overlay.
void InstallQuietErrorHandler();

// Records the first error of the requests made while it lives. Finish()
// waits for the server (XSync) and gives the error code, 0 when none.
class ErrorTrap {
 public:
  explicit ErrorTrap(Display* dpy);
  ~ErrorTrap();
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;
  int Finish();

 private:
  Display* dpy_;
  bool finished_ = false;
  int (*previous_)(Display*, XErrorEvent*);
};

}  // namespace platform::x11
