// Shared pieces of the conformance tests: a window class that records what
// it receives, and message pumping that behaves alike on Windows (real time)
// and on the Linux layer (a virtual clock on the null driver).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "win32.h"

namespace conformance {

struct Seen {
  HWND hwnd = nullptr;
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  // Copied from the CREATESTRUCTW of WM_NCCREATE and WM_CREATE.
  bool hasCreate = false;
  CREATESTRUCTW create{};
  std::wstring createClass;
};

using Handler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// Every message the recording windows (and RecordSubclass'd windows)
// receive, in order.
std::vector<Seen>& Log();
// Behaviour of the recording windows; without one a message goes to
// DefWindowProcW.
void SetHandler(Handler handler);
// Records the messages of any window (an EDIT box, say) ahead of its
// own procedure.
void RecordSubclass(HWND hwnd);

std::vector<Seen> Only(UINT msg, HWND hwnd = nullptr);
// Position of the first `msg` to `hwnd` in the log, or -1.
int IndexOf(UINT msg, HWND hwnd);

// The common-controls subclassing entry points, found by name in
// comctl32.dll as the shell finds them.
struct SubclassApi {
  BOOL(WINAPI* set)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR) = nullptr;
  BOOL(WINAPI* remove)(HWND, SUBCLASSPROC, UINT_PTR) = nullptr;
  LRESULT(WINAPI* def)(HWND, UINT, WPARAM, LPARAM) = nullptr;
};
const SubclassApi& Subclassing();

// The class name of the recording windows.
const wchar_t* RecordingClass();

// Advances time: Sleep on Windows, the virtual clock on the null driver.
void WaitMs(int ms);

// Pointer input as the system's own, at client coordinates of the
// top-level `top` (outside its client area too): SendInput on Windows, the
// driver's input on the null driver.
enum class Pointer { Move, Press, Release };
void InjectPointer(HWND top, int x, int y, Pointer what);

class ConformanceTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  HWND CreateTop(int x = 40, int y = 40, int width = 320, int height = 200, DWORD style = WS_VISIBLE,
                 LPVOID param = nullptr);
  HWND CreateChild(HWND parent, int x, int y, int width, int height, int id = 7, LPVOID param = nullptr);
  HWND CreateEdit(HWND parent, const wchar_t* text = L"", int id = 1000);
  // Dispatches every message ready now (paint and due timers included).
  int Pump();
  // Dispatches messages, waiting for them, until `done` or a hang is plain
  // (Wine on a busy machine can take seconds).
  bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 30000);

  std::vector<HWND> created_;
};

}  // namespace conformance
