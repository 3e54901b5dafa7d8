// The text, caret and selection of a single-line edit box, without any
// drawing: what each editing command does to them.
#pragma once

#include <cstddef>
#include <string>
#include <utility>

namespace platform::user {

class EditText {
 public:
  const std::wstring& Text() const { return text_; }
  std::size_t Caret() const { return caret_; }
  std::size_t Anchor() const { return anchor_; }
  // [start, end), start <= end.
  std::pair<std::size_t, std::size_t> Selection() const;
  bool HasSelection() const { return anchor_ != caret_; }
  std::wstring Selected() const;

  // Replaces everything; the caret goes to the start.
  void SetText(const std::wstring& text);
  // Typing and pasting stop at the limit; text set as a whole does not.
  void SetLimit(std::size_t limit) { limit_ = limit; }

  // EM_SETSEL: start -1 drops the selection, end -1 means the end of text.
  void SetSelection(long long start, long long end);
  void SelectAll();
  // Selects the word, or the run of spaces, holding character `index`.
  void SelectWordAt(std::size_t index);
  // Moves the caret; with `extend` the anchor stays where it is.
  void MoveTo(std::size_t index, bool extend);
  void MoveLeft(bool word, bool extend);
  void MoveRight(bool word, bool extend);

  // Replaces the selection (or inserts at the caret).
  void Insert(const std::wstring& text);
  void DeleteSelection();
  void Backspace();
  void Delete();

 private:
  std::size_t WordLeft(std::size_t from) const;
  std::size_t WordRight(std::size_t from) const;

  std::wstring text_;
  std::size_t anchor_ = 0;
  std::size_t caret_ = 0;
  std::size_t limit_ = 30000;
};

}  // namespace platform::user
