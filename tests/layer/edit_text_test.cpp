// What each editing command does to the text, the caret and the selection.
#include <gtest/gtest.h>

#include "user/edit_text.h"

namespace {

using platform::user::EditText;

EditText With(const std::wstring& text, std::size_t caret) {
  EditText e;
  e.SetText(text);
  e.MoveTo(caret, false);
  return e;
}

TEST(EditTextTest, TypingReplacesTheSelectionAndStopsAtTheLimit) {
  EditText e = With(L"Boss Start", 4);
  e.Insert(L"!");
  EXPECT_EQ(e.Text(), L"Boss! Start");
  EXPECT_EQ(e.Caret(), 5u);
  e.SetSelection(0, 4);
  e.Insert(L"End");
  EXPECT_EQ(e.Text(), L"End! Start");
  EXPECT_EQ(e.Caret(), 3u);
  EXPECT_FALSE(e.HasSelection());

  e.SetLimit(12);
  e.Insert(L"xyz");  // room for two only
  EXPECT_EQ(e.Text(), L"Endxy! Start");
  EXPECT_EQ(e.Caret(), 5u);
  e.SetSelection(0, 3);
  e.Insert(L"ABCD");  // the selection makes room
  EXPECT_EQ(e.Text(), L"ABCxy! Start");
}

// Each takes one character beside the caret, or the selection only, and
// nothing at the edges.
TEST(EditTextTest, BackspaceAndDelete) {
  EditText e = With(L"ab", 0);
  e.Backspace();
  EXPECT_EQ(e.Text(), L"ab");
  e.Delete();
  EXPECT_EQ(e.Text(), L"b");
  e.MoveTo(1, false);
  e.Delete();
  EXPECT_EQ(e.Text(), L"b");
  e.Backspace();
  EXPECT_EQ(e.Text(), L"");
  e.Backspace();
  e.Delete();
  EXPECT_EQ(e.Text(), L"");
  EXPECT_EQ(e.Caret(), 0u);

  e.SetText(L"abcdef");
  e.SetSelection(4, 1);
  EXPECT_EQ(e.Selected(), L"bcd");
  e.Backspace();
  EXPECT_EQ(e.Text(), L"aef");
  EXPECT_EQ(e.Caret(), 1u);
  e.SetSelection(1, 3);
  e.Delete();
  EXPECT_EQ(e.Text(), L"a");
}

TEST(EditTextTest, ArrowsHomeEndWithAndWithoutShift) {
  EditText e = With(L"hello", 2);
  e.MoveRight(false, true);
  e.MoveRight(false, true);
  EXPECT_EQ(e.Selected(), L"ll");
  e.MoveLeft(false, false);  // collapses to the left end of the selection
  EXPECT_EQ(e.Caret(), 2u);
  EXPECT_FALSE(e.HasSelection());
  e.MoveTo(e.Text().size(), true);  // Shift+End
  EXPECT_EQ(e.Selected(), L"llo");
  e.MoveRight(false, false);  // collapses to the right end
  EXPECT_EQ(e.Caret(), 5u);
  e.MoveRight(false, false);
  EXPECT_EQ(e.Caret(), 5u);
  e.MoveTo(0, true);  // Shift+Home from the end selects everything
  EXPECT_EQ(e.Selected(), L"hello");
  EXPECT_EQ(e.Caret(), 0u);
  e.MoveLeft(false, false);
  e.MoveLeft(false, false);
  EXPECT_EQ(e.Caret(), 0u);
  e.SelectAll();
  EXPECT_EQ(e.Selected(), L"hello");
  EXPECT_EQ(e.Caret(), 5u);
}

TEST(EditTextTest, WordMovesStopAtWordStarts) {
  EditText e = With(L"Boss  Start end", 0);
  e.MoveRight(true, false);
  EXPECT_EQ(e.Caret(), 6u);
  e.MoveRight(true, false);
  EXPECT_EQ(e.Caret(), 12u);
  e.MoveRight(true, false);
  EXPECT_EQ(e.Caret(), 15u);
  e.MoveRight(true, false);
  EXPECT_EQ(e.Caret(), 15u);
  e.MoveLeft(true, false);
  EXPECT_EQ(e.Caret(), 12u);
  e.MoveTo(8, false);  // inside "Start"
  e.MoveLeft(true, false);
  EXPECT_EQ(e.Caret(), 6u);
  e.MoveLeft(true, true);
  EXPECT_EQ(e.Selected(), L"Boss  ");
  e.MoveLeft(true, false);
  EXPECT_EQ(e.Caret(), 0u);
}

TEST(EditTextTest, SetSelectionClampsAndMinusOneMeansTheEnd) {
  EditText e = With(L"abc", 1);
  e.SetSelection(0, -1);
  EXPECT_EQ(e.Selected(), L"abc");
  e.SetSelection(-1, 0);  // drops the selection, the caret stays
  EXPECT_FALSE(e.HasSelection());
  EXPECT_EQ(e.Caret(), 3u);
  e.SetSelection(2, 99);
  EXPECT_EQ(e.Selected(), L"c");
  e.SetSelection(99, 1);
  EXPECT_EQ(e.Selection(), (std::pair<std::size_t, std::size_t>{1, 3}));
  e.SetText(L"x");
  EXPECT_EQ(e.Caret(), 0u);
  EXPECT_FALSE(e.HasSelection());
}

}  // namespace
