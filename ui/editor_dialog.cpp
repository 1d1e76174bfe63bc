#include "ui/editor_dialog.h"

#include <array>

#include "base/ascii.h"
#include "ui/setup_actions.h"

namespace trellisk::ui {
namespace {

constexpr std::string_view kTextPrefix = "TEXT:";
constexpr std::string_view kExpressionPrefix = "REGEXP:";

// What follows the first ':' of a prefixed line, trimmed.
std::string AfterColon(std::string_view line) { return std::string(Trim(line.substr(line.find(':') + 1))); }

// The Settings members of each mode's window rectangle.
struct RectangleMembers {
  uint32_t Settings::*left;
  uint32_t Settings::*top;
  uint32_t Settings::*right;
  uint32_t Settings::*bottom;
};

const RectangleMembers& RectangleOf(EditorMode mode) {
  static const std::array<RectangleMembers, 4> kMembers{{
      {&Settings::EditorLogfileLeft, &Settings::EditorLogfileTop, &Settings::EditorLogfileRight,
       &Settings::EditorLogfileBottom},
      {&Settings::EditorWhitelistLeft, &Settings::EditorWhitelistTop, &Settings::EditorWhitelistRight,
       &Settings::EditorWhitelistBottom},
      {&Settings::EditorBlacklistLeft, &Settings::EditorBlacklistTop, &Settings::EditorBlacklistRight,
       &Settings::EditorBlacklistBottom},
      {&Settings::EditorRegExplistLeft, &Settings::EditorRegExplistTop, &Settings::EditorRegExplistRight,
       &Settings::EditorRegExplistBottom},
  }};
  return kMembers[static_cast<size_t>(mode)];
}

TextId TitleOf(EditorMode mode) {
  static constexpr TextId kTitles[] = {kTextLogfileViewer, kTextWhitelistEditor, kTextBlacklistEditor,
                                       kTextRegExpFilterEditor};
  return kTitles[static_cast<size_t>(mode)];
}

void ShowButton(DialogView& view, int id, bool shown) {
  view.Show(id, shown);
  view.Enable(id, shown);
}

bool IsList(EditorMode mode) { return mode == EditorMode::kWhitelist || mode == EditorMode::kBlacklist; }

}  // namespace

std::string FormatListText(std::span<const EditedEntry> entries) {
  std::string text;
  for (const EditedEntry& entry : entries) {
    text += entry.expression ? "REGEXP: " : "TEXT: ";
    text += entry.value;
    text += "\r\n";
  }
  return text;
}

std::vector<EditedEntry> ParseListText(std::string_view text) {
  std::vector<EditedEntry> entries;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\r', start), text.size());
    const std::string_view line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty()) continue;
    if (StartsWithIgnoreCase(line, kTextPrefix)) {
      entries.push_back(EditedEntry{AfterColon(line), false});
    } else if (StartsWithIgnoreCase(line, kExpressionPrefix)) {
      entries.push_back(EditedEntry{AfterColon(line), true});
    } else {
      entries.push_back(EditedEntry{std::string(line), false});
    }
  }
  return entries;
}

std::span<const EditorDialog::LayoutControl> EditorDialog::Layout() {
  static constexpr LayoutControl kLayout[] = {
      {kEditorText, {0, 0, 100, 100}},
      {kEditorApply, {25, 100, 0, 0}},
      {kEditorCancel, {75, 100, 0, 0}},
      {kEditorClose, {50, 100, 0, 0}},
  };
  return kLayout;
}

void EditorDialog::Initialize(DialogView& view) {
  const RectangleMembers& members = RectangleOf(mode_);
  const std::shared_ptr<const Settings> settings = actions_.settings();
  const WindowRect saved{static_cast<int32_t>(settings.get()->*members.left),
                         static_cast<int32_t>(settings.get()->*members.top),
                         static_cast<int32_t>(settings.get()->*members.right),
                         static_cast<int32_t>(settings.get()->*members.bottom)};
  if (saved != WindowRect{}) view.Place(saved);

  view.SetTitle(actions_.Text(TitleOf(mode_)));
  if (mode_ == EditorMode::kLogfile) {
    view.SetReadOnly(kEditorText, true);
    view.SetText(kEditorText, actions_.LogText());
  } else if (IsList(mode_)) {
    view.SetText(kEditorText, FormatListText(actions_.ListEntries(mode_)));
  } else {
    view.SetText(kEditorText, actions_.RuleText());
  }
  const bool viewer = mode_ == EditorMode::kLogfile;
  ShowButton(view, kEditorApply, !viewer);
  ShowButton(view, kEditorCancel, !viewer);
  ShowButton(view, kEditorClose, viewer);

  // The caret at the start of the last line, so that the end is in view.
  view.Focus(kEditorText);
  const std::string text = view.Text(kEditorText);
  const size_t lastBreak = text.rfind('\r');
  view.SetCaret(kEditorText, lastBreak == std::string::npos ? 0 : lastBreak + 1);
}

void EditorDialog::Command(DialogView& view, int controlId) {
  if (controlId != kEditorApply && controlId != kEditorCancel && controlId != kEditorClose) return;
  // The viewer has no Apply; Enter there closes it.
  const bool apply = controlId == kEditorApply && mode_ != EditorMode::kLogfile;
  KeepRectangle(view);
  if (apply && IsList(mode_)) ApplyList(view);
  if (apply && mode_ == EditorMode::kRegExpFilter) actions_.SaveRules(view.Text(kEditorText));
  view.End(controlId);
}

void EditorDialog::KeepRectangle(const DialogView& view) {
  const WindowRect rect = view.Rect();
  const RectangleMembers& members = RectangleOf(mode_);
  actions_.ChangeSettings([&](Settings& settings) {
    settings.*members.left = static_cast<uint32_t>(rect.left);
    settings.*members.top = static_cast<uint32_t>(rect.top);
    settings.*members.right = static_cast<uint32_t>(rect.right);
    settings.*members.bottom = static_cast<uint32_t>(rect.bottom);
  });
}

void EditorDialog::ApplyList(const DialogView& view) {
  actions_.ReplaceList(mode_, ParseListText(view.Text(kEditorText)));
}

}  // namespace trellisk::ui
