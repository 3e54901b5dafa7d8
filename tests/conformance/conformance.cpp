#include "conformance.h"

#include <algorithm>

#include "../common/win32_helpers.h"

namespace conformance {
namespace {

Handler& CurrentHandler() {
  static Handler handler;
  return handler;
}

void Record(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Seen s;
  s.hwnd = hwnd;
  s.msg = msg;
  s.wParam = wParam;
  s.lParam = lParam;
  if ((msg == WM_NCCREATE || msg == WM_CREATE) && lParam != 0) {
    s.hasCreate = true;
    s.create = *reinterpret_cast<const CREATESTRUCTW*>(lParam);
    // The class may be an atom; ours are names.
    if (reinterpret_cast<ULONG_PTR>(s.create.lpszClass) > 0xFFFF) s.createClass = s.create.lpszClass;
    s.create.lpszClass = nullptr;
    s.create.lpszName = nullptr;
  }
  Log().push_back(s);
}

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Record(hwnd, msg, wParam, lParam);
  if (CurrentHandler()) return CurrentHandler()(hwnd, msg, wParam, lParam);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK RecordingSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  Record(hwnd, msg, wParam, lParam);
  return Subclassing().def(hwnd, msg, wParam, lParam);
}

void RegisterOnce() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = RecordingClass();
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  registered = RegisterClassW(&wc) != 0;
}

}  // namespace

std::vector<Seen>& Log() {
  static std::vector<Seen> log;
  return log;
}

void SetHandler(Handler handler) { CurrentHandler() = std::move(handler); }

void RecordSubclass(HWND hwnd) { Subclassing().set(hwnd, RecordingSubclass, 1, 0); }

template <typename F>
void Lookup(HMODULE module, const char* name, F& out) {
  out = reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

const SubclassApi& Subclassing() {
  static const SubclassApi api = [] {
    SubclassApi a;
    HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    if (!comctl) return a;
    Lookup(comctl, "SetWindowSubclass", a.set);
    Lookup(comctl, "RemoveWindowSubclass", a.remove);
    Lookup(comctl, "DefSubclassProc", a.def);
    return a;
  }();
  return api;
}

std::vector<Seen> Only(UINT msg, HWND hwnd) {
  std::vector<Seen> out;
  for (const Seen& s : Log()) {
    if (s.msg == msg && (!hwnd || s.hwnd == hwnd)) out.push_back(s);
  }
  return out;
}

int IndexOf(UINT msg, HWND hwnd) {
  const auto& log = Log();
  for (size_t i = 0; i < log.size(); ++i) {
    if (log[i].msg == msg && log[i].hwnd == hwnd) return static_cast<int>(i);
  }
  return -1;
}

const wchar_t* RecordingClass() { return L"BrenvikConformance"; }

void ConformanceTest::SetUp() {
  RegisterOnce();
  ASSERT_TRUE(Subclassing().set && Subclassing().remove && Subclassing().def);
  Log().clear();
  SetHandler(nullptr);
}

void ConformanceTest::TearDown() {
  SetHandler(nullptr);
  for (HWND hwnd : created_) {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }
  created_.clear();
  // Leftover posted messages and WM_QUIT must not reach the next test.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  Log().clear();
}

HWND ConformanceTest::CreateTop(int x, int y, int width, int height, DWORD style, LPVOID param) {
  HWND hwnd = CreateWindowExW(0, RecordingClass(), L"Top", WS_POPUP | style, x, y, width, height, nullptr, nullptr,
                              GetModuleHandleW(nullptr), param);
  if (hwnd) created_.push_back(hwnd);
  return hwnd;
}

HWND ConformanceTest::CreateChild(HWND parent, int x, int y, int width, int height, int id, LPVOID param) {
  return CreateWindowExW(0, RecordingClass(), L"Child", WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), param);
}

HWND ConformanceTest::CreateEdit(HWND parent, const wchar_t* text, int id) {
  return test_common::CreateEditBox(parent, 10, 10, 200, 24, text, id);
}

int ConformanceTest::Pump() { return test_common::PumpReady(10000); }

bool ConformanceTest::PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  for (int waited = 0; waited <= timeoutMs; waited += 5) {
    Pump();
    if (done()) return true;
    WaitMs(5);
  }
  return done();
}

}  // namespace conformance
