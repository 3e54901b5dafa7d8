#include "layer_fixture.h"

#include <algorithm>

#include "../common/win32_helpers.h"

namespace layer_test {
namespace {

Handler& CurrentHandler() {
  static Handler handler;
  return handler;
}

constexpr const wchar_t* kClassName = L"LayerTestWindow";

}  // namespace

std::vector<Seen>& Log() {
  static std::vector<Seen> log;
  return log;
}

void SetHandler(Handler handler) { CurrentHandler() = std::move(handler); }

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Log().push_back(Seen{hwnd, msg, wParam, lParam});
  if (CurrentHandler()) return CurrentHandler()(hwnd, msg, wParam, lParam);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

std::vector<Seen> Only(UINT msg) {
  std::vector<Seen> out;
  for (const Seen& s : Log()) {
    if (s.msg == msg) out.push_back(s);
  }
  return out;
}

std::vector<UINT> Messages(const std::vector<UINT>& ignore) {
  std::vector<UINT> out;
  for (const Seen& s : Log()) {
    if (std::find(ignore.begin(), ignore.end(), s.msg) == ignore.end()) out.push_back(s.msg);
  }
  return out;
}

void LayerTest::SetUp() {
  platform::SetDriver(&driver);
  platform::ResetForTests();
  driver.UseVirtualClock();
  Log().clear();
  SetHandler(nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = kClassName;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  RegisterClassW(&wc);
}

Handler Painting(std::function<void(HWND, HDC, const PAINTSTRUCT&)> paint) {
  return [paint = std::move(paint)](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m != WM_PAINT) return DefWindowProcW(h, m, w, l);
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(h, &ps);
    paint(h, hdc, ps);
    EndPaint(h, &ps);
    return 0;
  };
}

void LayerTest::TearDown() {
  SetHandler(nullptr);
  platform::ResetForTests();
  platform::SetDriver(nullptr);
  Log().clear();
}

HWND LayerTest::CreateTop(int x, int y, int width, int height, DWORD style, DWORD exStyle) {
  return CreateWindowExW(exStyle, kClassName, L"Top", WS_POPUP | WS_VISIBLE | style, x, y, width, height, nullptr,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

HWND LayerTest::CreateChild(HWND parent, int x, int y, int width, int height, DWORD style, int id) {
  return CreateWindowExW(0, kClassName, L"", WS_CHILD | style, x, y, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

HWND LayerTest::CreateEdit(HWND parent, int x, int y, int width, int height, const wchar_t* text) {
  return test_common::CreateEditBox(parent, x, y, width, height, text, 1000);
}

int LayerTest::Pump() { return test_common::PumpReady(100000); }

}  // namespace layer_test
