#include "ui/terminal/terminal_screen.h"

#include <dlfcn.h>
#include <langinfo.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>

#include "ui/terminal/wide_text.h"
#include "ui/terminal/curses_api.h"

namespace trellisk::ui::terminal {
namespace {

constexpr int kIdleWaitMs = 200;
constexpr int kEscapeDelayMs = 25;

// Our texts are UTF-8, so the terminal is driven in a UTF-8 locale while
// the dialog runs.
void UseUtf8Characters() {
  std::setlocale(LC_CTYPE, "");
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
}

// Curses keeps buffers in its own statics after the screen is deleted; if
// the library were unloaded with the plug-in they would be lost (and
// reported as leaks), so it stays loaded for the rest of the process.
void KeepCursesLoaded() {
  Dl_info library;
  if (dladdr(reinterpret_cast<void*>(&newterm), &library) != 0 && library.dli_fname != nullptr) {
    dlopen(library.dli_fname, RTLD_NOW | RTLD_NODELETE | RTLD_NOLOAD);
  }
}

attr_t Attributes(Style style) {
  switch (style) {
    case Style::kTitle:
      return A_BOLD;
    case Style::kField:
      return A_UNDERLINE;
    case Style::kFocus:
      return A_REVERSE;
    case Style::kDisabled:
      return A_DIM;
    default:
      return A_NORMAL;
  }
}

KeyCode FunctionKey(wint_t code) {
  switch (code) {
    case KEY_BTAB:
      return KeyCode::kBackTab;
    case KEY_ENTER:
      return KeyCode::kEnter;
    case KEY_BACKSPACE:
      return KeyCode::kBackspace;
    case KEY_DC:
      return KeyCode::kDelete;
    case KEY_LEFT:
      return KeyCode::kLeft;
    case KEY_RIGHT:
      return KeyCode::kRight;
    case KEY_UP:
      return KeyCode::kUp;
    case KEY_DOWN:
      return KeyCode::kDown;
    case KEY_HOME:
      return KeyCode::kHome;
    case KEY_END:
      return KeyCode::kEnd;
    case KEY_PPAGE:
      return KeyCode::kPageUp;
    case KEY_NPAGE:
      return KeyCode::kPageDown;
    case KEY_RESIZE:
      return KeyCode::kResize;
    case KEY_MOUSE:
      return KeyCode::kMouse;
    default:
      return KeyCode::kOther;
  }
}

Key CharacterKey(wint_t c) {
  switch (c) {
    case L'\t':
      return Key{KeyCode::kTab};
    case L'\n':
    case L'\r':
      return Key{KeyCode::kEnter};
    case 27:
      return Key{KeyCode::kEscape};
    case 8:
    case 127:
      return Key{KeyCode::kBackspace};
    default:
      return c < 0x20 ? Key{KeyCode::kOther} : Key{KeyCode::kChar, static_cast<wchar_t>(c)};
  }
}

// A mouse report as a key; anything but a press of the first button is
// no key at all.
Key MouseKey() {
  MEVENT event;
  if (getmouse(&event) != OK || (event.bstate & (BUTTON1_PRESSED | BUTTON1_CLICKED)) == 0) return Key{KeyCode::kOther};
  return Key{KeyCode::kMouse, 0, event.y, event.x};
}

}  // namespace

std::unique_ptr<Screen> Screen::Open() {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) return nullptr;
  KeepCursesLoaded();
  std::unique_ptr<Screen> screen(new Screen);
  screen->savedLocale_ = std::setlocale(LC_CTYPE, nullptr);
  UseUtf8Characters();
  std::fflush(stdout);
  SCREEN* terminal = newterm(nullptr, stdout, stdin);
  if (terminal == nullptr) return nullptr;
  screen->terminal_ = terminal;
  set_term(terminal);
  cbreak();
  noecho();
  nonl();
  keypad(stdscr, TRUE);
  set_escdelay(kEscapeDelayMs);
  mouseinterval(0);
  mousemask(BUTTON1_PRESSED | BUTTON1_CLICKED, nullptr);
  return screen;
}

