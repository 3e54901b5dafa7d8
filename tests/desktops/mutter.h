// Mutter's side of a test: real input through its RemoteDesktop interface,
// which it takes as a device's key presses and pointer events.
#pragma once

#include <systemd/sd-bus.h>

#include <string>

namespace desktops {

class MutterInput {
 public:
  explicit MutterInput(sd_bus* bus);
  ~MutterInput();
  MutterInput(const MutterInput&) = delete;
  MutterInput& operator=(const MutterInput&) = delete;
  bool Ok() const { return !session_.empty(); }
  // Evdev key codes; each returns when Mutter has taken the request.
  bool Key(unsigned code);
  bool MoveTo(int x, int y);
  bool Click(int x, int y);

 private:
  bool Call(const char* method, const char* types, ...);
  sd_bus* bus_;
  std::string session_;
};

}  // namespace desktops
