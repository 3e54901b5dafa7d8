// The EDIT control class: a single-line text box with a caret, a selection,
// keyboard and mouse editing, the clipboard, and sideways scrolling that
// keeps the caret in view.
#include <algorithm>
#include <memory>
#include <string>
#include <unordered_map>

#include "driver.h"
#include "user/edit_text.h"
#include "user/user_internal.h"

namespace platform::user {
namespace {

constexpr int kMargin = 2;  // pixels between the client edge and the text
constexpr COLORREF kSelectionBack = RGB(0, 120, 215);
constexpr COLORREF kSelectionText = RGB(255, 255, 255);
constexpr std::size_t kDefaultLimit = 30000;
// The caret blinks at Windows' default rate while the box has the focus.
constexpr UINT_PTR kBlinkTimer = 1;
constexpr UINT kBlinkMs = 530;

struct EditState {
  EditText text;
  HFONT font = nullptr;
  int scrollX = 0;  // pixels of text hidden on the left
  bool focused = false;
  bool caretShown = true;  // the blink's phase
  bool dragging = false;
  // Measured widths of text prefixes, for `measuredText` in `measuredFont`.
  std::wstring measuredText;
  HFONT measuredFont = nullptr;
  std::unordered_map<std::size_t, int> widths;
  int lineHeight = -1;
};

std::unordered_map<HWND, std::unique_ptr<EditState>>& States() {
  static std::unordered_map<HWND, std::unique_ptr<EditState>> states;
  return states;
}

EditState* StateOf(HWND hwnd) {
  auto it = States().find(hwnd);
  return it == States().end() ? nullptr : it->second.get();
}

// Measures text in the box's font. A memory DC serves, so measuring never
// touches the window's frame.
class Measure {
 public:
  explicit Measure(HFONT font) : hdc_(CreateCompatibleDC(nullptr)) {
    if (hdc_ && font) previous_ = SelectObject(hdc_, font);
  }
  ~Measure() {
    if (!hdc_) return;
    if (previous_) SelectObject(hdc_, previous_);
    DeleteDC(hdc_);
  }
  Measure(const Measure&) = delete;
  Measure& operator=(const Measure&) = delete;

  SIZE Extent(const wchar_t* text, std::size_t count) const {
    SIZE size{0, 0};
    if (hdc_) GetTextExtentPoint32W(hdc_, text, static_cast<int>(count), &size);
    return size;
  }