Screen::~Screen() {
  if (terminal_ != nullptr) {
    endwin();
    delscreen(static_cast<SCREEN*>(terminal_));
    std::fflush(stdout);
  }
  std::setlocale(LC_CTYPE, savedLocale_.c_str());
}

int Screen::rows() const { return getmaxy(stdscr); }
int Screen::columns() const { return getmaxx(stdscr); }

Key Screen::ReadKey() {
  for (;;) {
    if (idle_) idle_();
    wtimeout(stdscr, kIdleWaitMs);
    wint_t c = 0;
    const int kind = wget_wch(stdscr, &c);
    if (kind == ERR) continue;
    if (kind == KEY_CODE_YES) {
      const KeyCode code = FunctionKey(c);
      if (code == KeyCode::kMouse) return MouseKey();
      return Key{code};
    }
    return CharacterKey(c);
  }
}

Screen::Layer::Layer(Screen& screen, Painter painter) : screen_(screen) {
  screen_.painters_.push_back(std::move(painter));
}

Screen::Layer::~Layer() { screen_.painters_.pop_back(); }

void Screen::Repaint() {
  werase(stdscr);
  caretRow_ = caretColumn_ = -1;
  for (const Painter& painter : painters_) painter();
  if (caretRow_ >= 0) {
    curs_set(1);
    wmove(stdscr, caretRow_, caretColumn_);
  } else {
    curs_set(0);
  }
  wrefresh(stdscr);
}

void Screen::Put(int row, int column, std::wstring_view text, int width, Style style) {
  if (row < 0 || row >= rows() || column < 0 || column >= columns()) return;
  width = std::min(width, columns() - column);
  if (width <= 0) return;
  const std::wstring_view shown = FitCells(text, width);
  std::wstring line(shown);
  line.append(static_cast<size_t>(width - CellWidth(shown)), L' ');
  wattrset(stdscr, Attributes(style));
  mvwaddnwstr(stdscr, row, column, line.c_str(), static_cast<int>(line.size()));
  wattrset(stdscr, A_NORMAL);
}

void Screen::Window(const CellBox& box, std::wstring_view title) {
  for (int row = box.row; row < box.row + box.height; ++row) Put(row, box.column, L"", box.width, Style::kNormal);
  if (box.height < 2 || box.width < 2) return;
  const int right = box.column + box.width - 1, bottom = box.row + box.height - 1;
  mvwhline(stdscr, box.row, box.column + 1, ACS_HLINE, box.width - 2);
  mvwhline(stdscr, bottom, box.column + 1, ACS_HLINE, box.width - 2);
  mvwvline(stdscr, box.row + 1, box.column, ACS_VLINE, box.height - 2);
  mvwvline(stdscr, box.row + 1, right, ACS_VLINE, box.height - 2);
  mvwaddch(stdscr, box.row, box.column, ACS_ULCORNER);
  mvwaddch(stdscr, box.row, right, ACS_URCORNER);
  mvwaddch(stdscr, bottom, box.column, ACS_LLCORNER);
  mvwaddch(stdscr, bottom, right, ACS_LRCORNER);
  if (title.empty() || box.width < 6) return;
  const std::wstring shown = L" " + std::wstring(FitCells(title, box.width - 6)) + L" ";
  Put(box.row, box.column + 2, shown, CellWidth(shown), Style::kTitle);
}

void Screen::PlaceCaret(int row, int column) {
  caretRow_ = row;
  caretColumn_ = column;
}

CellBox CentredBox(const Screen& screen, int height, int width) {
  height = std::min(height, screen.rows());
  width = std::min(width, screen.columns());
  return CellBox{(screen.rows() - height) / 2, (screen.columns() - width) / 2, height, width};
}

}  // namespace trellisk::ui::terminal
