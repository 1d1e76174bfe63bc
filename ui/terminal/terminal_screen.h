// Screen is the terminal while the setup dialog owns it: curses started on
// the process's terminal (standard input and output) in character-at-a-
// time mode, without echo, with the keypad and, where the terminal reports
// it, the mouse; and put back as it was when the Screen is destroyed, on
// every way out. The dialogs paint in layers: each open window (the frame,
// the editor, a message box) holds a Layer for as long as it is open, and
// Repaint draws all layers from the bottom, so that a window closed or a
// resized terminal shows what lies beneath again.
//
// Thread-safety: curses is not thread-safe; a Screen and everything that
// paints on it are used on the thread that opened it only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/terminal/cell_layout.h"
#include "ui/terminal/key.h"

namespace trellisk::ui::terminal {

enum class Style { kNormal, kTitle, kField, kFocus, kDisabled };

class Screen {
 public:
  using Painter = std::function<void()>;

  // Null when standard input and output are not both a terminal, or curses
  // cannot start on it.
  static std::unique_ptr<Screen> Open();
  ~Screen();
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  int rows() const;
  int columns() const;

  // The next key; runs `idle` (when set) whenever no key came for a
  // moment, and before the first wait.
  Key ReadKey();
  void SetIdle(std::function<void()> idle) { idle_ = std::move(idle); }

  // A window's painter, on top of all others while the Layer lives.
  class Layer {
   public:
    Layer(Screen& screen, Painter painter);
    ~Layer();
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

   private:
    Screen& screen_;
  };
  void Repaint();

  // Painting, for the painters. `text` is cut at `width` cells and the
  // rest of `width` filled with blanks; nothing lands outside the screen.
  void Put(int row, int column, std::wstring_view text, int width, Style style);
  // A window: a border with `title` in its top line and a blank inside.
  void Window(const CellBox& box, std::wstring_view title);
  // Where the caret shows after this repaint (none unless a painter says).
  void PlaceCaret(int row, int column);

 private:
  Screen() = default;

  std::vector<Painter> painters_;
  std::function<void()> idle_;
  std::string savedLocale_;
  void* terminal_ = nullptr;
  int caretRow_ = -1, caretColumn_ = -1;
};

// A box of `height` x `width` cells in the middle of the screen (made
// smaller where the screen is).
CellBox CentredBox(const Screen& screen, int height, int width);

}  // namespace trellisk::ui::terminal