 private:
  HDC hdc_;
  HGDIOBJ previous_ = nullptr;
};

// Widths are asked for again at every repaint (the shell repaints many
// times a second), so they are kept until the text or the font changes.
void ForgetStaleWidths(EditState& s) {
  if (s.measuredFont == s.font && s.measuredText == s.text.Text()) return;
  s.widths.clear();
  s.lineHeight = -1;
  s.measuredFont = s.font;
  s.measuredText = s.text.Text();
}

// The width of the first `count` characters.
int PrefixWidth(EditState& s, std::size_t count) {
  if (count == 0) return 0;
  ForgetStaleWidths(s);
  auto it = s.widths.find(count);
  if (it != s.widths.end()) return it->second;
  const int width = Measure(s.font).Extent(s.measuredText.c_str(), count).cx;
  s.widths[count] = width;
  return width;
}

int LineHeight(EditState& s) {
  ForgetStaleWidths(s);
  if (s.lineHeight < 0) s.lineHeight = Measure(s.font).Extent(L"Ag", 2).cy;
  return s.lineHeight;
}

int VisibleWidth(HWND hwnd) {
  RECT client{};
  GetClientRect(hwnd, &client);
  return std::max(1, static_cast<int>(client.right) - 2 * kMargin);
}

// The character under client x: the last one starting at or before it.
std::size_t CharacterAt(EditState& s, int x) {
  const std::size_t length = s.text.Text().size();
  const int target = x - kMargin + s.scrollX;
  if (target <= 0) return 0;
  // Widths of prefixes grow with their length: search for the boundary.
  std::size_t low = 0, high = length;
  while (low < high) {
    const std::size_t mid = (low + high + 1) / 2;
    if (PrefixWidth(s, mid) <= target) {
      low = mid;
    } else {
      high = mid - 1;
    }
  }
  return low;
}

// The character boundary nearest to client x.
std::size_t IndexAt(EditState& s, int x) {
  const std::size_t low = CharacterAt(s, x);
  const int target = x - kMargin + s.scrollX;
  if (low < s.text.Text().size() && target - PrefixWidth(s, low) > PrefixWidth(s, low + 1) - target) return low + 1;
  return low;
}

void KeepCaretVisible(HWND hwnd, EditState& s) {
  const int caretX = PrefixWidth(s, s.text.Caret());
  const int textWidth = PrefixWidth(s, s.text.Text().size());
  const int visible = VisibleWidth(hwnd);
  if (caretX - s.scrollX > visible - 1) s.scrollX = caretX - visible + 1;
  if (caretX < s.scrollX) s.scrollX = caretX;
  // No empty space on the right while text is hidden on the left.
  s.scrollX = std::max(0, std::min(s.scrollX, std::max(0, textWidth - visible + 1)));
  if (caretX < s.scrollX) s.scrollX = caretX;
}

// Shows the caret and starts its blink again, so it stays in sight while
// the user types or moves it.
void RestartBlink(HWND hwnd, EditState& s) {
  s.caretShown = true;
  if (s.focused) SetTimer(hwnd, kBlinkTimer, kBlinkMs, nullptr);
}

void Changed(HWND hwnd, EditState& s) {
  KeepCaretVisible(hwnd, s);
  RestartBlink(hwnd, s);
  InvalidateRect(hwnd, nullptr, FALSE);
}

void Copy(const EditState& s) {
  if (s.text.HasSelection()) GetDriver()->SetClipboardText(s.text.Selected());
}

// A single-line box takes the clipboard text up to its first line break.
void Paste(HWND hwnd, EditState& s) {
  std::wstring text = GetDriver()->ClipboardText();
  const std::size_t lineEnd = text.find_first_of(L"\r\n");
  if (lineEnd != std::wstring::npos) text.resize(lineEnd);
  s.text.Insert(text);
  Changed(hwnd, s);
}

bool KeyDown(HWND hwnd, EditState& s, UINT vk) {
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  switch (vk) {
    case VK_LEFT: s.text.MoveLeft(ctrl, shift); break;
    case VK_RIGHT: s.text.MoveRight(ctrl, shift); break;
    case VK_HOME: s.text.MoveTo(0, shift); break;
    case VK_END: s.text.MoveTo(s.text.Text().size(), shift); break;
    case VK_DELETE:
      if (shift) {
        Copy(s);
        s.text.DeleteSelection();
      } else {
        s.text.Delete();
      }
      break;
    case VK_INSERT:
      if (ctrl) Copy(s);
      if (shift) Paste(hwnd, s);
      break;
    case 'A':
      if (!ctrl) return false;
      s.text.SelectAll();
      break;
    case 'C':
      if (!ctrl) return false;
      Copy(s);
      break;
    case 'X':
      if (!ctrl) return false;
      Copy(s);
      s.text.DeleteSelection();
      break;
    case 'V':
      if (!ctrl) return false;
      Paste(hwnd, s);
      break;
    default: return false;
  }
  Changed(hwnd, s);
  return true;
}

void Paint(HWND hwnd, EditState& s) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  if (!hdc) {
    EndPaint(hwnd, &ps);
    return;
  }
  RECT client{};
  GetClientRect(hwnd, &client);
  HWND parent = GetParent(hwnd);
  auto brush = parent ? reinterpret_cast<HBRUSH>(SendMessageW(parent, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(hdc),
                                                              reinterpret_cast<LPARAM>(hwnd)))
                      : nullptr;
  if (!brush) {
    // Nobody chose colours: black on white.
    SetTextColor(hdc, RGB(0, 0, 0));
    SetBkColor(hdc, RGB(255, 255, 255));
    brush = static_cast<HBRUSH>(GetStockObject(0));
  }
  FillRect(hdc, &client, brush);

  HGDIOBJ previousFont = s.font ? SelectObject(hdc, s.font) : nullptr;
  const COLORREF textColour = SetTextColor(hdc, RGB(0, 0, 0));
  SetTextColor(hdc, textColour);
  const int previousMode = SetBkMode(hdc, TRANSPARENT);

  const std::wstring& text = s.text.Text();
  const int lineHeight = LineHeight(s);
  const int top = (static_cast<int>(client.bottom) - lineHeight) / 2;
  const int originX = kMargin - s.scrollX;
  const auto [selStart, selEnd] = s.text.Selection();
  const bool showSelection = s.focused && selStart < selEnd;

  auto drawRun = [&](std::size_t from, std::size_t to) {
    if (to <= from) return;
    const int x = originX + PrefixWidth(s, from);
    TextOutW(hdc, x, top, text.c_str() + from, static_cast<int>(to - from));
  };
  if (!showSelection) {
    drawRun(0, text.size());
  } else {
    drawRun(0, selStart);
    const RECT band{originX + PrefixWidth(s, selStart), top, originX + PrefixWidth(s, selEnd), top + lineHeight};
    HBRUSH selection = CreateSolidBrush(kSelectionBack);
    FillRect(hdc, &band, selection);
    DeleteObject(selection);
    SetTextColor(hdc, kSelectionText);
    drawRun(selStart, selEnd);
    SetTextColor(hdc, textColour);
    drawRun(selEnd, text.size());
  }
  if (s.focused && s.caretShown) {
    // The caret, one pixel wide, in the text colour.
    const int caretX = originX + PrefixWidth(s, s.text.Caret());
    const RECT caret{caretX, top, caretX + 1, top + lineHeight};
    HBRUSH caretBrush = CreateSolidBrush(textColour);
    FillRect(hdc, &caret, caretBrush);
    DeleteObject(caretBrush);
  }

