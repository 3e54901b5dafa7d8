#include "user/edit_text.h"

#include <algorithm>
#include <cwctype>

namespace platform::user {
namespace {

bool IsSpace(wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; }

}  // namespace

std::pair<std::size_t, std::size_t> EditText::Selection() const {
  return {std::min(anchor_, caret_), std::max(anchor_, caret_)};
}

std::wstring EditText::Selected() const {
  const auto [start, end] = Selection();
  return text_.substr(start, end - start);
}

void EditText::SetText(const std::wstring& text) {
  text_ = text;
  anchor_ = caret_ = 0;
}

void EditText::SetSelection(long long start, long long end) {
  const auto size = static_cast<long long>(text_.size());
  if (start == -1) {
    anchor_ = caret_;
    return;
  }
  if (end < 0 || end > size) end = size;
  if (start < 0 || start > size) start = size;
  anchor_ = static_cast<std::size_t>(start);
  caret_ = static_cast<std::size_t>(end);
}

void EditText::SelectAll() {
  anchor_ = 0;
  caret_ = text_.size();
}

void EditText::MoveTo(std::size_t index, bool extend) {
  caret_ = std::min(index, text_.size());
  if (!extend) anchor_ = caret_;
}

void EditText::MoveLeft(bool word, bool extend) {
  if (!extend && !word && HasSelection()) {
    MoveTo(Selection().first, false);
    return;
  }
  const std::size_t from = (!extend && HasSelection()) ? Selection().first : caret_;
  MoveTo(word ? WordLeft(from) : (from > 0 ? from - 1 : 0), extend);
}

void EditText::MoveRight(bool word, bool extend) {
  if (!extend && !word && HasSelection()) {
    MoveTo(Selection().second, false);
    return;
  }
  const std::size_t from = (!extend && HasSelection()) ? Selection().second : caret_;
  MoveTo(word ? WordRight(from) : std::min(from + 1, text_.size()), extend);
}

// The start of the word before `from`: skip blanks, then the word.
void EditText::SelectWordAt(std::size_t index) {
  if (text_.empty()) return;
  index = std::min(index, text_.size() - 1);
  const bool space = IsSpace(text_[index]);
  std::size_t start = index, end = index;
  while (start > 0 && IsSpace(text_[start - 1]) == space) --start;
  while (end < text_.size() && IsSpace(text_[end]) == space) ++end;
  anchor_ = start;
  caret_ = end;
}

std::size_t EditText::WordLeft(std::size_t from) const {
  std::size_t i = from;
  while (i > 0 && IsSpace(text_[i - 1])) --i;
  while (i > 0 && !IsSpace(text_[i - 1])) --i;
  return i;
}

// The start of the next word: skip the rest of this word, then blanks.
std::size_t EditText::WordRight(std::size_t from) const {
  std::size_t i = from;
  while (i < text_.size() && !IsSpace(text_[i])) ++i;
  while (i < text_.size() && IsSpace(text_[i])) ++i;
  return i;
}

void EditText::Insert(const std::wstring& text) {
  DeleteSelection();
  const std::size_t room = text_.size() < limit_ ? limit_ - text_.size() : 0;
  const std::size_t n = std::min(room, text.size());
  text_.insert(caret_, text, 0, n);
  MoveTo(caret_ + n, false);
}

void EditText::DeleteSelection() {
  const auto [start, end] = Selection();
  text_.erase(start, end - start);
  anchor_ = caret_ = start;
}

void EditText::Backspace() {
  if (HasSelection()) {
    DeleteSelection();
  } else if (caret_ > 0) {
    text_.erase(caret_ - 1, 1);
    MoveTo(caret_ - 1, false);
  }
}

void EditText::Delete() {
  if (HasSelection()) {
    DeleteSelection();
  } else if (caret_ < text_.size()) {
    text_.erase(caret_, 1);
  }
}

}  // namespace platform::user
