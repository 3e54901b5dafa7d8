// How long a press takes from the desktop's GlobalShortcuts backend to the
// window: the backend double stamps each Activated with CLOCK_MONOTONIC when
// it emits it; the real portal frontend forwards it; the X11 driver's wait
// reads it from the bus and the window procedure gets WM_HOTKEY. Prints the
// median, 95th percentile and worst case. Run it in an X server:
//   scripts/with-xvfb.sh build/linux/bench/bench_portal [presses]
#include <systemd/sd-bus.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "desktop.h"
#include "driver.h"
#include "win32_layer.h"
#include "x11/x11_driver.h"

namespace {

using Clock = std::chrono::steady_clock;  // CLOCK_MONOTONIC on Linux

std::int64_t g_hotkeyAtUs = -1;
std::uint64_t g_emittedAtUs = 0;

std::int64_t NowUs() {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}

LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_HOTKEY && wParam == 2) g_hotkeyAtUs = NowUs();
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The backend's own Activated, seen on the bench's connection to the bus.
int OnBackendActivated(sd_bus_message* m, void*, sd_bus_error*) {
  const char* session = nullptr;
  const char* id = nullptr;
  sd_bus_message_read(m, "ost", &session, &id, &g_emittedAtUs);
  return 0;
}

// Runs the window's loop until `done()` or the time is up.
template <class Done>
bool PumpUntil(Done done, int ms) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (Clock::now() > end) return false;
    platform::GetDriver()->WaitAndDispatchEvents(5);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  return true;
}

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

}  // namespace

int main(int argc, char** argv) {
  const int presses = argc > 1 ? std::atoi(argv[1]) : 300;
  portaltest::Desktop desktop({});
  if (const std::string missing = desktop.Ready(); !missing.empty()) {
    std::fprintf(stderr, "%s\n", missing.c_str());
    return 1;
  }
  setenv("WAYLAND_DISPLAY", "wayland-bench", 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", desktop.BusAddress().c_str(), 1);
  auto driver = platform::X11Driver::Open(nullptr);
  if (!driver) {
    std::fprintf(stderr, "no X display\n");
    return 1;
  }
  platform::SetDriver(driver.get());
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.lpszClassName = L"BrenvikBench";
  RegisterClassW(&wc);
  const HWND hwnd =
      CreateWindowExW(0, L"BrenvikBench", L"Bench", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  RegisterHotKey(hwnd, 2, 0, VK_SPACE);
  if (!PumpUntil([&] { return !desktop.Bound().empty(); }, 5000)) {
    std::fprintf(stderr, "the portal did not bind the key\n");
    return 1;
  }
  sd_bus_match_signal(desktop.bus(), nullptr, nullptr, "/org/freedesktop/portal/desktop",
                      "org.freedesktop.impl.portal.GlobalShortcuts", "Activated", OnBackendActivated, nullptr);

  std::vector<double> fromSignalMs, fromCallMs;
  for (int i = 0; i < presses; ++i) {
    g_hotkeyAtUs = -1;
    g_emittedAtUs = 0;
    const std::int64_t calledAtUs = NowUs();
    desktop.PressNoWait("split");
    if (!PumpUntil([] { return g_hotkeyAtUs >= 0; }, 2000)) {
      std::fprintf(stderr, "press %d never arrived\n", i);
      return 1;
    }
    while (g_emittedAtUs == 0 && sd_bus_wait(desktop.bus(), 100000) >= 0)
      while (sd_bus_process(desktop.bus(), nullptr) > 0) {
      }
    fromSignalMs.push_back(static_cast<double>(g_hotkeyAtUs - static_cast<std::int64_t>(g_emittedAtUs)) / 1000.0);
    fromCallMs.push_back(static_cast<double>(g_hotkeyAtUs - calledAtUs) / 1000.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::printf("| %d presses | median | p95 | max |\n|---|---|---|---|\n", presses);
  std::printf("| backend's Activated -> WM_HOTKEY | %.2f ms | %.2f ms | %.2f ms |\n", Percentile(fromSignalMs, 0.5),
              Percentile(fromSignalMs, 0.95), Percentile(fromSignalMs, 1.0));
  std::printf("| test's call to the backend -> WM_HOTKEY | %.2f ms | %.2f ms | %.2f ms |\n",
              Percentile(fromCallMs, 0.5), Percentile(fromCallMs, 0.95), Percentile(fromCallMs, 1.0));
  DestroyWindow(hwnd);
  return 0;
}
