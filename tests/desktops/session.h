// What the tests on a real desktop share: child processes spoken to over
// pipes, the native Wayland window, a monitor of the portal calls, and a
// small D-Bus receiver that desktop scripts report to.
#pragma once

#include <systemd/sd-bus.h>
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace desktops {

using Millis = std::chrono::milliseconds;
using namespace std::chrono_literals;

// Evdev codes, as compositors take input.
inline constexpr unsigned kKeySpace = 57, kKeyC = 46, kKey7 = 8, kKeyQ = 16, kKeyShift = 42, kKeyBackspace = 14,
                          kKeyEnd = 107, kLeftButton = 272;
// The evdev code of a lower-case letter; 0 for anything else.
unsigned LetterKey(char letter);

// A child process: lines to its standard input, lines from its standard
// output; standard error goes to the test's.
class Child {
 public:
  explicit Child(const std::vector<std::string>& argv);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool Running();
  bool WriteLine(const std::string& line);
  // Every line read so far, waiting at most `wait` for more.
  const std::vector<std::string>& Lines(Millis wait = 0ms);
  // Waits for a line equal to `want` after the first `from` lines.
  bool WaitLine(const std::string& want, size_t from, Millis timeout);

 private:
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
  std::string partial_;
  std::vector<std::string> lines_;
};

// A GTK window on the compositor's own protocol, as a native game is; it
// prints the keys and buttons that reach it.
class NativeWindow {
 public:
  NativeWindow(const std::string& title, const std::vector<std::string>& options);
  // The presses that reached it ("key space", "button 1 TIME").
  const std::vector<std::string>& Presses() { return child_.Lines(); }
  // Presses of the left button so far.
  size_t Clicks();

 private:
  Child child_;
};

// Counts the calls made to the GlobalShortcuts portal on the session bus
// (a monitor connection: the calls of every client).
class PortalCallCounter {
 public:
  PortalCallCounter();
  ~PortalCallCounter();
  PortalCallCounter(const PortalCallCounter&) = delete;
  PortalCallCounter& operator=(const PortalCallCounter&) = delete;
  bool Ok() const { return bus_ != nullptr; }
  // Calls of the method so far ("CreateSession", "BindShortcuts").
  unsigned Count(const std::string& method);

 private:
  sd_bus* bus_ = nullptr;
  std::vector<std::string> seen_;
};

// Owns brenvik.test.Receiver on the session bus: scripts the desktop runs
// call its Report(s) method.
class Receiver {
 public:
  static constexpr const char* kName = "brenvik.test.Receiver";
  explicit Receiver(sd_bus* bus);
  ~Receiver();
  // The next report, waiting at most `timeout`.
  std::optional<std::string> Next(Millis timeout);

 private:
  static int OnReport(sd_bus_message* m, void* self, sd_bus_error*);
  sd_bus* bus_;
  sd_bus_slot* slot_ = nullptr;
  std::vector<std::string> reports_;
};

// Splits text at a separator.
std::vector<std::string> Split(const std::string& text, char separator);

}  // namespace desktops
