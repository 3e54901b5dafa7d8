#include "desktop.h"

#include <signal.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "../common/wait_until.h"

namespace portaltest {
namespace fs = std::filesystem;

namespace {

constexpr const char* kBackendName = "org.freedesktop.impl.portal.BrenvikTest";
constexpr const char* kPortalName = "org.freedesktop.portal.Desktop";
constexpr const char* kDesktopPath = "/org/freedesktop/portal/desktop";
constexpr const char* kControl = "brenvik.test.Backend";

// No service directories: nothing on this bus starts by activation, so a
// part left out stays out.
void WriteBusConfig(const fs::path& file, const fs::path& socket) {
  std::ofstream(file) << "<busconfig>\n<type>session</type>\n<listen>unix:path=" << socket.string()
                      << "</listen>\n<auth>EXTERNAL</auth>\n<policy context=\"default\">\n"
                         "<allow send_destination=\"*\" eavesdrop=\"true\"/>\n<allow eavesdrop=\"true\"/>\n"
                         "<allow own=\"*\"/>\n</policy>\n</busconfig>\n";
}

// The test's own files, where the build found them, or where a run as
// another user was given copies (that user may not reach the checkout).
std::string TestFile(const char* variable, const char* built) {
  const char* given = std::getenv(variable);
  return given && *given ? given : built;
}

}  // namespace

Desktop::Desktop(DesktopParts parts) : parts_(parts) {
  std::string tmpl = (fs::temp_directory_path() / "brenvik-portal-XXXXXX").string();
  if (char* made = mkdtemp(tmpl.data())) dir_ = made;
  fs::create_directories(dir_ / "portals");
  if (!parts_.bus) return;
  WriteBusConfig(dir_ / "bus.conf", dir_ / "bus");
  Spawn({"/usr/bin/dbus-daemon", "--nofork", "--config-file=" + (dir_ / "bus.conf").string()}, {}, "bus.log");
  // The socket's file appears when the daemon binds it, a moment before it
  // listens: a connection refused then is tried again.
  testwait::WaitUntil([&] {
    if (!fs::exists(dir_ / "bus")) return false;
    sd_bus* bus = nullptr;
    if (sd_bus_new(&bus) < 0) return false;
    sd_bus_set_address(bus, BusAddress().c_str());
    sd_bus_set_bus_client(bus, 1);
    if (sd_bus_start(bus) < 0) {
      sd_bus_unref(bus);
      return false;
    }
    bus_ = bus;
    return true;
  });
  const std::string busEnv = "DBUS_SESSION_BUS_ADDRESS=" + BusAddress();
  if (parts_.backend) {
    fs::copy_file(TestFile("BRENVIK_PORTAL_FILE", BRENVIK_PORTAL_FILE), dir_ / "portals" / "brenvik-test.portal");
    Spawn({"/usr/bin/python3", "-m", "dbusmock", "--template",
           TestFile("BRENVIK_BACKEND_TEMPLATE", BRENVIK_BACKEND_TEMPLATE), "--parameters",
           "{\"bind_response\": " + std::to_string(parts_.bindResponse) +
               ", \"bind_nothing\": " + (parts_.bindNothing ? "true" : "false") + ", \"binds_at\": \"" +
               parts_.bindsAt + "\", \"keeps_triggers\": " + (parts_.keepsTriggers ? "true" : "false") + "}"},
          {busEnv}, "backend.log");
  }
  // The frontend picks its backends when it starts: the backend first.
  if (parts_.frontend) {
    if (parts_.backend) testwait::WaitUntil([&] { return HasOwner(kBackendName); });
    Spawn({"/usr/libexec/xdg-desktop-portal", "--replace", "--verbose"},
          {busEnv, "XDG_CURRENT_DESKTOP=brenviktest", "XDG_DESKTOP_PORTAL_DIR=" + (dir_ / "portals").string(),
           "GIO_USE_VFS=local"},
          "frontend.log");
  }
}

Desktop::~Desktop() {
  sd_bus_flush_close_unref(bus_);
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) kill(*it, SIGTERM);
  for (pid_t child : children_) waitpid(child, nullptr, 0);
  std::error_code ec;
  if (!dir_.empty() && !std::getenv("BRENVIK_PORTAL_KEEP")) fs::remove_all(dir_, ec);
}

