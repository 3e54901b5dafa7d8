// Keyboard focus between a top-level and its EDIT child.
#include "conformance.h"

namespace conformance {
namespace {

using Focus = ConformanceTest;

TEST_F(Focus, SetFocusSendsKillToTheOldWindowThenSetToTheNew) {
  HWND top = CreateTop();
  HWND edit = CreateEdit(top);
  RecordSubclass(edit);
  SetFocus(top);
  ASSERT_EQ(GetFocus(), top);
  Log().clear();

  EXPECT_EQ(SetFocus(edit), top) << "SetFocus returns the window that had the focus";
  EXPECT_EQ(GetFocus(), edit);
  const int kill = IndexOf(WM_KILLFOCUS, top);
  const int set = IndexOf(WM_SETFOCUS, edit);
  ASSERT_GE(kill, 0);
  ASSERT_GE(set, 0);
  EXPECT_LT(kill, set);
  EXPECT_EQ(reinterpret_cast<HWND>(Log()[static_cast<size_t>(kill)].wParam), edit);
  EXPECT_EQ(reinterpret_cast<HWND>(Log()[static_cast<size_t>(set)].wParam), top);

  Log().clear();
  EXPECT_EQ(SetFocus(top), edit);
  ASSERT_EQ(Only(WM_KILLFOCUS, edit).size(), 1u);
  ASSERT_EQ(Only(WM_SETFOCUS, top).size(), 1u);
  EXPECT_EQ(reinterpret_cast<HWND>(Only(WM_KILLFOCUS, edit)[0].wParam), top);
  EXPECT_EQ(reinterpret_cast<HWND>(Only(WM_SETFOCUS, top)[0].wParam), edit);
  EXPECT_LT(IndexOf(WM_KILLFOCUS, edit), IndexOf(WM_SETFOCUS, top));

  // Focusing the window that has the focus sends nothing.
  Log().clear();
  EXPECT_EQ(SetFocus(top), top);
  EXPECT_TRUE(Only(WM_SETFOCUS).empty());
  EXPECT_TRUE(Only(WM_KILLFOCUS).empty());
}

TEST_F(Focus, APressOnTheParentsClientAreaLeavesTheFocusInTheEdit) {
  HWND top = CreateTop();
  HWND edit = CreateEdit(top);
  RecordSubclass(edit);
  // The edit box takes the focus on its own press.
  SendMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(edit, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ASSERT_EQ(GetFocus(), edit);
  Log().clear();

  // The parent's default handling of a press moves no focus.
  SendMessageW(top, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(250, 150));
  SendMessageW(top, WM_LBUTTONUP, 0, MAKELPARAM(250, 150));
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_TRUE(Only(WM_KILLFOCUS, edit).empty());
  // The same through the queue.
  PostMessageW(top, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(250, 150));
  PostMessageW(top, WM_LBUTTONUP, 0, MAKELPARAM(250, 150));
  Pump();
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_TRUE(Only(WM_KILLFOCUS, edit).empty());
}

}  // namespace
}  // namespace conformance
