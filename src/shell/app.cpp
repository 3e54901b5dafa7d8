#include "shell/app.h"

#include "editor/split_editor.h"
#include "hotkeys/hotkeys.h"
#include "run/run_files.h"
#include "run/run_state.h"
#include "shell/window_proc.h"
#include "storage/keybind_file.h"
#include "window/layout.h"
#include "window/overlay.h"

HMODULE hComctl = nullptr;
PFN_SetWindowSubclass fn_SetWindowSubclass = nullptr;
PFN_RemoveWindowSubclass fn_RemoveWindowSubclass = nullptr;
PFN_DefSubclassProc fn_DefSubclassProc = nullptr;

namespace {
const wchar_t kClassName[] = L"BrenvikApp";
const wchar_t kTitle[] = L"Brenvik";
constexpr int kInitialX = 100;
constexpr int kInitialY = 100;
constexpr BYTE kOpacity = 235;
// WS_CLIPCHILDREN keeps the 15 ms repaint from painting over the split-name
// edit boxes, which would otherwise flicker or vanish until they repaint.
constexpr DWORD kWindowStyle = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;

// GetProcAddress gives a generic function pointer; going through void(*)()
// keeps the conversion to the real signature free of cast warnings.
template <typename Fn>
Fn LookUp(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
}  // namespace

void EnsureSubclassProcsLoaded() {
  if (hComctl != nullptr) return;
  hComctl = LoadLibraryW(L"comctl32.dll");
  if (hComctl == nullptr) return;
  fn_SetWindowSubclass = LookUp<PFN_SetWindowSubclass>(hComctl, "SetWindowSubclass");
  fn_RemoveWindowSubclass = LookUp<PFN_RemoveWindowSubclass>(hComctl, "RemoveWindowSubclass");
  fn_DefSubclassProc = LookUp<PFN_DefSubclassProc>(hComctl, "DefSubclassProc");
}

void StartUp(HINSTANCE hInstance) {
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof(icc);
  icc.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&icc);
  EnsureSubclassProcsLoaded();

  WNDCLASSW wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = hInstance;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  wc.lpszClassName = kClassName;
  RegisterClassW(&wc);

  g_hwnd =
      CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, kTitle, kWindowStyle, kInitialX,
                      kInitialY, layout::kWidth, layout::kInitialHeight, nullptr, nullptr, hInstance, nullptr);
  SetLayeredWindowAttributes(g_hwnd, 0, kOpacity, LWA_ALPHA);
  ShowWindow(g_hwnd, SW_SHOW);
  UpdateWindow(g_hwnd);
  EnsureTopMost(g_hwnd);

  LoadSplitsFromFile("splits.txt");
  LoadBestSplitsFromFile("bestsplits.txt");
  LoadPBFromFile("pbtime.txt");
  LoadKeybinds();
  RegisterKeybinds();

  SetClickThrough(true);
  AdjustWindowHeightForSplits(g_hwnd);
}

void ProcessMessage(const MSG& msg) {
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  if (activeTab == TAB_EDIT_SPLITS && !clickThroughEnabled && fn_SetWindowSubclass != nullptr) {
    for (HWND box : splitEditBoxes) {
      if (IsWindow(box)) fn_SetWindowSubclass(box, EditSubclassProc, 0, 0);
    }
  }
}

void RunMessageLoop() {
  MSG msg{};
  // GetMessage gives -1 on failure; treat it like the quit message rather
  // than spinning on it.
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) ProcessMessage(msg);
}

void ShutDown() {
  DestroySplitEditBoxes();
  ReleaseEditBoxResources();
  if (hComctl != nullptr) FreeLibrary(hComctl);
  hComctl = nullptr;
  fn_SetWindowSubclass = nullptr;
  fn_RemoveWindowSubclass = nullptr;
  fn_DefSubclassProc = nullptr;
}

void ResetStateForTests() {
  ShutDown();
  editorState = {};
  windowState = {};
  shellState = {};
  ResetCoreStateForTests();
}
