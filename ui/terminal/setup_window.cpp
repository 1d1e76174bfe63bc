#include "ui/terminal/setup_window.h"

#include <algorithm>

#include "ui/terminal/editor_window.h"
#include "ui/terminal/modal_windows.h"
#include "ui/terminal/wide_text.h"

namespace trellisk::ui::terminal {
namespace {

constexpr int kUnitsPerColumn = 4, kUnitsPerRow = 8;

std::optional<DialogTemplate> LoadTemplate(const PluginCore& core, int id) {
  const std::optional<std::vector<uint8_t>> bytes = core.resources().DialogTemplate(id);
  if (!bytes) return std::nullopt;
  return ParseDialogTemplate(*bytes);
}

CellBox Shrunk(const CellBox& box, int rows, int columns) {
  return CellBox{box.row + rows, box.column + columns, std::max(0, box.height - 2 * rows),
                 std::max(0, box.width - 2 * columns)};
}

// A path without an extension in its file name gets `extension`.
std::string WithExtension(std::string path, std::string_view extension) {
  const size_t name = path.find_last_of('/');
  if (path.find('.', name == std::string::npos ? 0 : name) == std::string::npos && !extension.empty()) {
    path += '.';
    path += extension;
  }
  return path;
}

// The cells captions `first` to `last` take with a blank between them and
// at both ends, and the brackets around the `selected` one.
int SpanCells(const std::vector<int>& widths, int first, int last, int selected) {
  int cells = 1;
  for (int i = first; i <= last; ++i) cells += widths[i] + 1 + (i == selected ? 2 : 0);
  return cells;
}

}  // namespace

// Drop-down lists open over the dialog.
DialogForm::ListChooser SetupWindow::ListChooser() {
  return [this](const CellBox& anchor, const std::vector<std::wstring>& entries, int selection) {
    return ChooseFromList(screen_, anchor, entries, selection);
  };
}

std::unique_ptr<SetupWindow> SetupWindow::Open(Screen& screen, PluginCore& core, std::shared_ptr<Session> session) {
  const std::optional<DialogTemplate> frame = LoadTemplate(core, kSetupTemplateId);
  if (!frame) return nullptr;
  std::unique_ptr<SetupWindow> window(new SetupWindow(screen, core, std::move(session), *frame));
  window->OpenPages();
  return window;
}

SetupWindow::SetupWindow(Screen& screen, PluginCore& core, std::shared_ptr<Session> session,
                         const DialogTemplate& frame)
    : screen_(screen),
      core_(core),
      session_(session),
      dialog_(core, std::move(session), *this),
      frame_(frame, nullptr),
      frameRows_(frame.height / kUnitsPerRow + 1 + 2),
      frameColumns_(frame.width / kUnitsPerColumn + 1 + 2) {}

void SetupWindow::OpenPages() {
  for (const std::unique_ptr<SetupPage>& page : dialog_.pages()) {
    captions_.push_back(Wide(core_.texts().Load(page->CaptionId())));
    const std::optional<DialogTemplate> dialog = LoadTemplate(core_, page->TemplateId());
    pages_.push_back(dialog ? std::make_unique<DialogForm>(*dialog, ListChooser()) : nullptr);
    if (pages_.back()) page->Initialize(*pages_.back());
  }
  while (tab_ + 1 < static_cast<int>(pages_.size()) && !pages_[tab_]) ++tab_;
}

int SetupWindow::Run() {
  const Screen::Layer layer(screen_, [this] { Paint(); });
  while (!frame_.ended()) {
    screen_.Repaint();
    HandleKey(screen_.ReadKey());
  }
  return frame_.result();
}

void SetupWindow::Paint() {
  const CellBox window = CentredBox(screen_, frameRows_, frameColumns_);
  screen_.Window(window, frame_.title());
  frame_.Layout(Shrunk(window, 1, 1));
  const CellBox tabs = frame_.BoxOf(kSetupTabControl);
  PaintTabs(CellBox{tabs.row, tabs.column, 1, tabs.width});
  const CellBox pageFrame{tabs.row + 1, tabs.column, tabs.height - 1, tabs.width};
  screen_.Window(pageFrame, L"");
  if (DialogForm* shown = page()) {
    shown->Layout(Shrunk(pageFrame, 1, 1));
    shown->Paint(screen_, focus_.form == shown ? focus_.id : 0);
  }
  frame_.Paint(screen_, focus_.form == &frame_ ? focus_.id : 0);
}

// The captions side by side, the selected one in brackets; when they do
// not all fit, the row scrolls so that the selected one shows, with "<"
// and ">" where captions are left out.
void SetupWindow::PaintTabs(const CellBox& row) {
  tabHits_.clear();
  const int count = static_cast<int>(captions_.size());
  std::vector<int> widths;
  for (const std::wstring& caption : captions_) widths.push_back(CellWidth(caption));
  const bool scrolls = SpanCells(widths, 0, count - 1, tab_) > row.width;
  const int start = row.column + (scrolls ? 1 : 0), end = row.column + row.width - (scrolls ? 1 : 0);
  int first = 0;
  while (scrolls && first < tab_ && SpanCells(widths, first, tab_, tab_) > end - start) ++first;
  const bool tabRowFocused = focus_ == Focus{};
  int x = start + 1, shown = first;
  for (; shown < count; ++shown) {
    const bool selected = shown == tab_;
    const int cells = widths[shown] + (selected ? 2 : 0);
    if (x + cells + 1 > end) break;
    if (selected) screen_.Put(row.row, x, L"[", 1, Style::kTitle);
    const int at = x + (selected ? 1 : 0);
    screen_.Put(row.row, at, captions_[shown], widths[shown],
                selected ? (tabRowFocused ? Style::kFocus : Style::kTitle) : Style::kNormal);
    if (selected) screen_.Put(row.row, at + widths[shown], L"]", 1, Style::kTitle);
    tabHits_.push_back(TabHit{CellBox{row.row, at, 1, widths[shown]}, shown});
    x += cells + 1;
  }
  if (first > 0) screen_.Put(row.row, row.column, L"<", 1, Style::kTitle);
  if (shown < count) screen_.Put(row.row, row.column + row.width - 1, L">", 1, Style::kTitle);
}

std::vector<SetupWindow::Focus> SetupWindow::FocusOrder() {
  std::vector<Focus> order{Focus{}};
  if (DialogForm* shown = page()) {
    for (int id : shown->FocusOrder()) order.push_back(Focus{shown, id});
  }
  for (int id : frame_.FocusOrder()) order.push_back(Focus{&frame_, id});
  return order;
}

void SetupWindow::MoveFocus(int step) {
  const std::vector<Focus> order = FocusOrder();
  const auto at = std::find(order.begin(), order.end(), focus_);
  const int index = at == order.end() ? 0 : static_cast<int>(at - order.begin());
  const int count = static_cast<int>(order.size());
  focus_ = order[((index + step) % count + count) % count];
}

// Tabs switch only when every page could be made.
void SetupWindow::SelectTab(int tab) {
  if (std::any_of(pages_.begin(), pages_.end(), [](const auto& form) { return !form; })) return;
  const int count = static_cast<int>(pages_.size());
  tab_ = (tab % count + count) % count;
  focus_ = Focus{};
}

void SetupWindow::HandleKey(const Key& key) {
  switch (key.code) {
    case KeyCode::kResize:
    case KeyCode::kOther:
      return;
    case KeyCode::kPageUp:
    case KeyCode::kPageDown:
      return SelectTab(tab_ + (key.code == KeyCode::kPageUp ? -1 : 1));
    case KeyCode::kTab:
      return MoveFocus(1);
    case KeyCode::kBackTab:
      return MoveFocus(-1);
    case KeyCode::kEscape:
      return frame_.End(kSetupCancel);
    case KeyCode::kMouse:
      return HandleClick(key);
    default:
      break;
  }
  if (focus_ == Focus{}) {
    if (key.code == KeyCode::kLeft || key.code == KeyCode::kRight) {
      return SelectTab(tab_ + (key.code == KeyCode::kLeft ? -1 : 1));
    }
  } else {
    const DialogForm::Reply reply = focus_.form->Handle(focus_.id, key);
    if (reply == DialogForm::Reply::kCommand) return Press(focus_);
    if (reply == DialogForm::Reply::kHandled) return;
  }
  if (key.code == KeyCode::kEnter && frame_.DefaultButton() != 0) return Press(Focus{&frame_, frame_.DefaultButton()});
  if (key.code == KeyCode::kUp) MoveFocus(-1);
  if (key.code == KeyCode::kDown) MoveFocus(1);
}

void SetupWindow::HandleClick(const Key& key) {
  for (const TabHit& hit : tabHits_) {
    if (hit.box.Contains(key.row, key.column)) return SelectTab(hit.tab);
  }
  for (DialogForm* form : {page(), &frame_}) {
    const int id = form ? form->ControlAt(key.row, key.column) : 0;
    if (id == 0) continue;
    focus_ = Focus{form, id};
    if (form->Click(id, key) == DialogForm::Reply::kCommand) Press(focus_);
    return;
  }
}

void SetupWindow::Press(const Focus& target) {
  if (target.form == &frame_) {
    if (target.id == kSetupOk) {
      std::vector<const DialogView*> views;
      for (const std::unique_ptr<DialogForm>& form : pages_) views.push_back(form.get());
      dialog_.Ok(views);
    }
    if (target.id == kSetupOk || target.id == kSetupCancel) frame_.End(target.id);
    return;
  }
  const auto at = std::find_if(pages_.begin(), pages_.end(), [&](const auto& form) { return form.get() == target.form; });
  if (at == pages_.end()) return;
  dialog_.pages()[at - pages_.begin()]->Command(*target.form, target.id);
  if (const int requested = target.form->TakeFocusRequest()) focus_ = Focus{target.form, requested};
}

std::optional<std::string> SetupWindow::AskSaveFile(std::string_view filter, std::string_view extension,
                                                    std::string_view current) {
  const std::optional<std::string> path = AskLine(screen_, filter, "File name:", current);
  if (!path || path->empty()) return std::nullopt;
  return WithExtension(*path, extension);
}

void SetupWindow::RunEditor(EditorDialog& editor) {
  const std::optional<DialogTemplate> dialog = LoadTemplate(core_, kEditorTemplateId);
  if (!dialog) return;
  EditorWindow window(screen_, *dialog, editor);
  window.Run();
}

}  // namespace trellisk::ui::terminal
