#include "editor/split_editor.h"

#include <string>

#include "editor/editor_state.h"
#include "run/bests.h"
#include "run/run_files.h"
#include "run/run_state.h"
#include "window/layout.h"
#include "window/overlay.h"
#include "window/ui_font.h"
#include "window/window_state.h"

namespace {
constexpr int kFirstControlId = 1000;
constexpr int kTextBufferSize = 256;
constexpr int kClassNameBufferSize = 16;
const wchar_t kNewSplitName[] = L"New Split";
const COLORREF kEditText = RGB(232, 232, 242);
const COLORREF kEditBackground = RGB(47, 51, 65);
const COLORREF kEditOutline = RGB(55, 62, 78);
constexpr int kEditOutlineWidth = 2;
constexpr int kEditFontHeight = -15;

int SplitCount() { return static_cast<int>(splitNames.size()); }

HFONT EditBoxFont() {
  if (editBoxFont == nullptr) editBoxFont = CreateUiFont(kEditFontHeight, FW_NORMAL);
  return editBoxFont;
}

HWND CreateEditBox(int row, const Rect& rect) {
  const HWND box = CreateWindowExW(
      0, L"EDIT", splitNames[static_cast<std::size_t>(row)].c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
      rect.left, rect.top, layout::kRowWidth, layout::kRowHeight, g_hwnd,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + row)), nullptr, nullptr);
  if (box != nullptr) SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(EditBoxFont()), TRUE);
  return box;
}

void PaintEditBoxFrame(HWND hwnd) {
  const HDC dc = GetWindowDC(hwnd);
  RECT wr{};
  GetWindowRect(hwnd, &wr);
  const RECT rect{0, 0, wr.right - wr.left, wr.bottom - wr.top};
  const HBRUSH brush = CreateSolidBrush(kEditBackground);
  FillRect(dc, &rect, brush);
  const HPEN pen = CreatePen(PS_SOLID, kEditOutlineWidth, kEditOutline);
  const HGDIOBJ oldPen = SelectObject(dc, pen);
  const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  DeleteObject(brush);
  ReleaseDC(hwnd, dc);
}

// Scrolling rebuilds the boxes from the names, so their text goes in first.
void ApplyAndRebuild() {
  ApplySplitNameEdits();
  UpdateSplitEditBoxes();
  FullRepaint();
}
}  // namespace

void DestroySplitEditBoxes() {
  for (HWND box : splitEditBoxes) {
    if (IsWindow(box)) DestroyWindow(box);
  }
  splitEditBoxes.clear();
}

void UpdateSplitEditBoxes() {
  DestroySplitEditBoxes();
  if (activeTab != TAB_EDIT_SPLITS || clickThroughEnabled) return;
  const int n = SplitCount();
  for (int row = 0; row < n; ++row) {
    const Rect rect = GetCenteredEditBoxRect(row, n, editSplitsScrollPos);
    if (IsListRowVisible(rect)) splitEditBoxes.push_back(CreateEditBox(row, rect));
  }
}

void ApplySplitNameEdits() {
  for (HWND box : splitEditBoxes) {
    if (!IsWindow(box)) continue;
    WCHAR text[kTextBufferSize] = {};
    const int length = GetWindowTextW(box, text, kTextBufferSize);
    const int row = GetDlgCtrlID(box) - kFirstControlId;
    if (row < 0 || row >= SplitCount()) continue;
    const int kept = length < 0 ? 0 : (length < kTextBufferSize ? length : kTextBufferSize - 1);
    splitNames[static_cast<std::size_t>(row)] = std::wstring(text, static_cast<std::size_t>(kept));
  }
  SyncBestSplits();
}

void SaveEditedSplits() {
  ApplySplitNameEdits();
  SaveSplitsToFile("splits.txt");
  SaveBestSplitsToFile("bestsplits.txt");
}

