// The EDIT class: text, selection and typing by WM_CHAR.
#include "conformance.h"

#include <string>

namespace conformance {
namespace {

class Edit : public ConformanceTest {
 protected:
  void SetUp() override {
    ConformanceTest::SetUp();
    top = CreateTop();
    edit = CreateEdit(top, L"Castle");
    ASSERT_NE(edit, nullptr);
    SetFocus(edit);
  }
  std::wstring Text() const {
    wchar_t buffer[128] = {};
    GetWindowTextW(edit, buffer, 128);
    return buffer;
  }
  std::pair<int, int> Selection() const {
    DWORD start = 0;
    DWORD end = 0;
    const LRESULT packed =
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(static_cast<DWORD>(LOWORD(packed)), start);
    EXPECT_EQ(static_cast<DWORD>(HIWORD(packed)), end);
    return {static_cast<int>(start), static_cast<int>(end)};
  }
  void Type(const wchar_t* text) {
    for (const wchar_t* c = text; *c; ++c) SendMessageW(edit, WM_CHAR, static_cast<WPARAM>(*c), 1);
  }
  HWND top = nullptr;
  HWND edit = nullptr;
};

TEST_F(Edit, GetTextCountsAndTruncatesLikeWin32) {
  wchar_t buffer[16];
  EXPECT_EQ(SendMessageW(edit, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(buffer)), 6);
  EXPECT_EQ(std::wstring(buffer), L"Castle");
  EXPECT_EQ(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0), 6);
  // A short buffer takes what fits and a terminator.
  EXPECT_EQ(SendMessageW(edit, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(buffer)), 3);
  EXPECT_EQ(std::wstring(buffer), L"Cas");
  EXPECT_TRUE(SetWindowTextW(edit, L""));
  EXPECT_EQ(GetWindowTextLengthW(edit), 0);
  EXPECT_EQ(Text(), L"");
}

TEST_F(Edit, SetSelOrdersAndClampsAndTypingReplacesTheSelection) {
  SendMessageW(edit, EM_SETSEL, 1, 3);
  EXPECT_EQ(Selection(), std::make_pair(1, 3));
  // A reversed range reads back in order.
  SendMessageW(edit, EM_SETSEL, 4, 2);
  EXPECT_EQ(Selection(), std::make_pair(2, 4));
  // Past the end clamps; (0, -1) is everything.
  SendMessageW(edit, EM_SETSEL, 2, 100);
  EXPECT_EQ(Selection(), std::make_pair(2, 6));
  SendMessageW(edit, EM_SETSEL, 0, -1);
  EXPECT_EQ(Selection(), std::make_pair(0, 6));

  SendMessageW(edit, EM_SETSEL, 1, 3);
  Type(L"x");
  EXPECT_EQ(Text(), L"Cxtle");
  EXPECT_EQ(Selection(), std::make_pair(2, 2));
  // Backspace takes the character before the caret, or the selection.
  Type(L"\b");
  EXPECT_EQ(Text(), L"Ctle");
  EXPECT_EQ(Selection(), std::make_pair(1, 1));
  SendMessageW(edit, EM_SETSEL, 0, 2);
  Type(L"\b");
  EXPECT_EQ(Text(), L"le");
  SendMessageW(edit, EM_SETSEL, 0, 0);
  Type(L"\b");
  EXPECT_EQ(Text(), L"le") << "backspace at the start does nothing";
}

TEST_F(Edit, ReplaceSelAndTheTextLimit) {
  SendMessageW(edit, EM_SETSEL, 6, 6);
  SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L" Gate"));
  EXPECT_EQ(Text(), L"Castle Gate");
  EXPECT_EQ(Selection(), std::make_pair(11, 11));

  SendMessageW(edit, EM_LIMITTEXT, 12, 0);
  Type(L"ab");
  EXPECT_EQ(Text(), L"Castle Gatea") << "typing stops at the limit";
  // Setting the text directly is not held to the limit.
  SetWindowTextW(edit, L"A name longer than twelve");
  EXPECT_EQ(Text(), L"A name longer than twelve");
}

TEST_F(Edit, SettingTheTextPutsTheCaretAtTheStart) {
  SendMessageW(edit, EM_SETSEL, 3, 5);
  SetWindowTextW(edit, L"Moat");
  EXPECT_EQ(Selection(), std::make_pair(0, 0));
}

