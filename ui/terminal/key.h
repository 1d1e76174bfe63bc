// Key is one input event of the terminal front end: a typed character, an
// editing or moving key, a mouse click or a resize of the terminal. The screen (terminal_screen.h) reads
// them from the terminal; the controls take them without knowing curses.
// A plain value.
#pragma once

namespace trellisk::ui::terminal {

enum class KeyCode {
  kNone,  // no key (a default Key)
  kChar,
  kTab,
  kBackTab,
  kEnter,
  kEscape,
  kBackspace,
  kDelete,
  kLeft,
  kRight,
  kUp,
  kDown,
  kHome,
  kEnd,
  kPageUp,
  kPageDown,
  kMouse,
  kResize,
  kOther,
};

struct Key {
  KeyCode code = KeyCode::kNone;
  wchar_t ch = 0;
  // Where a mouse button was pressed.
  int row = 0, column = 0;
};

}  // namespace trellisk::ui::terminal
