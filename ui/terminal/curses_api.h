// The curses interface for the terminal front end's own sources: the wide-
// character functions, and no function-like macros (curses defines
// erase(), move() and clear() as macros otherwise, which break the
// standard library's members of those names). Include it last. Curses
// itself is not thread-safe: see terminal_screen.h.
#pragma once

#ifndef NCURSES_WIDECHAR
#define NCURSES_WIDECHAR 1
#endif
#define NCURSES_NOMACROS 1
#include <curses.h>
