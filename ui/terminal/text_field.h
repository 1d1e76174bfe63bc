// TextField is the editable text of an edit control: one line, or many for
// the multi-line text areas, with a caret, scrolling that keeps the caret
// in view, and the editing keys. Text goes in and out as UTF-8; a
// multi-line text takes "\r\n", "\r" or "\n" line ends and gives a "\r"
// alone between lines back, as the dialog logic expects of such a control.
// Caret positions are counted in code points, scrolling in cells.
//
// Thread-safety: a field belongs to one dialog, used on the UI thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ui/terminal/key.h"

namespace trellisk::ui::terminal {

class TextField {
 public:
  explicit TextField(bool multiLine) : multiLine_(multiLine) {}

  void SetText(std::string_view utf8);
  std::string Text() const;
  // The caret at byte `position` of Text(), or at the end past it.
  void SetCaret(size_t position);
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  void SetNumbersOnly(bool numbersOnly) { numbersOnly_ = numbersOnly; }

  // Applies an editing or moving key; false when the field has no use for
  // it (Tab, Escape, Enter on one line, ...). `pageRows` is how many lines
  // PgUp and PgDn move.
  bool Handle(const Key& key, int pageRows);
  // Puts the caret at a visible row and cell, as a mouse click does.
  void Click(int row, int cell);

  // Scrolls so that the caret is inside a view of `rows` x `cells`, then
  // gives the visible part of each line in that view.
  std::vector<std::wstring> View(int rows, int cells);
  // The caret inside the last View.
  int caretRow() const { return line_ - top_; }
  int caretCell() const;

 private:
  // A key that moves the caret; false when it is none.
  bool Move(KeyCode code, int pageRows);
  void StepBack();
  void StepForward();
  bool Insert(wchar_t c);
  bool Backspace();
  bool Delete();
  void MoveLines(int count);
  std::wstring& line() { return lines_[line_]; }

  bool multiLine_;
  bool readOnly_ = false;
  bool numbersOnly_ = false;
  std::vector<std::wstring> lines_{std::wstring()};
  int line_ = 0, column_ = 0;
  int top_ = 0, left_ = 0;
};

}  // namespace trellisk::ui::terminal
