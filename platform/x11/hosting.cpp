#include "x11/hosting.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace platform::x11 {

bool IsXWayland(Display* dpy) {
  int opcode = 0, event = 0, error = 0;
  if (XQueryExtension(dpy, "XWAYLAND", &opcode, &event, &error) == True) return true;
  // XWayland before 23.1 does not name itself; a Wayland session names its
  // display to every client it starts.
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return wayland && *wayland;
}

Hosting ChooseHosting(bool xwayland, const std::string& managerName) {
  if (!xwayland) return Hosting::Unmanaged;
  std::string name = managerName;
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  if (name.find("kwin") != std::string::npos) return Hosting::ManagedForKeys;
  if (name.find("mutter") != std::string::npos || name.find("gnome shell") != std::string::npos)
    return Hosting::Managed;
  return Hosting::Unmanaged;
}

}  // namespace platform::x11