pid_t Desktop::Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env, const char* log) {
  const std::string logPath = (dir_ / log).string();
  const pid_t pid = fork();
  if (pid == 0) {
    const int fd = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd >= 0) {
      dup2(fd, 1);
      dup2(fd, 2);
    }
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  if (pid > 0) children_.push_back(pid);
  return pid;
}

std::string Desktop::BusAddress() const { return "unix:path=" + (dir_ / "bus").string(); }

bool Desktop::HasOwner(const char* name) {
  if (!bus_) return false;
  int has = 0;
  sd_bus_message* reply = nullptr;
  if (sd_bus_call_method(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
                         nullptr, &reply, "s", name) < 0)
    return false;
  sd_bus_message_read(reply, "b", &has);
  sd_bus_message_unref(reply);
  return has != 0;
}

std::string Desktop::Ready() {
  if (!parts_.bus) return {};
  if (!bus_) return "no private bus at " + BusAddress();
  std::vector<const char*> names;
  if (parts_.backend) names.push_back(kBackendName);
  if (parts_.frontend) names.push_back(kPortalName);
  for (const char* name : names) {
    if (!testwait::WaitUntil([&] { return HasOwner(name); }))
      return std::string(name) + " did not appear on the bus (logs in " + dir_.string() + ")";
  }
  return {};
}

bool Desktop::Call(const char* method, const std::string& arg) {
  return bus_ && sd_bus_call_method(bus_, kBackendName, kDesktopPath, kControl, method, nullptr, nullptr, "s",
                                    arg.c_str()) >= 0;
}

bool Desktop::Press(const std::string& shortcut) { return Call("Press", shortcut); }
bool Desktop::Release(const std::string& shortcut) { return Call("Release", shortcut); }

void Desktop::PressNoWait(const std::string& shortcut) {
  sd_bus_call_method_async(bus_, nullptr, kBackendName, kDesktopPath, kControl, "Press", nullptr, nullptr, "s",
                           shortcut.c_str());
  sd_bus_flush(bus_);
}

std::vector<std::string> Desktop::Strings(const char* method) {
  std::vector<std::string> strings;
  sd_bus_message* reply = nullptr;
  if (!bus_ || sd_bus_call_method(bus_, kBackendName, kDesktopPath, kControl, method, nullptr, &reply, "") < 0)
    return strings;
  char** strv = nullptr;
  if (sd_bus_message_read_strv(reply, &strv) >= 0 && strv) {
    for (char** s = strv; *s; ++s) {
      strings.emplace_back(*s);
      free(*s);
    }
    free(strv);
  }
  sd_bus_message_unref(reply);
  return strings;
}

std::vector<std::string> Desktop::Bound() { return Strings("Bound"); }
std::vector<std::string> Desktop::Components() { return Strings("Components"); }

unsigned Desktop::BindCalls() {
  std::uint32_t calls = 0;
  sd_bus_message* reply = nullptr;
  if (!bus_ || sd_bus_call_method(bus_, kBackendName, kDesktopPath, kControl, "BindCalls", nullptr, &reply, "") < 0)
    return 0;
  sd_bus_message_read(reply, "u", &calls);
  sd_bus_message_unref(reply);
  return calls;
}

std::pair<unsigned, unsigned> Desktop::Sessions() {
  std::uint32_t created = 0, closed = 0;
  sd_bus_message* reply = nullptr;
  if (!bus_ || sd_bus_call_method(bus_, kBackendName, kDesktopPath, kControl, "Sessions", nullptr, &reply, "") < 0)
    return {0, 0};
  sd_bus_message_read(reply, "(uu)", &created, &closed);
  sd_bus_message_unref(reply);
  return {created, closed};
}

}  // namespace portaltest
