#include "ui/terminal/dialog_form.h"

#include <algorithm>
#include <utility>

#include "base/ascii.h"
#include "platform/code_page.h"
#include "ui/terminal/wide_text.h"

namespace trellisk::ui::terminal {
namespace {

// Style bits of the templates.
constexpr uint32_t kDisabledStyle = 0x08000000;
constexpr uint32_t kButtonTypeMask = 0x0F;
constexpr uint32_t kDefaultPushButton = 0x01;
constexpr uint32_t kCheckBox = 0x02, kAutoCheckBox = 0x03;
constexpr uint32_t kMultiLine = 0x0004;
constexpr uint32_t kReadOnly = 0x0800;
constexpr uint32_t kNumbersOnly = 0x2000;
// The predefined window classes by their atoms.
constexpr uint16_t kButtonClass = 0x80, kEditClass = 0x81, kStaticClass = 0x82, kComboBoxClass = 0x85;

constexpr int kCheckMarkCells = 4;   // "[x] "
constexpr int kButtonFrameCells = 4;  // "[ " and " ]"
constexpr int kMinTextAreaRows = 3;
constexpr int kUnitsPerRow = 8;

ControlKind KindOfItem(const DialogItem& item) {
  if (item.windowClass.number) {
    switch (*item.windowClass.number) {
      case kButtonClass: {
        const uint32_t type = item.style & kButtonTypeMask;
        return type == kCheckBox || type == kAutoCheckBox ? ControlKind::kCheckBox : ControlKind::kButton;
      }
      case kEditClass:
        return (item.style & kMultiLine) ? ControlKind::kTextArea : ControlKind::kEdit;
      case kComboBoxClass:
        return ControlKind::kDropDown;
      default:
        return ControlKind::kStatic;
    }
  }
  const std::string name = platform::Utf16ToUtf8(item.windowClass.text);
  if (StartsWithIgnoreCase(name, "RichEdit")) return ControlKind::kTextArea;
  if (EqualsIgnoreCase(name, "SysTabControl32")) return ControlKind::kTabs;
  return ControlKind::kStatic;
}

int WidestLine(std::wstring_view text) {
  int widest = 0;
  for (const std::wstring& line : SplitLines(text)) widest = std::max(widest, CellWidth(line));
  return widest;
}

int LineCount(std::wstring_view text) { return static_cast<int>(SplitLines(text).size()); }

// The text area inside a multi-line control's border.
CellBox TextAreaInside(const CellBox& box) {
  if (box.height < 3 || box.width < 3) return box;
  return CellBox{box.row + 1, box.column + 1, box.height - 2, box.width - 2};
}

}  // namespace

DialogForm::DialogForm(const DialogTemplate& dialog, ListChooser chooser)
    : chooser_(std::move(chooser)),
      dialogWidth_(dialog.width), title_(Wide(platform::Utf16ToUtf8(dialog.title))) {
  for (const DialogItem& item : dialog.items) {
    Control control;
    control.id = DialogItemId(dialog, item);
    control.kind = KindOfItem(item);
    control.item = item;
    control.text = Wide(platform::Utf16ToUtf8(item.title.text));
    if (control.kind == ControlKind::kButton || control.kind == ControlKind::kCheckBox) {
      control.text = WithoutMnemonics(control.text);
    }
    control.field = TextField(control.kind == ControlKind::kTextArea);
    control.field.SetText(Narrow(control.text));
    control.field.SetNumbersOnly((item.style & kNumbersOnly) != 0 && control.kind == ControlKind::kEdit);
    control.field.SetReadOnly((item.style & kReadOnly) != 0);
    control.enabled = (item.style & kDisabledStyle) == 0;
    control.isDefault =
        control.kind == ControlKind::kButton && (item.style & kButtonTypeMask) == kDefaultPushButton;
    controls_.push_back(std::move(control));
  }
}

LayoutItem DialogForm::LayoutOf(const Control& control) const {
  const DialogItem& item = control.item;
  LayoutItem layout{item.x, item.y, item.width, item.height};
  switch (control.kind) {
    case ControlKind::kStatic:
      layout.rows = std::max({1, item.height / kUnitsPerRow, LineCount(control.text)});
      if (layout.rows == 1) layout.needWidth = CellWidth(control.text);
      break;
    case ControlKind::kCheckBox:
      layout.rows = LineCount(control.text);
      layout.needWidth = kCheckMarkCells + WidestLine(control.text);
      break;
    case ControlKind::kButton:
      layout.needWidth = kButtonFrameCells + CellWidth(control.text);
      break;
    case ControlKind::kTextArea:
    case ControlKind::kTabs:
      layout.rows = kMinTextAreaRows;
      layout.flexible = true;
      break;
    default:
      break;
  }
  return layout;
}

void DialogForm::Layout(const CellBox& area) {
  std::vector<LayoutItem> items;
  for (const Control& control : controls_) items.push_back(LayoutOf(control));
  const std::vector<CellBox> boxes = LayoutCells(items, dialogWidth_, area.height, area.width);
  for (size_t i = 0; i < controls_.size(); ++i) {
    CellBox box = boxes[i];
    box.row += area.row;
    box.column += area.column;
    if (box.row + box.height > area.row + area.height) box.width = 0;
    controls_[i].box = box;
  }
}

void DialogForm::Move(int id, const CellBox& box) {
  if (Control* control = Find(id)) control->box = box;
}

CellBox DialogForm::BoxOf(int id) const {
  const Control* control = Find(id);
  return control ? control->box : CellBox{};
}

void DialogForm::Paint(Screen& screen, int focus) {
  for (Control& control : controls_) {
    if (control.shown && control.box.width > 0) PaintControl(screen, control, control.id == focus);
  }
}

void DialogForm::PaintControl(Screen& screen, Control& control, bool focused) {
  const CellBox& box = control.box;
  const Style plain = control.enabled ? Style::kNormal : Style::kDisabled;
  const Style active = !control.enabled ? Style::kDisabled : focused ? Style::kFocus : Style::kNormal;
  switch (control.kind) {
    case ControlKind::kStatic: {
      const std::vector<std::wstring> lines = WrapLines(control.text, box.width);
      for (int row = 0; row < box.height && row < static_cast<int>(lines.size()); ++row) {
        screen.Put(box.row + row, box.column, lines[row], box.width, plain);
      }
      break;
    }
    case ControlKind::kCheckBox: {
      const std::vector<std::wstring> lines = SplitLines(control.text);
      screen.Put(box.row, box.column, control.checked ? L"[x]" : L"[ ]", 3, active);
      for (int row = 0; row < box.height && row < static_cast<int>(lines.size()); ++row) {
        screen.Put(box.row + row, box.column + kCheckMarkCells, lines[row], box.width - kCheckMarkCells, plain);
      }
      break;
    }
    case ControlKind::kButton: {
      const std::wstring label = L"[ " + control.text + L" ]";
      const int indent = std::max(0, (box.width - CellWidth(label)) / 2);
      screen.Put(box.row, box.column, L"", indent, plain);
      screen.Put(box.row, box.column + indent, label, box.width - indent, active);
      break;
    }
    case ControlKind::kDropDown: {
      const std::wstring chosen = control.selection >= 0 ? control.entries[control.selection] : L"";
      screen.Put(box.row, box.column, chosen, box.width - 2, focused && control.enabled ? Style::kFocus : Style::kField);
      screen.Put(box.row, box.column + box.width - 2, L" v", 2, active);
      break;
    }
    case ControlKind::kEdit:
    case ControlKind::kTextArea:
      PaintField(screen, control, focused);
      break;
    case ControlKind::kTabs:
      break;
  }
}

void DialogForm::PaintField(Screen& screen, Control& control, bool focused) {
  CellBox inside = control.box;
  if (control.kind == ControlKind::kTextArea) {
    screen.Window(control.box, L"");
    inside = TextAreaInside(control.box);
  }
  TextField& field = control.field;
  const std::vector<std::wstring> lines = field.View(inside.height, inside.width);
  const Style style = !control.enabled ? Style::kDisabled
                      : control.kind == ControlKind::kEdit ? (focused ? Style::kFocus : Style::kField)
                                                            : Style::kNormal;
  for (int row = 0; row < inside.height; ++row) {
    screen.Put(inside.row + row, inside.column, row < static_cast<int>(lines.size()) ? lines[row] : L"",
               inside.width, style);
  }
  if (focused) screen.PlaceCaret(inside.row + field.caretRow(), inside.column + field.caretCell());
}

bool DialogForm::Interactive(const Control& control) {
  return control.kind != ControlKind::kStatic && control.kind != ControlKind::kTabs && control.shown &&
         control.enabled && control.box.width > 0;
}

std::vector<int> DialogForm::FocusOrder() const {
  std::vector<int> order;
  for (const Control& control : controls_) {
    if (Interactive(control)) order.push_back(control.id);
  }
  return order;
}

int DialogForm::ControlAt(int row, int column) const {
  for (const Control& control : controls_) {
    if (Interactive(control) && control.box.Contains(row, column)) return control.id;
  }
  return 0;
}

int DialogForm::DefaultButton() const {
  for (const Control& control : controls_) {
    if (control.isDefault && Interactive(control)) return control.id;
  }
  return 0;
}

DialogForm::Reply DialogForm::Handle(int id, const Key& key) {
  Control* control = Find(id);
  if (control == nullptr || !Interactive(*control)) return Reply::kIgnored;
  const bool space = key.code == KeyCode::kChar && key.ch == L' ';
  switch (control->kind) {
    case ControlKind::kEdit:
    case ControlKind::kTextArea:
      return control->field.Handle(key, TextAreaInside(control->box).height) ? Reply::kHandled : Reply::kIgnored;
    case ControlKind::kCheckBox:
      return space ? Toggle(*control) : Reply::kIgnored;
    case ControlKind::kButton:
      return space || key.code == KeyCode::kEnter ? Reply::kCommand : Reply::kIgnored;
    case ControlKind::kDropDown:
      return space || key.code == KeyCode::kEnter ? ChooseEntry(*control) : Reply::kIgnored;
    default:
      return Reply::kIgnored;
  }
}

DialogForm::Reply DialogForm::Click(int id, const Key& key) {
  Control* control = Find(id);
  if (control == nullptr || !Interactive(*control)) return Reply::kIgnored;
  switch (control->kind) {
    case ControlKind::kEdit:
    case ControlKind::kTextArea: {
      const CellBox inside = control->kind == ControlKind::kTextArea ? TextAreaInside(control->box) : control->box;
      control->field.Click(key.row - inside.row, key.column - inside.column);
      return Reply::kHandled;
    }
    case ControlKind::kCheckBox:
      return Toggle(*control);
    case ControlKind::kButton:
      return Reply::kCommand;
    case ControlKind::kDropDown:
      return ChooseEntry(*control);
    default:
      return Reply::kIgnored;
  }
}

DialogForm::Reply DialogForm::Toggle(Control& control) {
  control.checked = !control.checked;
  return Reply::kCommand;
}

DialogForm::Reply DialogForm::ChooseEntry(Control& control) {
  const std::optional<int> chosen = chooser_ ? chooser_(control.box, control.entries, control.selection) : std::nullopt;
  if (!chosen || *chosen == control.selection) return Reply::kHandled;
  control.selection = *chosen;
  return Reply::kCommand;
}

int DialogForm::TakeFocusRequest() { return std::exchange(focusRequest_, 0); }

DialogForm::Control* DialogForm::Find(int id) {
  for (Control& control : controls_) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

const DialogForm::Control* DialogForm::Find(int id) const { return const_cast<DialogForm*>(this)->Find(id); }

std::string DialogForm::Text(int id) const {
  const Control* control = Find(id);
  if (control == nullptr) return {};
  switch (control->kind) {
    case ControlKind::kEdit:
    case ControlKind::kTextArea:
      return control->field.Text();
    case ControlKind::kDropDown:
      return control->selection >= 0 ? Narrow(control->entries[control->selection]) : std::string();
    default:
      return Narrow(control->text);
  }
}

void DialogForm::SetText(int id, std::string_view text) {
  Control* control = Find(id);
  if (control == nullptr) return;
  control->text = Wide(text);
  control->field.SetText(text);
}

bool DialogForm::IsChecked(int id) const {
  const Control* control = Find(id);
  return control != nullptr && control->checked;
}

void DialogForm::SetChecked(int id, bool checked) {
  if (Control* control = Find(id)) control->checked = checked;
}

void DialogForm::Enable(int id, bool enabled) {
  if (Control* control = Find(id)) control->enabled = enabled;
}

void DialogForm::Show(int id, bool shown) {
  if (Control* control = Find(id)) control->shown = shown;
}

void DialogForm::SetReadOnly(int id, bool readOnly) {
  if (Control* control = Find(id)) control->field.SetReadOnly(readOnly);
}

void DialogForm::SetListItems(int id, const std::vector<std::string>& items) {
  Control* control = Find(id);
  if (control == nullptr) return;
  control->entries.clear();
  for (const std::string& item : items) control->entries.push_back(Wide(item));
  control->selection = -1;
}

int DialogForm::Selection(int id) const {
  const Control* control = Find(id);
  return control ? control->selection : -1;
}

void DialogForm::Select(int id, int index) {
  Control* control = Find(id);
  if (control == nullptr) return;
  control->selection = index >= 0 && index < static_cast<int>(control->entries.size()) ? index : -1;
}

void DialogForm::Focus(int id) { focusRequest_ = id; }

void DialogForm::SetCaret(int id, size_t position) {
  if (Control* control = Find(id)) control->field.SetCaret(position);
}

void DialogForm::SetTitle(std::string_view title) { title_ = Wide(title); }

WindowRect DialogForm::Rect() const {
  return WindowRect{window_.column, window_.row, window_.column + window_.width, window_.row + window_.height};
}

void DialogForm::Place(const WindowRect& rect) {
  if (placer_) placer_(rect);
}

void DialogForm::End(int result) { result_ = result; }

}  // namespace trellisk::ui::terminal
