#include "ui/setup_actions.h"

#include <algorithm>

#include "base/text_line_end.h"

namespace trellisk::ui {
namespace {

// What the user is told when a store could not save to its old file.
TextId MoveFailureText(StoreFile file) {
  switch (file) {
    case StoreFile::kWordDatabase:
      return kTextWordDatabaseStoreFailed;
    case StoreFile::kUndoDatabase:
      return kTextUndoDatabaseStoreFailed;
    default:
      return kTextListsStoreFailed;
  }
}

bool IsWhitelist(EditorMode list) { return list == EditorMode::kWhitelist; }

bool BelongsTo(EditorMode list, ListEntryKind kind) {
  return IsWhitelist(list) ? (kind == kWhiteText || kind == kWhiteRegExp) : (kind == kBlackText || kind == kBlackRegExp);
}

// Every LF of `text` as CR LF, as the editor's text control takes it.
std::string WithEditorLineEnds(std::string_view text) {
  std::string lines;
  lines.reserve(text.size() + text.size() / 32);
  for (char c : text) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  return lines;
}

}  // namespace

void SetupActions::ShowMessage(TextId caption, TextId text, platform::MessageBoxIcon icon) {
  services_.boxes().Show(Text(caption), Text(text), icon);
}

void SetupActions::MoveStore(StoreFile file, const std::string& path) {
  if (!session_->MoveStore(file, path)) ShowMessage(kTextError, MoveFailureText(file), platform::MessageBoxIcon::Error);
}

void SetupActions::ChooseLanguage(uint32_t language) {
  ChangeSettings([&](Settings& settings) { settings.Language = language; });
  core_.SwitchLanguage(language);
}

void SetupActions::CheckServers(const std::vector<std::string>& zones) { session_->dnsBlacklist.CheckServers(zones); }

std::vector<EditedEntry> SetupActions::ListEntries(EditorMode list) {
  struct Listed {
    uint32_t sequence;
    EditedEntry entry;
  };
  CBlackWhitelist& lists = session_->blackWhitelist;
  std::vector<Listed> listed;
  const uint32_t slots = lists.SlotCount();
  for (uint32_t slot = 0; slot < slots; ++slot) {
    std::string text;
    ListEntryKind kind;
    uint32_t sequence = 0;
    if (!lists.GetByIndex(slot, text, kind, sequence) || !BelongsTo(list, kind)) continue;
    listed.push_back(Listed{sequence, EditedEntry{std::move(text), kind == kWhiteRegExp || kind == kBlackRegExp}});
  }
  std::stable_sort(listed.begin(), listed.end(),
                   [](const Listed& a, const Listed& b) { return a.sequence < b.sequence; });
  std::vector<EditedEntry> entries;
  entries.reserve(listed.size());
  for (Listed& each : listed) entries.push_back(std::move(each.entry));
  return entries;
}

bool SetupActions::ReplaceList(EditorMode list, const std::vector<EditedEntry>& entries) {
  CBlackWhitelist& lists = session_->blackWhitelist;
  const bool white = IsWhitelist(list);
  if (white) {
    lists.RemoveWhitelist();
  } else {
    lists.RemoveBlacklist();
  }
  uint32_t sequence = 0;
  for (const EditedEntry& entry : entries) {
    const ListEntryKind kind =
        white ? (entry.expression ? kWhiteRegExp : kWhiteText) : (entry.expression ? kBlackRegExp : kBlackText);
    lists.Add(entry.value, kind, sequence++);
  }
  const ListSelection which = white ? kWhitelist : kBlacklist;
  // Loading the file back after a failed save would throw the edits away.
  if (!lists.Save(which)) {
    ShowMessage(kTextError, white ? kTextWhitelistEditKept : kTextBlacklistEditKept, platform::MessageBoxIcon::Error);
    return false;
  }
  lists.Load(which);
  return true;
}

std::string SetupActions::RuleText() { return WithEditorLineEnds(WithoutTextLineEnds(session_->regExpFilter.Get().value_or(""))); }

void SetupActions::SaveRules(const std::string& text) {
  // A rich edit of the first version gives CR LF between lines: one line end.
  session_->regExpFilter.Save(WithoutTextLineEnds(text).c_str());
}

std::string SetupActions::LogText() { return WithEditorLineEnds(core_.log().ReadAll()); }

}  // namespace trellisk::ui
