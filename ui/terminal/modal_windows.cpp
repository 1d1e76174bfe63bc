#include "ui/terminal/modal_windows.h"

#include <algorithm>

#include "ui/terminal/text_field.h"
#include "ui/terminal/wide_text.h"

namespace trellisk::ui::terminal {
namespace {

constexpr int kMargin = 2;
constexpr int kMaxBoxWidth = 76;
constexpr int kPromptWidth = 70;

const wchar_t* IconWord(platform::MessageBoxIcon icon) {
  switch (icon) {
    case platform::MessageBoxIcon::Information:
      return L"(i) ";
    case platform::MessageBoxIcon::Warning:
      return L"(!) ";
    case platform::MessageBoxIcon::Error:
      return L"(x) ";
    default:
      return L"";
  }
}

bool Dismisses(const Key& key) {
  return key.code == KeyCode::kEnter || key.code == KeyCode::kEscape || key.code == KeyCode::kMouse ||
         (key.code == KeyCode::kChar && key.ch == L' ');
}

}  // namespace

void ShowMessageBox(Screen& screen, std::string_view caption, std::string_view text, platform::MessageBoxIcon icon) {
  const std::wstring body = IconWord(icon) + Wide(text);
  const std::wstring title = Wide(caption);
  const int inner = std::min(kMaxBoxWidth, screen.columns() - 2 * kMargin - 2);
  const std::vector<std::wstring> lines = WrapLines(body, inner);
  int widest = std::max(CellWidth(title) + 4, 8);
  for (const std::wstring& line : lines) widest = std::max(widest, CellWidth(line));
  Screen::Layer layer(screen, [&] {
    const CellBox box = CentredBox(screen, static_cast<int>(lines.size()) + 4, std::min(widest, inner) + 2 * kMargin);
    screen.Window(box, title);
    for (size_t i = 0; i < lines.size(); ++i) {
      screen.Put(box.row + 1 + static_cast<int>(i), box.column + kMargin, lines[i], box.width - 2 * kMargin,
                 Style::kNormal);
    }
    screen.Put(box.row + box.height - 2, box.column + (box.width - 6) / 2, L"[ OK ]", 6, Style::kFocus);
  });
  for (;;) {
    screen.Repaint();
    if (Dismisses(screen.ReadKey())) return;
  }
}

std::optional<std::string> AskLine(Screen& screen, std::string_view caption, std::string_view label,
                                   std::string_view initial) {
  TextField field(false);
  field.SetText(initial);
  field.SetCaret(initial.size());
  const std::wstring title = Wide(caption), prompt = Wide(label);
  const std::wstring keys = L"Enter: OK   Esc: Cancel";
  Screen::Layer layer(screen, [&] {
    const CellBox box = CentredBox(screen, 6, kPromptWidth + 2 * kMargin);
    const int width = box.width - 2 * kMargin;
    screen.Window(box, title);
    screen.Put(box.row + 1, box.column + kMargin, prompt, width, Style::kNormal);
    const std::vector<std::wstring> view = field.View(1, width);
    screen.Put(box.row + 2, box.column + kMargin, view.empty() ? L"" : view[0], width, Style::kFocus);
    screen.Put(box.row + 4, box.column + kMargin, keys, width, Style::kNormal);
    screen.PlaceCaret(box.row + 2, box.column + kMargin + field.caretCell());
  });
  for (;;) {
    screen.Repaint();
    const Key key = screen.ReadKey();
    if (key.code == KeyCode::kEnter) return field.Text();
    if (key.code == KeyCode::kEscape) return std::nullopt;
    field.Handle(key, 1);
  }
}

std::optional<int> ChooseFromList(Screen& screen, const CellBox& anchor, const std::vector<std::wstring>& entries,
                                  int selection) {
  if (entries.empty()) return std::nullopt;
  const int count = static_cast<int>(entries.size());
  int current = std::clamp(selection, 0, count - 1);
  int top = 0;
  CellBox list;
  Screen::Layer layer(screen, [&] {
    const int below = screen.rows() - anchor.row - 1, above = anchor.row;
    const int height = std::min(count, std::max(below, above));
    list = CellBox{below >= height ? anchor.row + 1 : anchor.row - height, anchor.column, height, anchor.width};
    top = std::clamp(top, std::max(0, current - height + 1), current);
    for (int row = 0; row < height && top + row < count; ++row) {
      screen.Put(list.row + row, list.column, L" " + entries[top + row], list.width,
                 top + row == current ? Style::kFocus : Style::kField);
    }
  });
  for (;;) {
    screen.Repaint();
    const Key key = screen.ReadKey();
    switch (key.code) {
      case KeyCode::kEnter:
        return current;
      case KeyCode::kEscape:
        return std::nullopt;
      case KeyCode::kMouse:
        if (!list.Contains(key.row, key.column)) return std::nullopt;
        return top + key.row - list.row;
      case KeyCode::kUp:
      case KeyCode::kDown:
      case KeyCode::kPageUp:
      case KeyCode::kPageDown: {
        const int step = key.code == KeyCode::kUp || key.code == KeyCode::kDown ? 1 : std::max(1, list.height - 1);
        const bool back = key.code == KeyCode::kUp || key.code == KeyCode::kPageUp;
        current = std::clamp(current + (back ? -step : step), 0, count - 1);
        break;
      }
      case KeyCode::kHome:
        current = 0;
        break;
      case KeyCode::kEnd:
        current = count - 1;
        break;
      default:
        break;
    }
  }
}

}  // namespace trellisk::ui::terminal
