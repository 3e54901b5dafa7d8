// A private desktop session for one test: its own session bus
// (dbus-daemon), Debian's real xdg-desktop-portal frontend, and a backend
// double of the desktop's global shortcuts (python-dbusmock) that the test
// drives. Any of the three can be left out.
#pragma once

#include <systemd/sd-bus.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace portaltest {

struct DesktopParts {
  bool bus = true;
  bool frontend = true;
  bool backend = true;
  // "bind": binds show the user a dialog; "create": the keys named when a
  // session is made are bound then, and a bind binds nothing.
  const char* bindsAt = "bind";
  bool keepsTriggers = false;  // a shortcut it has keeps its key when asked again
  unsigned bindResponse = 0;   // what the backend answers every bind with
  bool bindNothing = false;    // it answers 0 but binds none of the keys
};

class Desktop {
 public:
  explicit Desktop(DesktopParts parts);
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  // Waits until every part that was asked for answers on the bus; what is
  // missing, empty when nothing is.
  std::string Ready();
  // The session bus address for a program started now (a dead one without a bus).
  std::string BusAddress() const;

  // The backend's side.
  // False when the backend did not take the call.
  bool Press(const std::string& shortcut);
  bool Release(const std::string& shortcut);
  // "id=trigger" of the newest bind, in the order asked.
  std::vector<std::string> Bound();
  // Sessions created and closed so far.
  std::pair<unsigned, unsigned> Sessions();
  // Binds asked for so far: each one a dialog in front of the user.
  unsigned BindCalls();
  // The names the desktop files shortcuts under, one per session token.
  std::vector<std::string> Components();
  // A send of Press that does not wait for its answer (for the bench).
  void PressNoWait(const std::string& shortcut);
  sd_bus* bus() const { return bus_; }

 private:
  pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env, const char* log);
  bool HasOwner(const char* name);
  bool Call(const char* method, const std::string& arg);
  std::vector<std::string> Strings(const char* method);

  DesktopParts parts_;
  std::filesystem::path dir_;
  std::vector<pid_t> children_;
  sd_bus* bus_ = nullptr;
};

}  // namespace portaltest
