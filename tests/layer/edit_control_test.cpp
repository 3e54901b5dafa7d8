// The EDIT control as the shell uses it: a child of a window that answers
// WM_CTLCOLOREDIT, typed into through the driver, read back by message and
// by the pixels it presents.
#include <string>

#include "gdi/gdi_internal.h"
#include "layer_fixture.h"

namespace layer_test {
namespace {

constexpr COLORREF kText = RGB(232, 232, 242);
constexpr COLORREF kBack = RGB(47, 51, 65);
constexpr COLORREF kParentFill = RGB(200, 0, 0);

class EditControlTest : public LayerTest {
 protected:
  void SetUp() override {
    LayerTest::SetUp();
    brush = CreateSolidBrush(kBack);
    font = CreateFontW(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_OUTLINE_PRECIS, CLIP_DEFAULT_PRECIS,
                       CLEARTYPE_QUALITY, VARIABLE_PITCH, L"Segoe UI");
    // The parent fills its client with one colour and answers the colour query.
    SetHandler([this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
      if (m == WM_CTLCOLOREDIT) {
        SetTextColor(reinterpret_cast<HDC>(w), kText);
        SetBkColor(reinterpret_cast<HDC>(w), kBack);
        return reinterpret_cast<LRESULT>(brush);
      }
      if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(h, &ps);
        HBRUSH fill = CreateSolidBrush(kParentFill);
        RECT client;
        GetClientRect(h, &client);
        FillRect(hdc, &client, fill);
        DeleteObject(fill);
        EndPaint(h, &ps);
        return 0;
      }
      return DefWindowProcW(h, m, w, l);
    });
    top = CreateTop(0, 0, 320, 400);
    edit = CreateEdit(top, kLeft, kTop, kWidth, kHeight, L"");
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    Pump();
  }
  void TearDown() override {
    LayerTest::TearDown();
    DeleteObject(brush);
    DeleteObject(font);
  }

  std::wstring Text() {
    wchar_t buffer[1024];
    GetWindowTextW(edit, buffer, 1024);
    return buffer;
  }
  std::pair<DWORD, DWORD> Sel() {
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
  }
  void Focus() {
    driver.Click(top, kLeft + kWidth - 5, kTop + kHeight / 2);
    Pump();
    ASSERT_EQ(GetFocus(), edit);
  }
  void Key(UINT vk, bool ctrl = false, bool shift = false) {
    if (ctrl) driver.Key(top, VK_CONTROL, true);
    if (shift) driver.Key(top, VK_SHIFT, true);
    driver.KeyPress(top, vk);
    if (shift) driver.Key(top, VK_SHIFT, false);
    if (ctrl) driver.Key(top, VK_CONTROL, false);
    Pump();
  }
  void Type(const std::wstring& text) {
    driver.Type(top, text);
    Pump();
  }
  // Frame columns inside the box where the caret stands: a solid run of the
  // text colour across the middle rows (where no '.' glyph reaches).
  std::vector<int> CaretColumns() {
    std::vector<int> columns;
    const int mid = kTop + kHeight / 2;
    for (int x = kLeft + 1; x < kLeft + kWidth - 1; ++x) {
      bool solid = true;
      for (int y = mid - 3; y <= mid + 1; ++y) solid = solid && driver.Pixel(top, x, y) == kText;
      if (solid) columns.push_back(x);
    }
    return columns;
  }

