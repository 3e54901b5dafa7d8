#include "mutter.h"

#include <cstdarg>

#include "session.h"

namespace desktops {

namespace {
constexpr const char* kSessionIface = "org.gnome.Mutter.RemoteDesktop.Session";
}

MutterInput::MutterInput(sd_bus* bus) : bus_(bus) {
  sd_bus_message* reply = nullptr;
  const char* path = nullptr;
  if (sd_bus_call_method(bus_, "org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop",
                         "org.gnome.Mutter.RemoteDesktop", "CreateSession", nullptr, &reply, "") >= 0 &&
      sd_bus_message_read(reply, "o", &path) > 0)
    session_ = path;
  sd_bus_message_unref(reply);
  if (!session_.empty() && !Call("Start", "")) session_.clear();
}

MutterInput::~MutterInput() {
  if (!session_.empty()) Call("Stop", "");
}

bool MutterInput::Call(const char* method, const char* types, ...) {
  sd_bus_message* m = nullptr;
  int r = sd_bus_message_new_method_call(bus_, &m, "org.gnome.Mutter.RemoteDesktop", session_.c_str(), kSessionIface,
                                         method);
  va_list args;
  va_start(args, types);
  if (r >= 0) r = sd_bus_message_appendv(m, types, args);
  va_end(args);
  if (r >= 0) r = sd_bus_call(bus_, m, 0, nullptr, nullptr);
  sd_bus_message_unref(m);
  return r >= 0;
}

bool MutterInput::Key(unsigned code) {
  return Call("NotifyKeyboardKeycode", "ub", code, 1) && Call("NotifyKeyboardKeycode", "ub", code, 0);
}

bool MutterInput::MoveTo(int x, int y) {
  // Relative motion is not accelerated: from the top-left corner, exactly there.
  return Call("NotifyPointerMotionRelative", "dd", -4000.0, -4000.0) &&
         Call("NotifyPointerMotionRelative", "dd", static_cast<double>(x), static_cast<double>(y));
}

bool MutterInput::Click(int x, int y) {
  return MoveTo(x, y) && Call("NotifyPointerButton", "ib", static_cast<int>(kLeftButton), 1) &&
         Call("NotifyPointerButton", "ib", static_cast<int>(kLeftButton), 0);
}

}  // namespace desktops