TEST_F(Edit, CopyCutAndPasteGoThroughTheClipboard) {
  HWND other = CreateEdit(top, L"Gate", 1001);
  ASSERT_NE(other, nullptr);
  SendMessageW(edit, EM_SETSEL, 0, 6);
  SendMessageW(edit, WM_COPY, 0, 0);
  EXPECT_EQ(Text(), L"Castle") << "copy leaves the text";
  SendMessageW(other, EM_SETSEL, 4, 4);
  SendMessageW(other, WM_PASTE, 0, 0);
  wchar_t buffer[64] = {};
  GetWindowTextW(other, buffer, 64);
  EXPECT_EQ(std::wstring(buffer), L"GateCastle");

  // Cut takes the selection away; paste replaces a selection.
  SendMessageW(edit, EM_SETSEL, 0, 3);
  SendMessageW(edit, WM_CUT, 0, 0);
  EXPECT_EQ(Text(), L"tle");
  EXPECT_EQ(Selection(), std::make_pair(0, 0));
  SendMessageW(other, EM_SETSEL, 0, 4);
  SendMessageW(other, WM_PASTE, 0, 0);
  GetWindowTextW(other, buffer, 64);
  EXPECT_EQ(std::wstring(buffer), L"CasCastle");

  // Clear deletes without touching the clipboard; copying nothing keeps it.
  SendMessageW(edit, EM_SETSEL, 0, 1);
  SendMessageW(edit, WM_CLEAR, 0, 0);
  EXPECT_EQ(Text(), L"le");
  SendMessageW(edit, EM_SETSEL, 1, 1);
  SendMessageW(edit, WM_COPY, 0, 0);
  SendMessageW(edit, EM_SETSEL, 0, 0);
  SendMessageW(edit, WM_PASTE, 0, 0);
  EXPECT_EQ(Text(), L"Casle");
}

// A dialog-style caller asks a box what keys it wants: characters and
// arrows, not Tab or Enter (a single-line box).
TEST_F(Edit, ASingleLineBoxWantsCharactersAndArrowsButNotAllKeys) {
  const LRESULT code = SendMessageW(edit, WM_GETDLGCODE, 0, 0);
  EXPECT_TRUE(code & DLGC_WANTCHARS);
  EXPECT_TRUE(code & DLGC_WANTARROWS);
  EXPECT_TRUE(code & DLGC_HASSETSEL);
  EXPECT_FALSE(code & DLGC_WANTALLKEYS);
  EXPECT_FALSE(code & DLGC_WANTTAB);
}

TEST_F(Edit, KeyDownMovesTheCaretAndDeleteTakesTheNextCharacter) {
  const auto key = [&](UINT vk) { SendMessageW(edit, WM_KEYDOWN, vk, 1); };
  SendMessageW(edit, EM_SETSEL, 3, 3);
  key(VK_HOME);
  EXPECT_EQ(Selection(), std::make_pair(0, 0));
  key(VK_END);
  EXPECT_EQ(Selection(), std::make_pair(6, 6));
  key(VK_LEFT);
  key(VK_LEFT);
  EXPECT_EQ(Selection(), std::make_pair(4, 4));
  key(VK_RIGHT);
  EXPECT_EQ(Selection(), std::make_pair(5, 5));
  key(VK_DELETE);
  EXPECT_EQ(Text(), L"Castl");
  key(VK_DELETE);
  EXPECT_EQ(Text(), L"Castl") << "delete at the end does nothing";
  // Without Shift held an arrow drops the selection.
  SendMessageW(edit, EM_SETSEL, 1, 4);
  key(VK_HOME);
  EXPECT_EQ(Selection(), std::make_pair(0, 0));
  SendMessageW(edit, EM_SETSEL, 1, 4);
  key(VK_DELETE);
  EXPECT_EQ(Text(), L"Cl") << "delete takes the selection";
}

// The shell's boxes scroll sideways: a name longer than the box is taken
// whole.
TEST_F(Edit, AnAutoScrollingBoxTakesTextWiderThanItself) {
  HWND narrow =
      CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 40, 40, 20, top,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(1002)), GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(narrow, nullptr);
  const std::wstring name = L"Tower of Latria, second visit";
  for (wchar_t c : name) SendMessageW(narrow, WM_CHAR, static_cast<WPARAM>(c), 1);
  wchar_t buffer[64] = {};
  GetWindowTextW(narrow, buffer, 64);
  EXPECT_EQ(std::wstring(buffer), name);
}

}  // namespace
}  // namespace conformance