  static constexpr int kLeft = 40, kTop = 60, kWidth = 180, kHeight = 28;
  HBRUSH brush = nullptr;
  HFONT font = nullptr;
  HWND top = nullptr;
  HWND edit = nullptr;
};

TEST_F(EditControlTest, KeysReachTheBoxOnlyWhileItHasTheFocus) {
  Type(L"abc");
  EXPECT_EQ(Text(), L"");
  Focus();
  Type(L"abc");
  EXPECT_EQ(Text(), L"abc");
  // A press beside the box leaves it the focus, as on Windows.
  driver.Click(top, 300, 300);
  Pump();
  Type(L"x");
  EXPECT_EQ(Text(), L"abcx");
  SetFocus(top);
  Type(L"y");
  EXPECT_EQ(Text(), L"abcx");
}

TEST_F(EditControlTest, TypingEditingKeysAndControlCharacters) {
  Focus();
  Type(L"Boss Start");
  Key(VK_BACK);
  EXPECT_EQ(Text(), L"Boss Star");
  // The character deletes, as on Win32; other control characters type nothing.
  driver.Char(top, 0x08);
  driver.Char(top, L'\t');
  Pump();
  EXPECT_EQ(Text(), L"Boss Sta");
  Type(L"r");
  Key(VK_HOME);
  Key(VK_DELETE);
  EXPECT_EQ(Text(), L"oss Star");
  Key(VK_BACK);  // at the start: nothing
  EXPECT_EQ(Text(), L"oss Star");
  Key(VK_END);
  Key(VK_DELETE);  // at the end: nothing
  EXPECT_EQ(Text(), L"oss Star");
  Key(VK_LEFT, /*ctrl=*/true);
  EXPECT_EQ(Sel(), (std::pair<DWORD, DWORD>{4, 4}));
  Key(VK_RIGHT, true, /*shift=*/true);
  EXPECT_EQ(Sel(), (std::pair<DWORD, DWORD>{4, 8}));
  Type(L"t\u00e9");
  EXPECT_EQ(Text(), L"oss t\u00e9");
  Key(VK_HOME, false, true);
  EXPECT_EQ(Sel(), (std::pair<DWORD, DWORD>{0, 6}));
  Key('A', true);
  Type(L"New");
  EXPECT_EQ(Text(), L"New");
}

TEST_F(EditControlTest, ClipboardCommandsGoThroughTheDriver) {
  Focus();
  Type(L"Enter the castle");
  Key(VK_LEFT, true);
  Key(VK_END, false, true);
  Key('C', true);
  EXPECT_EQ(driver.ClipboardText(), L"castle");
  Key('X', true);
  EXPECT_EQ(Text(), L"Enter the ");
  Key(VK_HOME);
  Key('V', true);
  EXPECT_EQ(Text(), L"castleEnter the ");
  driver.SetClipboardText(L"one\r\ntwo");
  SendMessageW(edit, WM_PASTE, 0, 0);  // a single line takes the first line only
  EXPECT_EQ(Text(), L"castleoneEnter the ");
  SendMessageW(edit, EM_SETSEL, 0, 6);
  SendMessageW(edit, WM_CUT, 0, 0);
  EXPECT_EQ(driver.ClipboardText(), L"castle");
  EXPECT_EQ(Text(), L"oneEnter the ");
  Key('V');  // without Ctrl it is just a key
  EXPECT_EQ(Text(), L"oneEnter the ");
}

TEST_F(EditControlTest, SetTextGetTextAndFontAndLongTextReadBackCut) {
  EXPECT_TRUE(SetWindowTextW(edit, L"idk"));
  EXPECT_EQ(Text(), L"idk");
  EXPECT_EQ(Sel(), (std::pair<DWORD, DWORD>{0, 0}));
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0)), font);
  wchar_t cls[16];
  GetClassNameW(edit, cls, 16);
  EXPECT_EQ(lstrcmpiW(cls, L"Edit"), 0);
  HWND made = CreateEdit(top, 0, 0, 50, 20, L"Boss Start");
  wchar_t buffer[32];
  GetWindowTextW(made, buffer, 32);
  EXPECT_STREQ(buffer, L"Boss Start");
  MSG msg;
  Pump();
  SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  EXPECT_FALSE(PeekMessageW(&msg, made, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  EXPECT_TRUE(PeekMessageW(&msg, made, WM_PAINT, WM_PAINT, PM_NOREMOVE));

  // Long typed text is kept whole and read back cut to the buffer.
  Focus();
  SetWindowTextW(edit, L"");
  Type(std::wstring(300, L'x'));
  EXPECT_EQ(GetWindowTextLengthW(edit), 300);
  wchar_t longBuffer[256];
  EXPECT_EQ(GetWindowTextW(edit, longBuffer, 256), 255);
  EXPECT_EQ(std::wstring(longBuffer).size(), 255u);
}

TEST_F(EditControlTest, PaintAsksTheParentForColoursAndRedrawsItsFrameAfterTheParentOrAsASubclassDoes) {
  Log().clear();
  InvalidateRect(top, nullptr, TRUE);
  Pump();
  const auto queries = Only(WM_CTLCOLOREDIT);
  ASSERT_EQ(queries.size(), 1u);
  EXPECT_EQ(reinterpret_cast<HWND>(queries[0].lParam), edit);
  // The parent painted over the box; the box's border and client came back.
  EXPECT_EQ(driver.Pixel(top, kLeft, kTop), RGB(0, 0, 0));
  EXPECT_EQ(driver.Pixel(top, kLeft + kWidth - 1, kTop + kHeight - 1), RGB(0, 0, 0));
  EXPECT_EQ(driver.Pixel(top, kLeft + 1, kTop + 1), kBack);
  EXPECT_EQ(driver.Pixel(top, kLeft - 1, kTop), kParentFill);
  EXPECT_EQ(driver.Pixel(top, kLeft + kWidth, kTop), kParentFill);

  // A subclass replaces the frame painting.
  static const COLORREF outline = RGB(55, 62, 78);
  HMODULE comctl = LoadLibraryW(L"comctl32.dll");
  auto set = reinterpret_cast<BOOL (*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR)>(
      reinterpret_cast<void (*)()>(GetProcAddress(comctl, "SetWindowSubclass")));
  static LRESULT (*def)(HWND, UINT, WPARAM, LPARAM);
  def = reinterpret_cast<LRESULT (*)(HWND, UINT, WPARAM, LPARAM)>(
      reinterpret_cast<void (*)()>(GetProcAddress(comctl, "DefSubclassProc")));
  ASSERT_TRUE(set(
      edit,
      [](HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) -> LRESULT {
        if (m != WM_NCPAINT) return def(h, m, w, l);
        HDC hdc = GetWindowDC(h);
        RECT r;
        GetWindowRect(h, &r);
        const RECT whole{0, 0, r.right - r.left, r.bottom - r.top};
        HBRUSH b = CreateSolidBrush(outline);
        FillRect(hdc, &whole, b);
        DeleteObject(b);
        ReleaseDC(h, hdc);
        return 0;
      },
      0, 0));
  InvalidateRect(top, nullptr, TRUE);
  Pump();
  EXPECT_EQ(driver.Pixel(top, kLeft, kTop), outline);
  EXPECT_EQ(driver.Pixel(top, kLeft + kWidth - 1, kTop + 5), outline);
  EXPECT_EQ(driver.Pixel(top, kLeft + 1, kTop + 1), kBack);  // the client paints over the inside
}

TEST_F(EditControlTest, TextIsDrawnInTheQueriedColourAndTheSelectionInverted) {
  SetWindowTextW(edit, L"MMMM");
  Pump();
  auto count = [&](COLORREF colour) {
    int n = 0;
    for (int x = kLeft + 1; x < kLeft + kWidth - 1; ++x) {
      for (int y = kTop + 1; y < kTop + kHeight - 1; ++y) n += driver.Pixel(top, x, y) == colour;
    }
    return n;
  };
  // Anti-aliased glyphs: a few pixels of the exact colour, many in between.
  const int inside = (kWidth - 2) * (kHeight - 2);
  EXPECT_GT(count(kText), 0);
  EXPECT_LT(count(kBack), inside - 50);
  EXPECT_EQ(count(RGB(0, 120, 215)), 0);
  Focus();
  Key('A', true);
  EXPECT_GT(count(RGB(0, 120, 215)), 50);
  EXPECT_GT(count(RGB(255, 255, 255)), 0);
  Key(VK_RIGHT);  // the selection goes, and its colours with it
  EXPECT_EQ(count(RGB(0, 120, 215)), 0);
}

TEST_F(EditControlTest, ScrollingKeepsTheCaretInView) {
  Focus();
  ASSERT_EQ(CaretColumns().size(), 1u);
  const int emptyCaret = CaretColumns()[0];
  EXPECT_LE(emptyCaret, kLeft + 4);
  Type(std::wstring(120, L'.'));  // far wider than the box
  ASSERT_EQ(CaretColumns().size(), 1u);
  const int endCaret = CaretColumns()[0];
  EXPECT_GT(endCaret, kLeft + kWidth / 2);
  EXPECT_LT(endCaret, kLeft + kWidth - 1);
  Key(VK_HOME);
  ASSERT_EQ(CaretColumns().size(), 1u);
  EXPECT_EQ(CaretColumns()[0], emptyCaret);
  Key(VK_END);
  ASSERT_EQ(CaretColumns().size(), 1u);
  EXPECT_EQ(CaretColumns()[0], endCaret);
  // Deleting from the end pulls the text back instead of leaving a gap.
  for (int i = 0; i < 120; ++i) driver.KeyPress(top, VK_BACK);
  Pump();
  EXPECT_EQ(Text(), L"");
  ASSERT_EQ(CaretColumns().size(), 1u);
  EXPECT_EQ(CaretColumns()[0], emptyCaret);
}

TEST_F(EditControlTest, MouseDragSelectsAndHoldsTheCapture) {
  SetWindowTextW(edit, L"abcdefghij");
  Pump();
  driver.Press(top, kLeft + 2, kTop + 10);
  Pump();
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(GetCapture(), edit);
  EXPECT_EQ(Sel(), (std::pair<DWORD, DWORD>{0, 0}));
  driver.MoveMouse(top, kLeft + kWidth + 50, kTop + 40);  // far outside the box
  Pump();
  EXPECT_EQ(Sel(), (std::pair<DWORD, DWORD>{0, 10}));
  driver.Release(top, kLeft + kWidth + 50, kTop + 40);
  Pump();
  EXPECT_EQ(GetCapture(), nullptr);
  driver.MoveMouse(top, kLeft + 2, kTop + 10);  // no drag any more
  Pump();
  EXPECT_EQ(Sel(), (std::pair<DWORD, DWORD>{0, 10}));

  // A press inside the text puts the caret at the nearest boundary.
  driver.Click(top, kLeft + kWidth - 5, kTop + 10);
  Pump();
  EXPECT_EQ(Sel(), (std::pair<DWORD, DWORD>{10, 10}));
  driver.AdvanceTime(1000);  // not a double click
  driver.Press(top, kLeft + kWidth - 5, kTop + 10);
  driver.MoveMouse(top, kLeft - 30, kTop + 10);
  driver.Release(top, kLeft - 30, kTop + 10);
  Pump();
  EXPECT_EQ(Sel(), (std::pair<DWORD, DWORD>{0, 10}));
  Type(L"z");
  EXPECT_EQ(Text(), L"z");
}

// A double click selects the word (or the run of spaces) under the
// pointer, so a split's name can be replaced a word at a time.
TEST_F(EditControlTest, ADoubleClickSelectsTheWordUnderThePointer) {
  Focus();
  Type(L"Boss Start");
  // Client x of the middle of a prefix's last character: border, margin, text.
  HDC measure = CreateCompatibleDC(nullptr);
  HGDIOBJ oldFont = SelectObject(measure, font);
  const auto middleOf = [&](const std::wstring& prefix) {
    SIZE before{}, after{};
    GetTextExtentPoint32W(measure, prefix.c_str(), static_cast<int>(prefix.size()) - 1, &before);
    GetTextExtentPoint32W(measure, prefix.c_str(), static_cast<int>(prefix.size()), &after);
    return kLeft + 1 + 2 + (before.cx + after.cx) / 2;
  };
  const auto doubleClick = [&](int x) {
    driver.AdvanceTime(1000);
    driver.Click(top, x, kTop + kHeight / 2);
    driver.AdvanceTime(120);
    driver.Click(top, x, kTop + kHeight / 2);
    Pump();
  };
  doubleClick(middleOf(L"Boss Sta"));
  EXPECT_EQ(Sel(), (std::pair<DWORD, DWORD>{5, 10}));
  doubleClick(middleOf(L"Boss "));
  EXPECT_EQ(Sel(), (std::pair<DWORD, DWORD>{4, 5}));
  doubleClick(middleOf(L"B"));
  EXPECT_EQ(Sel(), (std::pair<DWORD, DWORD>{0, 4}));
  Type(L"Final");
  EXPECT_EQ(Text(), L"Final Start");
  // Beyond the text: the last word.
  doubleClick(kLeft + kWidth - 5);
  EXPECT_EQ(Sel(), (std::pair<DWORD, DWORD>{6, 11}));
  SelectObject(measure, oldFont);
  DeleteDC(measure);
}

// The caret blinks while the box has the focus, shows at once when the
// user types, and is gone while another window has the focus.
TEST_F(EditControlTest, TheCaretBlinksWhileTheBoxHasTheFocus) {
  Focus();
  Type(L"ab");
  const auto caretAfter = [&](int ms) {
    driver.AdvanceTime(ms);
    Pump();
    return CaretColumns().size();
  };
  EXPECT_EQ(caretAfter(0), 1u);
  EXPECT_EQ(caretAfter(520), 1u);
  EXPECT_EQ(caretAfter(20), 0u);
  EXPECT_EQ(caretAfter(530), 1u);
  EXPECT_EQ(caretAfter(530), 0u);
  Type(L"c");
  EXPECT_EQ(caretAfter(0), 1u) << "typing shows the caret";
  EXPECT_EQ(caretAfter(300), 1u) << "and starts its blink again";
  SetFocus(top);
  Pump();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(caretAfter(530), 0u);
}

TEST_F(EditControlTest, AThousandBoxesLeaveNothingBehind) {
  Focus();
  const int windows = platform::LiveWindowCount();
  const int objects = platform::gdi::LiveGdiObjectCount();
  for (int round = 0; round < 10; ++round) {
    std::vector<HWND> boxes;
    for (int i = 0; i < 100; ++i) boxes.push_back(CreateEdit(top, 10, 10 + i, 180, 28, L"New Split"));
    SetFocus(boxes[3]);
    SetCapture(boxes[4]);
    Pump();  // each one paints
    for (HWND box : boxes) DestroyWindow(box);
  }
  Pump();
  EXPECT_EQ(platform::LiveWindowCount(), windows);
  EXPECT_EQ(platform::gdi::LiveGdiObjectCount(), objects);
  EXPECT_EQ(GetFocus(), top);
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
}  // namespace layer_test
