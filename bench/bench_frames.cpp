// Times one full frame of each panel through the layer (invalidate, paint
// of the window and its edit boxes, present) and the rebuild of the
// split-name edit boxes, on the headless driver. Prints a Markdown table.
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "editor/split_editor.h"
#include "null/null_driver.h"
#include "run/run_state.h"
#include "shell/app.h"
#include "shell/window_proc.h"
#include "storage/keybind_file.h"
#include "user/user_internal.h"
#include "win32.h"
#include "window/layout.h"
#include "window/overlay.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWarmUpFrames = 100;
constexpr int kRebuilds = 1000;

struct Stats {
  double median;
  double p95;
};

Stats Summarise(std::vector<double> micros) {
  std::sort(micros.begin(), micros.end());
  const auto at = [&](double q) {
    return micros[static_cast<std::size_t>(q * static_cast<double>(micros.size() - 1))];
  };
  return {at(0.5), at(0.95)};
}

void Pump() {
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message != WM_QUIT) ProcessMessage(msg);
  }
}

void Send(UINT msg, WPARAM wParam, LPARAM lParam) {
  SendMessageW(g_hwnd, msg, wParam, lParam);
  Pump();
}

void ClickTab(int tab) {
  const int x = 95 * tab + 47;
  Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 17));
  Send(WM_LBUTTONUP, 0, MAKELPARAM(x, 17));
}

// Wall time and this thread's CPU time: on a busy machine the CPU time
// shows the cost of the work itself, the wall time what the user waits.
struct Sample {
  double wall;
  double cpu;
};

double ThreadCpuMicros() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

class Stopwatch {
 public:
  Stopwatch() : wall_(Clock::now()), cpu_(ThreadCpuMicros()) {}
  Sample Elapsed() const {
    return {std::chrono::duration<double, std::micro>(Clock::now() - wall_).count(), ThreadCpuMicros() - cpu_};
  }

 private:
  Clock::time_point wall_;
  double cpu_;
};

struct Timings {
  std::vector<double> wall;
  std::vector<double> cpu;
  void Add(const Sample& s) {
    wall.push_back(s.wall);
    cpu.push_back(s.cpu);
  }
};

// Microseconds of each of `frames` full frames; with `pause`, that long
// passes before each (the run's clock is real: a new time on every frame).
Timings TimeFrames(int frames, std::chrono::milliseconds pause = {}) {
  for (int i = 0; i < kWarmUpFrames; ++i) {
    InvalidateRect(g_hwnd, nullptr, FALSE);
    Pump();
  }
  Timings t;
  for (int i = 0; i < frames; ++i) {
    if (pause.count() > 0) std::this_thread::sleep_for(pause);
    const Stopwatch watch;
    InvalidateRect(g_hwnd, nullptr, FALSE);
    Pump();
    t.Add(watch.Elapsed());
  }
  return t;
}

// The paint alone: the window procedure draws the frame (and the boxes
// theirs), without the copy to the display.
Timings TimePaints(int frames, std::chrono::milliseconds pause = {}) {
  Timings t;
  for (int i = 0; i < frames; ++i) {
    if (pause.count() > 0) std::this_thread::sleep_for(pause);
    const Stopwatch watch;
    InvalidateRect(g_hwnd, nullptr, FALSE);
    UpdateWindow(g_hwnd);
    for (HWND box : splitEditBoxes) UpdateWindow(box);
    t.Add(watch.Elapsed());
  }
  Pump();
  return t;
}

Timings TimeRebuilds() {
  Timings t;
  for (int i = 0; i < kRebuilds; ++i) {
    const Stopwatch watch;
    UpdateSplitEditBoxes();
    t.Add(watch.Elapsed());
  }
  Pump();
  return t;
}

