#include "kwin.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace desktops {

namespace {

// One line per window, tab-separated, in the order the fields are read.
constexpr const char* kWindowsScript = R"(
var lines = [];
var clients = workspace.clientList();
for (var i = 0; i < clients.length; ++i) {
  var c = clients[i];
  var g = c.frameGeometry;
  lines.push([c.caption, c.keepAbove, c.active, c.fullScreen, c.opacity, c.layer, c.stackingOrder,
              g.x, g.y, g.width, g.height, c.skipTaskbar, c.demandsAttention].join("\t"));
}
callDBus("brenvik.test.Receiver", "/", "brenvik.test.Receiver", "Report", lines.join("\n"));
)";

int ToInt(const std::string& s) { return std::atoi(s.c_str()); }

}  // namespace

FakeInput::FakeInput() : client_({BRENVIK_FAKE_INPUT}) {}

bool FakeInput::Send(const std::string& command) {
  const size_t from = client_.Lines().size();
  return client_.WriteLine(command) && client_.WaitLine("ok", from, 20s);
}

bool FakeInput::Key(unsigned code) { return Send("key " + std::to_string(code)); }
bool FakeInput::MoveTo(int x, int y) { return Send("move " + std::to_string(x) + " " + std::to_string(y)); }
bool FakeInput::Click(int x, int y) { return MoveTo(x, y) && Send("click " + std::to_string(kLeftButton)); }

bool FakeInput::Press(int x, int y) { return MoveTo(x, y) && Send("press " + std::to_string(kLeftButton)); }
bool FakeInput::Release() { return Send("release " + std::to_string(kLeftButton)); }

std::vector<KWinWindow> KWin::Windows() {
  std::vector<KWinWindow> windows;
  const std::string name = "brenvik_windows_" + std::to_string(++scripts_);
  const std::filesystem::path file = std::filesystem::temp_directory_path() / (name + ".js");
  std::ofstream(file) << kWindowsScript;
  int id = -1;
  sd_bus_message* reply = nullptr;
  if (sd_bus_call_method(bus_, "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "loadScript", nullptr, &reply,
                         "ss", file.c_str(), name.c_str()) >= 0)
    sd_bus_message_read(reply, "i", &id);
  sd_bus_message_unref(reply);
  std::optional<std::string> report;
  if (id >= 0 && sd_bus_call_method(bus_, "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "start", nullptr,
                                    nullptr, "") >= 0)
    report = receiver_.Next(20s);
  sd_bus_call_method(bus_, "org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "unloadScript", nullptr, nullptr,
                     "s", name.c_str());
  std::filesystem::remove(file);
  if (!report) return windows;
  for (const std::string& line : Split(*report, '\n')) {
    const std::vector<std::string> f = Split(line, '\t');
    if (f.size() < 13) continue;
    windows.push_back({f[0],
                       f[1] == "true",
                       f[2] == "true",
                       f[3] == "true",
                       f[11] == "true",
                       f[12] == "true",
                       std::atof(f[4].c_str()),
                       ToInt(f[5]),
                       ToInt(f[6]),
                       {ToInt(f[7]), ToInt(f[8]), ToInt(f[9]), ToInt(f[10])}});
  }
  return windows;
}

std::optional<KWinWindow> KWin::Window(const std::string& caption) {
  for (const KWinWindow& w : Windows())
    if (w.caption == caption) return w;
  return std::nullopt;
}

e2e::Image KWin::Screen(const e2e::Geometry& area) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) < 0) return {};
  sd_bus_message* reply = nullptr;
  const int r = sd_bus_call_method(bus_, "org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2",
                                   "CaptureArea", nullptr, &reply, "iiuua{sv}h", area.x, area.y,
                                   static_cast<unsigned>(area.width), static_cast<unsigned>(area.height), 0, fds[1]);
  close(fds[1]);
  std::uint32_t width = 0, height = 0, stride = 0, format = 0;
  if (r >= 0 && sd_bus_message_enter_container(reply, 'a', "{sv}") > 0) {
    while (sd_bus_message_enter_container(reply, 'e', "sv") > 0) {
      const char* key = nullptr;
      sd_bus_message_read(reply, "s", &key);
      std::uint32_t* target = std::strcmp(key, "width") == 0    ? &width
                              : std::strcmp(key, "height") == 0 ? &height
                              : std::strcmp(key, "stride") == 0 ? &stride
                              : std::strcmp(key, "format") == 0 ? &format
                                                                : nullptr;
      if (target && sd_bus_message_read(reply, "v", "u", target) >= 0) {
      } else {
        sd_bus_message_skip(reply, "v");
      }
      sd_bus_message_exit_container(reply);
    }
  }
  sd_bus_message_unref(reply);
  std::string bytes;
  char buffer[65536];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) bytes.append(buffer, static_cast<size_t>(n));
  close(fds[0]);
  // QImage's 32-bit formats: B, G, R, A in memory.
  if (r < 0 || width == 0 || bytes.size() < static_cast<size_t>(stride) * height) return {};
  std::vector<e2e::Rgb> pixels;
  for (std::uint32_t y = 0; y < height; ++y)
    for (std::uint32_t x = 0; x < width; ++x) {
      const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + y * stride + x * 4);
      pixels.push_back({p[2], p[1], p[0]});
    }
  return e2e::Image(static_cast<int>(width), static_cast<int>(height), std::move(pixels));
}

std::vector<std::string> KWin::ShortcutComponents() {
  std::vector<std::string> names;
  sd_bus_message* reply = nullptr;
  if (sd_bus_call_method(bus_, "org.kde.kglobalaccel", "/kglobalaccel", "org.kde.KGlobalAccel", "allMainComponents",
                         nullptr, &reply, "") < 0)
    return names;
  if (sd_bus_message_enter_container(reply, 'a', "as") > 0) {
    char** strv = nullptr;
    while (sd_bus_message_read_strv(reply, &strv) > 0 && strv) {
      if (strv[0]) names.emplace_back(strv[0]);
      for (char** s = strv; *s; ++s) free(*s);
      free(strv);
      strv = nullptr;
    }
  }
  sd_bus_message_unref(reply);
  return names;
}

}  // namespace desktops