  SetBkMode(hdc, previousMode);
  if (previousFont) SelectObject(hdc, previousFont);
  EndPaint(hwnd, &ps);
}

void WriteSelection(const EditState& s, WPARAM startOut, LPARAM endOut) {
  const auto [start, end] = s.text.Selection();
  if (auto* p = reinterpret_cast<DWORD*>(startOut)) *p = static_cast<DWORD>(start);
  if (auto* p = reinterpret_cast<DWORD*>(endOut)) *p = static_cast<DWORD>(end);
}

}  // namespace

const WindowClass* EditClass() {
  static const WindowClass cls = [] {
    WindowClass c;
    c.name = L"Edit";
    c.proc = EditWindowProc;
    c.style = CS_DBLCLKS;
    c.cursor = LoadCursorW(nullptr, IDC_IBEAM);
    c.system = true;
    return c;
  }();
  return &cls;
}

LRESULT CALLBACK EditWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto state = std::make_unique<EditState>();
    state->text.SetLimit(kDefaultLimit);
    Window* w = Find(hwnd);
    if (w) state->text.SetText(w->text);
    States()[hwnd] = std::move(state);
    return TRUE;
  }
  EditState* s = StateOf(hwnd);
  if (!s) return DefWindowProcW(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_NCDESTROY: States().erase(hwnd); return 0;
    case WM_PAINT: Paint(hwnd, *s); return 0;
    case WM_ERASEBKGND: return 1;  // the paint fills the background itself
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      KeepCaretVisible(hwnd, *s);
      if (LOWORD(lParam)) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s->font);
    case WM_SETTEXT: {
      auto text = reinterpret_cast<LPCWSTR>(lParam);
      s->text.SetText(text ? text : L"");
      s->scrollX = 0;
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    }
    case WM_GETTEXT: return CopyTextOut(s->text.Text(), wParam, lParam);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(s->text.Text().size());
    case EM_GETSEL: {
      WriteSelection(*s, wParam, lParam);
      const auto [start, end] = s->text.Selection();
      return MAKELONG(std::min<std::size_t>(start, 0xFFFF), std::min<std::size_t>(end, 0xFFFF));
    }
    case EM_SETSEL: {
      const auto start = static_cast<long long>(static_cast<INT_PTR>(wParam));
      const auto end = static_cast<long long>(lParam);
      s->text.SetSelection(start, end);
      Changed(hwnd, *s);
      return 0;
    }
    case EM_REPLACESEL: {
      auto text = reinterpret_cast<LPCWSTR>(lParam);
      s->text.Insert(text ? text : L"");
      Changed(hwnd, *s);
      return 0;
    }
    case EM_LIMITTEXT: s->text.SetLimit(wParam ? static_cast<std::size_t>(wParam) : 0x7FFFFFFE); return 0;
    case WM_CHAR: {
      const auto ch = static_cast<WCHAR>(wParam);
      // Backspace arrives as a character, as on Win32.
      if (ch == 0x08) {
        s->text.Backspace();
        Changed(hwnd, *s);
        return 0;
      }
      if (ch < 0x20 || ch == 0x7F) return 0;
      s->text.Insert(std::wstring(1, ch));
      Changed(hwnd, *s);
      return 0;
    }
    case WM_KEYDOWN:
      if (KeyDown(hwnd, *s, static_cast<UINT>(wParam))) return 0;
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_COPY: Copy(*s); return 0;
    case WM_CUT:
      Copy(*s);
      s->text.DeleteSelection();
      Changed(hwnd, *s);
      return 0;
    case WM_PASTE: Paste(hwnd, *s); return 0;
    case WM_CLEAR:
      s->text.DeleteSelection();
      Changed(hwnd, *s);
      return 0;
    case WM_SETFOCUS:
      s->focused = true;
      RestartBlink(hwnd, *s);
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_KILLFOCUS:
      s->focused = false;
      s->dragging = false;
      KillTimer(hwnd, kBlinkTimer);
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_TIMER:
      if (wParam != kBlinkTimer) return DefWindowProcW(hwnd, msg, wParam, lParam);
      s->caretShown = !s->caretShown;
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN: {
      if (GetFocus() != hwnd) SetFocus(hwnd);
      if (Window* w = Find(hwnd)) GetDriver()->FocusTopLevel(TopLevelOf(*w).handle);
      s = StateOf(hwnd);
      if (!s) return 0;
      const int x = static_cast<short>(LOWORD(lParam));
      s->text.MoveTo(IndexAt(*s, x), GetKeyState(VK_SHIFT) < 0);
      s->dragging = true;
      SetCapture(hwnd);
      Changed(hwnd, *s);
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      s->text.SelectWordAt(CharacterAt(*s, static_cast<short>(LOWORD(lParam))));
      Changed(hwnd, *s);
      return 0;
    case WM_MOUSEMOVE:
      if (s->dragging) {
        const int x = static_cast<short>(LOWORD(lParam));
        s->text.MoveTo(IndexAt(*s, x), true);
        Changed(hwnd, *s);
      }
      return 0;
    case WM_LBUTTONUP:
      if (s->dragging) {
        s->dragging = false;
        if (GetCapture() == hwnd) ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED: s->dragging = false; return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace platform::user