LRESULT CALLBACK EditSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  switch (msg) {
    case WM_NCPAINT: PaintEditBoxFrame(hwnd); return 0;
    case WM_DESTROY: RemoveWindowSubclass(hwnd, EditSubclassProc, 0); return DefSubclassProc(hwnd, msg, wParam, lParam);
    case WM_MOUSEWHEEL:
      // The boxes cover most of the list: a wheel turn over one scrolls the
      // list. Posted, because the scroll rebuilds (destroys) this very box.
      PostMessageW(GetParent(hwnd), msg, wParam, lParam);
      return 0;
    default: return DefSubclassProc(hwnd, msg, wParam, lParam);
  }
}

HBRUSH HandleCtlColorEdit(HDC hdc) {
  SetTextColor(hdc, kEditText);
  SetBkColor(hdc, kEditBackground);
  if (editBoxBrush == nullptr) editBoxBrush = CreateSolidBrush(kEditBackground);
  return editBoxBrush;
}

LRESULT HandleWMGetDlgCode(HWND hwnd) {
  const HWND focus = GetFocus();
  if (focus != nullptr && GetParent(focus) == hwnd) {
    WCHAR className[kClassNameBufferSize] = {};
    GetClassNameW(focus, className, kClassNameBufferSize);
    if (lstrcmpiW(className, L"Edit") == 0) return 0;
  }
  return DLGC_WANTALLKEYS;
}

void AddSplit() {
  ApplySplitNameEdits();
  splitNames.push_back(kNewSplitName);
  SyncBestSplits();
  SaveSplitsToFile("splits.txt");
  SaveBestSplitsToFile("bestsplits.txt");
  UpdateSplitEditBoxes();
  AdjustWindowHeightForSplits(g_hwnd);
  FullRepaint();
}

void RemoveLastSplit() {
  if (splitNames.empty()) return;
  ApplySplitNameEdits();
  splitNames.pop_back();
  SyncBestSplits();
  SaveSplitsToFile("splits.txt");
  SaveBestSplitsToFile("bestsplits.txt");
  // The shorter list may scroll less far; a stale position would paint the
  // thumb below its track.
  editSplitsScrollPos = ClampScrollPos(editSplitsScrollPos, SplitCount());
  UpdateSplitEditBoxes();
  AdjustWindowHeightForSplits(g_hwnd);
  if (selectedSplitIndex >= SplitCount()) selectedSplitIndex = -1;
  FullRepaint();
}

void ResetBestTimes() {
  ResetBestSplitsAndPB();
  FullRepaint();
}

bool SelectRowAt(int x, int y) {
  const int n = SplitCount();
  for (int row = 0; row < n; ++row) {
    const Rect rect = GetCenteredEditBoxRect(row, n, editSplitsScrollPos);
    if (IsListRowVisible(rect) && IsInsideRect(x, y, rect)) {
      selectedSplitIndex = row;
      FullRepaint();
      return true;
    }
  }
  return false;
}

void ScrollSplitListByWheel(int wheelDelta) {
  editSplitsScrollPos = ScrollPosAfterWheel(editSplitsScrollPos, wheelDelta, SplitCount());
  ApplyAndRebuild();
}

void StartThumbDrag(HWND hwnd, int y) {
  splitEditScrollDragging = true;
  splitEditScrollDragStartY = y;
  splitEditScrollDragStartPos = editSplitsScrollPos;
  SetCapture(hwnd);
}

void MoveThumbDrag(int mouseY) {
  editSplitsScrollPos =
      ScrollPosAfterThumbDrag(splitEditScrollDragStartPos, splitEditScrollDragStartY, mouseY, SplitCount());
  ApplyAndRebuild();
}

void EndThumbDrag() {
  splitEditScrollDragging = false;
  ReleaseCapture();
}

void ReleaseEditBoxResources() {
  if (editBoxFont != nullptr) DeleteObject(editBoxFont);
  if (editBoxBrush != nullptr) DeleteObject(editBoxBrush);
  editBoxFont = nullptr;
  editBoxBrush = nullptr;
}
