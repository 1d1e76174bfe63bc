// SetupActions is what the setup dialog and the editor do to the running
// plug-in: read and publish settings, the actions that take effect at once
// (a store moved to another file, the language, the statistics reset, the
// DNS server test), and the content the editors show and write back.
//
// Thread-safety: used on the dialog's thread while scoring calls and
// learning threads run. Settings changes publish a new snapshot; moving a
// store to another file happens under that store's own lock, so that a
// scoring call sees the old store or the new one, never one in between.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/resource_module.h"
#include "plugin/plugin_core.h"
#include "plugin/session.h"
#include "ui/dialog_services.h"
#include "ui/editor_dialog.h"

namespace trellisk::ui {

class SetupActions {
 public:
  SetupActions(PluginCore& core, std::shared_ptr<Session> session, DialogServices& services)
      : core_(core), session_(std::move(session)), services_(services) {}

  std::shared_ptr<const Settings> settings() const { return session_->CurrentSettings(); }
  void ChangeSettings(const std::function<void(Settings&)>& change) { session_->ChangeSettings(change); }

  DialogServices& services() { return services_; }
  const ResourceModule& resources() const { return core_.resources(); }
  std::string Text(TextId id) const { return core_.texts().Load(id); }
  // Shows a box over the dialogs with texts of the current module.
  void ShowMessage(TextId caption, TextId text, platform::MessageBoxIcon icon);

  // Moves the store of `file` to `path` at once: saved (or closed) from its
  // old file, then loaded from the new one.
  void MoveStore(StoreFile file, const std::string& path);
  // Sets Language and puts that language in effect (the own texts when it
  // cannot be).
  void ChooseLanguage(uint32_t language);
  void ResetStatistics() { session_->counters.Reset(); }
  const DetectionCounters& counters() const { return session_->counters; }
  uint32_t learnedSpam() const { return session_->database.spamMessages; }
  uint32_t learnedHam() const { return session_->database.hamMessages; }
  // Resolves every zone and shows the result in a box.
  void CheckServers(const std::vector<std::string>& zones);

  // The entries of one list, in the order they were added.
  std::vector<EditedEntry> ListEntries(EditorMode list);
  // Replaces the list by `entries` and saves it; false (the entries kept in
  // memory) when the file could not be written.
  bool ReplaceList(EditorMode list, const std::vector<EditedEntry>& entries);
  std::string RuleText();
  void SaveRules(const std::string& text);
  std::string LogText();

 private:
  PluginCore& core_;
  std::shared_ptr<Session> session_;
  DialogServices& services_;
};

}  // namespace trellisk::ui
