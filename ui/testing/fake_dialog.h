// FakeDialogView holds a dialog's controls in memory, as the dialog logic
// sets them and as a test types into them; multi-line controls give their
// text back with "\r" between lines, as a rich edit does. FakeServices
// answers the save-file prompt from a queue, records message boxes and runs
// editors through a test's script. Test-only; one thread.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/ascii.h"
#include "base/dialog_template.h"
#include "base/resource_module.h"
#include "platform/code_page.h"
#include "tests/support/test_message_boxes.h"
#include "ui/dialog_services.h"
#include "ui/dialog_view.h"
#include "ui/editor_dialog.h"

namespace trellisk::ui::testing {

struct FakeControl {
  std::string text;
  bool checked = false;
  bool enabled = true;
  bool shown = true;
  bool readOnly = false;
  std::vector<std::string> items;
  int selection = -1;
  std::optional<size_t> caret;
};

class FakeDialogView final : public DialogView {
 public:
  explicit FakeDialogView(std::set<int> multiLine = {}) : multiLine_(std::move(multiLine)) {}

  std::string Text(int id) const override {
    std::string text = Control(id).text;
    if (!multiLine_.contains(id)) return text;
    std::string lines;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
      lines += text[i] == '\n' ? '\r' : text[i];
    }
    return lines;
  }
  void SetText(int id, std::string_view text) override { controls_[id].text = text; }
  bool IsChecked(int id) const override { return Control(id).checked; }
  void SetChecked(int id, bool checked) override { controls_[id].checked = checked; }
  void Enable(int id, bool enabled) override { controls_[id].enabled = enabled; }
  void Show(int id, bool shown) override { controls_[id].shown = shown; }
  void SetReadOnly(int id, bool readOnly) override { controls_[id].readOnly = readOnly; }
  void SetListItems(int id, const std::vector<std::string>& items) override { controls_[id].items = items; }
  int Selection(int id) const override { return Control(id).selection; }
  void Select(int id, int index) override { controls_[id].selection = index; }
  void Focus(int id) override { focus = id; }
  void SetCaret(int id, size_t position) override { controls_[id].caret = position; }
  void SetTitle(std::string_view text) override { title = text; }
  WindowRect Rect() const override { return rect; }
  void Place(const WindowRect& placed) override { rect = placed; }
  void End(int result) override { ended = result; }

  // The dialog as created from template `id` of `module`: each control
  // with its template text; rich edits are multi-line.
  static FakeDialogView FromTemplate(const ResourceModule& module, int id) {
    FakeDialogView view;
    const std::optional<std::vector<uint8_t>> bytes = module.DialogTemplate(id);
    const std::optional<DialogTemplate> dialog = bytes ? ParseDialogTemplate(*bytes) : std::nullopt;
    if (!dialog) return view;
    for (const DialogItem& item : dialog->items) {
      const int control = DialogItemId(*dialog, item);
      view.controls_[control].text = platform::Utf16ToUtf8(item.title.text);
      // The resource compiler writes class names of classic templates in capitals.
      const std::string windowClass = platform::Utf16ToUtf8(item.windowClass.text);
      if (StartsWithIgnoreCase(windowClass, "RichEdit")) view.multiLine_.insert(control);
    }
    return view;
  }

  FakeControl& operator[](int id) { return controls_[id]; }

  WindowRect rect{10, 20, 310, 220};
  std::string title;
  int focus = 0;
  std::optional<int> ended;

 private:
  const FakeControl& Control(int id) const {
    static const FakeControl kMissing;
    const auto found = controls_.find(id);
    return found == controls_.end() ? kMissing : found->second;
  }

  std::set<int> multiLine_;
  std::map<int, FakeControl> controls_;
};

class FakeServices final : public DialogServices {
 public:
  // What the editor's user does once it is open.
  using EditorScript = std::function<void(EditorDialog& editor, FakeDialogView& view)>;

  platform::MessageBoxes& boxes() override { return boxes_; }
  std::optional<std::string> AskSaveFile(std::string_view filter, std::string_view extension,
                                         std::string_view) override {
    prompts.push_back(std::string(filter) + "|" + std::string(extension));
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void RunEditor(EditorDialog& editor) override {
    editorView = FakeDialogView::FromTemplate(OwnResourceModule(), kEditorTemplateId);
    editorView.rect = editorRect;
    editor.Initialize(editorView);
    if (editorScript) editorScript(editor, editorView);
  }

  ::trellisk::testing::TestMessageBoxes boxes_;
  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> prompts;
  EditorScript editorScript;
  WindowRect editorRect{10, 20, 310, 220};
  FakeDialogView editorView;
};

}  // namespace trellisk::ui::testing
