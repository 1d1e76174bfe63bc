#include "ui/terminal/text_field.h"

#include <algorithm>

#include "ui/terminal/wide_text.h"

namespace trellisk::ui::terminal {

void TextField::SetText(std::string_view utf8) {
  lines_.assign(1, std::wstring());
  const std::wstring text = Wide(utf8);
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (multiLine_ && (c == L'\r' || c == L'\n')) {
      if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      lines_.emplace_back();
    } else {
      lines_.back() += c;
    }
  }
  line_ = column_ = top_ = left_ = 0;
}

std::string TextField::Text() const {
  std::wstring text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) text += L'\r';
    text += lines_[i];
  }
  return Narrow(text);
}

void TextField::SetCaret(size_t position) {
  size_t offset = 0;
  for (line_ = 0; line_ + 1 < static_cast<int>(lines_.size()); ++line_) {
    const size_t bytes = Narrow(lines_[line_]).size();
    if (position <= offset + bytes) break;
    offset += bytes + 1;
  }
  const std::wstring& text = lines_[line_];
  column_ = 0;
  for (size_t bytes = 0; column_ < static_cast<int>(text.size()); ++column_) {
    bytes += Narrow(std::wstring_view(&text[column_], 1)).size();
    if (offset + bytes > position) break;
  }
}

bool TextField::Handle(const Key& key, int pageRows) {
  switch (key.code) {
    case KeyCode::kChar:
      return Insert(key.ch);
    case KeyCode::kEnter:
      return multiLine_ && Insert(L'\n');
    case KeyCode::kBackspace:
      return Backspace();
    case KeyCode::kDelete:
      return Delete();
    default:
      return Move(key.code, pageRows);
  }
}

bool TextField::Move(KeyCode code, int pageRows) {
  const int length = static_cast<int>(line().size());
  switch (code) {
    case KeyCode::kLeft:
      StepBack();
      return true;
    case KeyCode::kRight:
      StepForward();
      return true;
    case KeyCode::kHome:
      column_ = 0;
      return true;
    case KeyCode::kEnd:
      column_ = length;
      return true;
    case KeyCode::kUp:
    case KeyCode::kDown:
      if (multiLine_) MoveLines(code == KeyCode::kUp ? -1 : 1);
      return multiLine_;
    case KeyCode::kPageUp:
    case KeyCode::kPageDown:
      if (multiLine_) MoveLines((code == KeyCode::kPageUp ? -1 : 1) * std::max(1, pageRows - 1));
      return multiLine_;
    default:
      return false;
  }
}

// Left and Right go over line ends to the neighbouring lines.
void TextField::StepBack() {
  if (column_ > 0) {
    --column_;
  } else if (line_ > 0) {
    --line_;
    column_ = static_cast<int>(line().size());
  }
}

void TextField::StepForward() {
  if (column_ < static_cast<int>(line().size())) {
    ++column_;
  } else if (line_ + 1 < static_cast<int>(lines_.size())) {
    ++line_;
    column_ = 0;
  }
}

void TextField::Click(int row, int cell) {
  line_ = std::clamp(top_ + row, 0, static_cast<int>(lines_.size()) - 1);
  const std::wstring_view rest = std::wstring_view(line()).substr(std::min<size_t>(left_, line().size()));
  column_ = std::min<int>(left_, line().size()) + static_cast<int>(FitCells(rest, cell).size());
}

bool TextField::Insert(wchar_t c) {
  if (readOnly_) return true;
  if (c == L'\n') {
    lines_.insert(lines_.begin() + line_ + 1, line().substr(column_));
    line().resize(column_);
    ++line_;
    column_ = 0;
    return true;
  }
  if (numbersOnly_ && (c < L'0' || c > L'9')) return true;
  if (c < 0x20 || c == 0x7F) return false;
  line().insert(line().begin() + column_, c);
  ++column_;
  return true;
}

bool TextField::Backspace() {
  if (readOnly_) return true;
  if (column_ > 0) {
    line().erase(--column_, 1);
  } else if (line_ > 0) {
    const std::wstring tail = line();
    lines_.erase(lines_.begin() + line_);
    --line_;
    column_ = static_cast<int>(line().size());
    line() += tail;
  }
  return true;
}

bool TextField::Delete() {
  if (readOnly_) return true;
  if (column_ < static_cast<int>(line().size())) {
    line().erase(column_, 1);
  } else if (line_ + 1 < static_cast<int>(lines_.size())) {
    line() += lines_[line_ + 1];
    lines_.erase(lines_.begin() + line_ + 1);
  }
  return true;
}

void TextField::MoveLines(int count) {
  line_ = std::clamp(line_ + count, 0, static_cast<int>(lines_.size()) - 1);
  column_ = std::min(column_, static_cast<int>(line().size()));
}

std::vector<std::wstring> TextField::View(int rows, int cells) {
  rows = std::max(rows, 1);
  cells = std::max(cells, 1);
  top_ = std::clamp(top_, std::max(0, line_ - rows + 1), line_);
  left_ = std::min(left_, column_);
  while (CellWidth(std::wstring_view(line()).substr(left_, column_ - left_)) >= cells) ++left_;
  std::vector<std::wstring> view;
  for (int row = 0; row < rows && top_ + row < static_cast<int>(lines_.size()); ++row) {
    const std::wstring& text = lines_[top_ + row];
    const std::wstring_view rest = std::wstring_view(text).substr(std::min<size_t>(left_, text.size()));
    view.emplace_back(FitCells(rest, cells));
  }
  return view;
}

int TextField::caretCell() const {
  const std::wstring& text = lines_[line_];
  return CellWidth(std::wstring_view(text).substr(left_, column_ - left_));
}

}  // namespace trellisk::ui::terminal
