// The process entry of the Linux build: a display, then the Win32 program.
#include "x11/xlib.h"

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <thread>

#include "driver.h"
#include "x11/x11_driver.h"

namespace {

// Typed text and pasted names need a character locale that knows UTF-8;
// numbers keep the classic locale (LC_NUMERIC is never touched).
void ChooseCharacterLocale() {
  const char* current = std::setlocale(LC_CTYPE, nullptr);
  if (!current || std::strcmp(current, "C") != 0) return;
  const char* chosen = std::setlocale(LC_CTYPE, "");
  if (!chosen || std::strcmp(chosen, "C") == 0 || std::strcmp(chosen, "POSIX") == 0)
    std::setlocale(LC_CTYPE, "C.UTF-8");
}

// A server that is starting, or busy accepting many clients at once, refuses
// a connection for a moment (EAGAIN): try again for about two seconds.
platform::X11Driver* OpenDriverWithRetries() {
  using namespace std::chrono;
  const auto deadline = steady_clock::now() + seconds(2);
  for (;;) {
    if (auto driver = platform::X11Driver::Open(nullptr)) return driver.release();
    const char* name = XDisplayName(nullptr);
    if (!name || !*name || steady_clock::now() >= deadline) return nullptr;
    std::this_thread::sleep_for(milliseconds(100));
  }
}

// Lives until the process ends: windows may still exist when WinMain returns.
platform::X11Driver* g_driver = nullptr;

}  // namespace

int main(int, char**) {
  ChooseCharacterLocale();
  g_driver = OpenDriverWithRetries();
  if (!g_driver) {
    const char* name = XDisplayName(nullptr);
    std::fprintf(stderr, "cannot open display %s\n", name && *name ? name : "(none)");
    return 1;
  }
  platform::SetDriver(g_driver);
  char commandLine[] = "";
  return WinMain(GetModuleHandleW(nullptr), nullptr, commandLine, SW_SHOWDEFAULT);
}
