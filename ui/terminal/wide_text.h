// Text as the terminal front end draws and edits it: one wchar_t a code
// point (UTF-32 on Linux), converted from and to the UTF-8 of the dialog
// logic, and its width in terminal cells. Pure functions; thread-safe.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace trellisk::ui::terminal {

std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view text);

// Cells a character takes: 2 for wide East Asian characters, 0 for
// combining marks, 1 otherwise (also for what the terminal cannot print).
int CellWidth(wchar_t c);
int CellWidth(std::wstring_view text);

// The longest start of `text` that fits in `cells`.
std::wstring_view FitCells(std::wstring_view text, int cells);

// The lines of a text with "\n" (or "\r\n") between them.
std::vector<std::wstring> SplitLines(std::wstring_view text);
// Each line broken at blanks (or, without one, anywhere) so that it fits
// `width` cells.
std::vector<std::wstring> WrapLines(std::wstring_view text, int width);

// A button or check box text without its mnemonic markers: "&x" is "x",
// "&&" a "&".
std::wstring WithoutMnemonics(std::wstring_view text);

}  // namespace trellisk::ui::terminal
