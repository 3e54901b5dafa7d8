// Shared set-up of the window model tests: a null driver with a virtual
// clock, an empty desktop, and a window class that records its messages.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "null/null_driver.h"
#include "user/user_internal.h"
#include "win32_layer.h"

namespace layer_test {

struct Seen {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// Every message the recording windows receive, in order.
std::vector<Seen>& Log();
// Per-message behaviour of the recording windows; without a handler a
// message goes to DefWindowProcW (WM_PAINT included, which validates).
using Handler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;
void SetHandler(Handler handler);
LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// A handler whose WM_PAINT runs `paint` between BeginPaint and EndPaint;
// every other message goes to DefWindowProcW.
Handler Painting(std::function<void(HWND, HDC, const PAINTSTRUCT&)> paint);

// The messages of the log with this id, in order.
std::vector<Seen> Only(UINT msg);
// The message ids of the log, leaving out those in `ignore`.
std::vector<UINT> Messages(const std::vector<UINT>& ignore = {});

class LayerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A visible WS_POPUP top-level of the recording class.
  HWND CreateTop(int x = 100, int y = 100, int width = 320, int height = 200, DWORD style = 0, DWORD exStyle = 0);
  HWND CreateChild(HWND parent, int x, int y, int width, int height, DWORD style = WS_VISIBLE, int id = 0);
  HWND CreateEdit(HWND parent, int x, int y, int width, int height, const wchar_t* text = L"");
  // Takes every queued message (paint and due timers included) and
  // dispatches it; returns how many there were.
  int Pump();

  platform::NullDriver driver;
};

}  // namespace layer_test
