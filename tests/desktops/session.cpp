#include "session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace desktops {

namespace {

std::chrono::steady_clock::time_point Deadline(Millis timeout) { return std::chrono::steady_clock::now() + timeout; }

int MillisLeft(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<Millis>(deadline - std::chrono::steady_clock::now()).count();
  return static_cast<int>(std::max<long long>(0, left));
}

}  // namespace

Child::Child(const std::vector<std::string>& argv) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) < 0) return;
  if (pipe2(out, O_CLOEXEC) < 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  in_ = in[1];
  out_ = out[0];
  fcntl(out_, F_SETFL, O_NONBLOCK);
}

Child::~Child() {
  if (in_ >= 0) close(in_);
  if (out_ >= 0) close(out_);
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

bool Child::Running() { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

bool Child::WriteLine(const std::string& line) {
  const std::string text = line + "\n";
  return in_ >= 0 && write(in_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

const std::vector<std::string>& Child::Lines(Millis wait) {
  pollfd fd{out_, POLLIN, 0};
  const auto deadline = Deadline(wait);
  do {
    if (poll(&fd, 1, MillisLeft(deadline)) <= 0) break;
    char buffer[4096];
    const ssize_t n = read(out_, buffer, sizeof buffer);
    if (n <= 0) break;
    partial_.append(buffer, static_cast<size_t>(n));
    for (size_t end; (end = partial_.find('\n')) != std::string::npos; partial_.erase(0, end + 1))
      lines_.push_back(partial_.substr(0, end));
  } while (wait > 0ms);
  return lines_;
}

bool Child::WaitLine(const std::string& want, size_t from, Millis timeout) {
  const auto deadline = Deadline(timeout);
  while (true) {
    const auto& lines = Lines(0ms);
    if (lines.size() > from && std::find(lines.begin() + static_cast<long>(from), lines.end(), want) != lines.end())
      return true;
    if (MillisLeft(deadline) == 0 || !Running()) return false;
    Lines(Millis(std::min(MillisLeft(deadline), 100)));
  }
}

NativeWindow::NativeWindow(const std::string& title, const std::vector<std::string>& options)
    : child_([&] {
        std::vector<std::string> argv{"/usr/bin/python3", BRENVIK_NATIVE_WINDOW, title};
        argv.insert(argv.end(), options.begin(), options.end());
        return argv;
      }()) {}

size_t NativeWindow::Clicks() {
  std::vector<std::string> clicks;
  for (const std::string& line : Presses())
    if (line.starts_with("button 1 ") && std::find(clicks.begin(), clicks.end(), line) == clicks.end())
      clicks.push_back(line);
  return clicks.size();
}

PortalCallCounter::PortalCallCounter() {
  if (sd_bus_open_user(&bus_) < 0) return;
  sd_bus_message* m = nullptr;
  int r = sd_bus_message_new_method_call(bus_, &m, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                         "org.freedesktop.DBus.Monitoring", "BecomeMonitor");
  if (r >= 0)
    r = sd_bus_message_append(m, "asu", 1, "type='method_call',interface='org.freedesktop.portal.GlobalShortcuts'", 0);
  if (r >= 0) r = sd_bus_call(bus_, m, 0, nullptr, nullptr);
  sd_bus_message_unref(m);
  if (r < 0) bus_ = sd_bus_flush_close_unref(bus_);
}

PortalCallCounter::~PortalCallCounter() { sd_bus_flush_close_unref(bus_); }

unsigned PortalCallCounter::Count(const std::string& method) {
  // A monitor only reads: every message waiting is taken as it stands.
  while (bus_) {
    sd_bus_message* m = nullptr;
    if (sd_bus_process(bus_, &m) <= 0) break;
    if (m && sd_bus_message_get_member(m)) seen_.emplace_back(sd_bus_message_get_member(m));
    sd_bus_message_unref(m);
  }
  return static_cast<unsigned>(std::count(seen_.begin(), seen_.end(), method));
}

Receiver::Receiver(sd_bus* bus) : bus_(bus) {
  static const sd_bus_vtable kVtable[] = {
      SD_BUS_VTABLE_START(0),
      SD_BUS_METHOD("Report", "s", "", &Receiver::OnReport, SD_BUS_VTABLE_UNPRIVILEGED),
      SD_BUS_VTABLE_END,
  };
  sd_bus_add_object_vtable(bus_, &slot_, "/", kName, kVtable, this);
  sd_bus_request_name(bus_, kName, 0);
}

Receiver::~Receiver() {
  sd_bus_release_name(bus_, kName);
  sd_bus_slot_unref(slot_);
}

int Receiver::OnReport(sd_bus_message* m, void* self, sd_bus_error*) {
  const char* text = nullptr;
  if (sd_bus_message_read(m, "s", &text) >= 0) static_cast<Receiver*>(self)->reports_.emplace_back(text);
  return sd_bus_reply_method_return(m, "");
}

std::optional<std::string> Receiver::Next(Millis timeout) {
  const auto deadline = Deadline(timeout);
  while (reports_.empty()) {
    const int r = sd_bus_process(bus_, nullptr);
    if (r < 0) return std::nullopt;
    if (r > 0) continue;
    if (MillisLeft(deadline) == 0) return std::nullopt;
    sd_bus_wait(bus_, static_cast<std::uint64_t>(std::min(MillisLeft(deadline), 100)) * 1000);
  }
  std::string report = reports_.front();
  reports_.erase(reports_.begin());
  return report;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
    parts.push_back(text.substr(start, end - start));
  parts.push_back(text.substr(start));
  return parts;
}

unsigned LetterKey(char letter) {
  // The rows of a US keyboard, as evdev numbers them.
  static const std::string rows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
  static const unsigned first[] = {16, 30, 44};
  for (int r = 0; r < 3; ++r)
    if (const size_t at = rows[r].find(letter); at != std::string::npos) return first[r] + static_cast<unsigned>(at);
  return 0;
}

}  // namespace desktops