void WriteLines(const std::filesystem::path& path, const std::vector<std::string>& lines) {
  std::ofstream out(path, std::ios::binary);
  for (const std::string& line : lines) out << line << "\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;

  std::string dir = (std::filesystem::temp_directory_path() / "brenvik-bench-XXXXXX").string();
  if (mkdtemp(dir.data()) == nullptr) return 1;
  const std::filesystem::path original = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  // Ten names with bests and a PB, so the Timer panel shows live deltas
  // and the Edit Splits list scrolls.
  WriteLines("splits.txt",
             {"Enter", "Forest", "Bridge", "Castle", "Boss Start", "Boss", "Escape", "Tower", "Final Boss", "Credits"});
  WriteLines("bestsplits.txt", {"12.5", "30.25", "41", "18.75", "22", "64.5", "33", "27.125", "90", "15"});
  WriteLines("pbtime.txt", {"400"});

  platform::NullDriver driver;
  platform::SetDriver(&driver);
  driver.UseVirtualClock();
  ResetStateForTests();
  StartUp(GetModuleHandleW(nullptr));
  Pump();

  // A run in progress: three segments done, the fourth being timed.
  const SteadyTime now = ReadSteadyClock();
  HandleSplitPress(now - 60'000'000'000);
  HandleSplitPress(now - 45'000'000'000);
  HandleSplitPress(now - 20'000'000'000);
  HandleSplitPress(now - 5'000'000'000);
  Send(WM_HOTKEY, 1, 0);  // interactive mode

  struct Row {
    const char* panel;
    int tab;
    std::chrono::milliseconds pause;
  };
  using std::chrono::milliseconds;
  const Row rows[] = {{"Timer (run in progress), a new time each frame", TAB_TIMER, milliseconds(11)},
                      {"Timer (run in progress), frames back to back", TAB_TIMER, milliseconds(0)},
                      {"Keybinds", TAB_KEYBINDS, milliseconds(0)},
                      {"Edit Splits", TAB_EDIT_SPLITS, milliseconds(0)}};
  std::printf(
      "| Panel | Frame median µs (CPU) | Frame p95 µs (CPU) | Paint only median µs (CPU) |\n"
      "|---|---:|---:|---:|\n");
  for (const Row& row : rows) {
    ClickTab(row.tab);
    // Frames 11 ms apart take long: fewer of them.
    const int count = row.pause.count() > 0 ? std::max(1, frames / 8) : frames;
    const Timings frame = TimeFrames(count, row.pause);
    const Timings paint = TimePaints(count, row.pause);
    const Stats fw = Summarise(frame.wall), fc = Summarise(frame.cpu), pw = Summarise(paint.wall),
                pc = Summarise(paint.cpu);
    std::printf("| %s | %.0f (%.0f) | %.0f (%.0f) | %.0f (%.0f) |\n", row.panel, fw.median, fc.median, fw.p95, fc.p95,
                pw.median, pc.median);
  }
  // The Edit Splits panel is shown: each rebuild destroys and creates the
  // boxes of the visible rows (four of the ten).
  const Timings rebuilds = TimeRebuilds();
  const Stats rw = Summarise(rebuilds.wall), rc = Summarise(rebuilds.cpu);
  std::printf(
      "\n| Edit-box rebuild (%zu boxes) | Median µs (CPU) | p95 µs (CPU) |\n|---|---:|---:|\n"
      "| %d rebuilds | %.0f (%.0f) | %.0f (%.0f) |\n",
      splitEditBoxes.size(), kRebuilds, rw.median, rc.median, rw.p95, rc.p95);
  std::printf("\n%d frames per panel (%d with a new time each) after %d warm-up frames; %d presents in all.\n", frames,
              std::max(1, frames / 8), kWarmUpFrames, driver.TotalPresentCount());

  ShutDown();
  if (IsWindow(g_hwnd)) DestroyWindow(g_hwnd);
  Pump();
  ResetStateForTests();
  platform::ResetForTests();
  platform::SetDriver(nullptr);
  std::filesystem::current_path(original);
  std::filesystem::remove_all(dir);
  return 0;
}
