#include "ui/terminal/editor_window.h"

#include <algorithm>

namespace trellisk::ui::terminal {
namespace {

constexpr int kUnitsPerColumn = 4, kUnitsPerRow = 8;

CellBox Inside(const CellBox& window) {
  return CellBox{window.row + 1, window.column + 1, std::max(0, window.height - 2), std::max(0, window.width - 2)};
}

CellBox FullScreen(const Screen& screen) { return CellBox{0, 0, screen.rows(), screen.columns()}; }

// A place on the screen, made to fit it.
CellBox OnScreen(const Screen& screen, CellBox box) {
  box.width = std::clamp(box.width, 4, screen.columns());
  box.height = std::clamp(box.height, 4, screen.rows());
  box.column = std::clamp(box.column, 0, screen.columns() - box.width);
  box.row = std::clamp(box.row, 0, screen.rows() - box.height);
  return box;
}

}  // namespace

EditorWindow::EditorWindow(Screen& screen, const DialogTemplate& dialog, EditorDialog& editor)
    : screen_(screen), editor_(editor), form_(dialog, nullptr) {
  // The template's own size first, then the layout follows every change.
  window_ = CentredBox(screen_, dialog.height / kUnitsPerRow + 2, dialog.width / kUnitsPerColumn + 2);
  const CellBox inside = Inside(window_);
  form_.Layout(inside);
  for (const EditorDialog::LayoutControl& control : EditorDialog::Layout()) {
    const CellBox box = form_.BoxOf(control.id);
    inside_[control.id] = ControlBox{box.column - inside.column, box.row - inside.row, box.width, box.height};
    layout_.Add(control.id, control.shares);
  }
  layout_.Start(inside.width, inside.height);
  form_.SetWindow(window_);
  form_.SetPlacer([this](const WindowRect& rect) {
    PlaceWindow(CellBox{rect.top, rect.left, rect.bottom - rect.top, rect.right - rect.left});
  });
}

void EditorWindow::Run() {
  PlaceWindow(FullScreen(screen_));
  editor_.Initialize(form_);
  const Screen::Layer layer(screen_, [this] { Paint(); });
  while (!form_.ended()) {
    if (const int requested = form_.TakeFocusRequest()) focus_ = requested;
    screen_.Repaint();
    HandleKey(screen_.ReadKey());
  }
}

void EditorWindow::Paint() {
  screen_.Window(window_, form_.title());
  form_.Paint(screen_, focus_);
}

void EditorWindow::PlaceWindow(CellBox box) {
  window_ = OnScreen(screen_, box);
  covering_ = window_ == FullScreen(screen_);
  form_.SetWindow(window_);
  const CellBox inside = Inside(window_);
  layout_.Resize(
      inside.width, inside.height, [this](int id) { return inside_[id]; },
      [this](const std::vector<ResizeLayout::Placement>& moves) {
        for (const ResizeLayout::Placement& move : moves) inside_[move.id] = move.box;
      });
  for (const auto& [id, box] : inside_) {
    form_.Move(id, CellBox{inside.row + box.y, inside.column + box.x, box.height, box.width});
  }
}

// A window that covered the screen covers it again; any other keeps its
// place as far as the screen allows.
void EditorWindow::Resized() {
  PlaceWindow(covering_ ? FullScreen(screen_) : window_);
}

void EditorWindow::HandleKey(const Key& key) {
  switch (key.code) {
    case KeyCode::kResize:
      return Resized();
    case KeyCode::kTab:
      return MoveFocus(1);
    case KeyCode::kBackTab:
      return MoveFocus(-1);
    case KeyCode::kEscape:
      return Press(kEditorCancel);
    case KeyCode::kMouse:
      if (const int id = form_.ControlAt(key.row, key.column)) {
        focus_ = id;
        if (form_.Click(id, key) == DialogForm::Reply::kCommand) Press(id);
      }
      return;
    default:
      break;
  }
  const DialogForm::Reply reply = form_.Handle(focus_, key);
  if (reply == DialogForm::Reply::kCommand) return Press(focus_);
  if (reply == DialogForm::Reply::kHandled) return;
  if (key.code == KeyCode::kEnter && form_.DefaultButton() != 0) return Press(form_.DefaultButton());
  if (key.code == KeyCode::kUp || key.code == KeyCode::kLeft) MoveFocus(-1);
  if (key.code == KeyCode::kDown || key.code == KeyCode::kRight) MoveFocus(1);
}

void EditorWindow::MoveFocus(int step) {
  const std::vector<int> order = form_.FocusOrder();
  if (order.empty()) return;
  const auto at = std::find(order.begin(), order.end(), focus_);
  const int index = at == order.end() ? (step > 0 ? -1 : 0) : static_cast<int>(at - order.begin());
  const int count = static_cast<int>(order.size());
  focus_ = order[((index + step) % count + count) % count];
}

}  // namespace trellisk::ui::terminal
