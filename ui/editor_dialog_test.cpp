// The editor window's logic through a fake dialog, on a running core.
#include "ui/editor_dialog.h"

#include <gtest/gtest.h>

#include "tests/support/core_fixture.h"
#include "ui/setup_actions.h"
#include "ui/testing/fake_dialog.h"

namespace trellisk::ui {
namespace {

using testing::FakeDialogView;
using testing::FakeServices;

TEST(ListTextTest, ParsedLineByLine) {
  struct Case {
    const char* text;
    std::vector<EditedEntry> entries;
  };
  const Case cases[] = {
      {"rEgExP: ^abc\rsomeone", {{"^abc", true}, {"someone", false}}},
      {"  \t \rText:x\r\r", {{"x", false}}},
      {"TEXT:  a: b  \r\nREGEXP:\r", {{"a: b", false}, {"", true}}},
      {"plain:colon", {{"plain:colon", false}}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseListText(c.text), c.entries) << c.text;
  const std::vector<EditedEntry> entries{{"^abc", true}, {"someone", false}};
  EXPECT_EQ(FormatListText(entries), "REGEXP: ^abc\r\nTEXT: someone\r\n");
}

class EditorDialogTest : public trellisk::testing::CoreFixture {
 protected:
  void SetUp() override {
    Start();
    actions_ = std::make_unique<SetupActions>(*core_, core_->session(), services_);
  }
  // Opens the editor in `mode`; `edit` is what the user does in it.
  FakeDialogView& Run(EditorMode mode, FakeServices::EditorScript edit) {
    services_.editorScript = std::move(edit);
    EditorDialog editor(mode, *actions_);
    services_.RunEditor(editor);
    return services_.editorView;
  }
  static FakeServices::EditorScript Press(int id, std::string text = {}) {
    return [id, text](EditorDialog& editor, FakeDialogView& view) {
      if (!text.empty()) view[kEditorText].text = text;
      editor.Command(view, id);
    };
  }
  std::vector<EditedEntry> Whitelist() { return actions_->ListEntries(EditorMode::kWhitelist); }

  FakeServices services_;
  std::unique_ptr<SetupActions> actions_;
};

TEST_F(EditorDialogTest, WhitelistEditedAndStoredInTextOrder) {
  session().blackWhitelist.Add("black@example.com", kBlackText, 0);
  FakeDialogView& view = Run(EditorMode::kWhitelist, Press(kEditorApply, "REGEXP: ^abc\r\nsomeone\r\n"));
  EXPECT_EQ(view.title, "Whitelist Editor");
  EXPECT_EQ(view.ended, kEditorApply);
  EXPECT_EQ(Whitelist(), (std::vector<EditedEntry>{{"^abc", true}, {"someone", false}}));
  EXPECT_EQ(actions_->ListEntries(EditorMode::kBlacklist), (std::vector<EditedEntry>{{"black@example.com", false}}));
  EXPECT_NE(trellisk::testing::ReadFileBytes(settings().WhitelistPath).find("someone"), std::string::npos);

  FakeDialogView& again = Run(EditorMode::kWhitelist, nullptr);
  EXPECT_EQ(again[kEditorText].text, "REGEXP: ^abc\r\nTEXT: someone\r\n");
  EXPECT_EQ(again[kEditorText].caret, again.Text(kEditorText).size()) << "start of the last, empty line";
  EXPECT_TRUE(again[kEditorApply].shown && again[kEditorCancel].shown);
  EXPECT_FALSE(again[kEditorClose].shown || again[kEditorClose].enabled);
}

TEST_F(EditorDialogTest, CancelKeepsTheListAndTheRectangleIsKeptPerMode) {
  session().blackWhitelist.Add("keep@example.com", kWhiteText, 0);
  services_.editorRect = {5, 6, 405, 306};
  Run(EditorMode::kWhitelist, Press(kEditorCancel, "TEXT: other"));
  EXPECT_EQ(Whitelist(), (std::vector<EditedEntry>{{"keep@example.com", false}}));
  EXPECT_EQ(settings().EditorWhitelistRight, 405u);
  services_.editorRect = {};
  EXPECT_EQ(Run(EditorMode::kWhitelist, nullptr).rect, (WindowRect{5, 6, 405, 306})) << "placed where it was closed";
  EXPECT_EQ(Run(EditorMode::kBlacklist, nullptr).rect, WindowRect{}) << "the black list has no rectangle yet";
}

TEST_F(EditorDialogTest, LogViewerIsReadOnlyAndEndsAtTheLastLine) {
  core_->log().PlainLine("first line");
  core_->log().PlainLine("last line");
  FakeDialogView& view = Run(EditorMode::kLogfile, Press(kEditorApply));
  EXPECT_EQ(view.title, "Logfile Viewer");
  EXPECT_TRUE(view[kEditorText].readOnly);
  const std::string text = view.Text(kEditorText);
  EXPECT_NE(text.find("first line\rlast line"), std::string::npos) << text;
  EXPECT_EQ(view[kEditorText].caret, text.rfind('\r') + 1);
  EXPECT_TRUE(view[kEditorClose].shown && view[kEditorClose].enabled);
  EXPECT_FALSE(view[kEditorApply].shown || view[kEditorApply].enabled);
  EXPECT_EQ(view.ended, kEditorApply) << "Enter closes the viewer";
}

TEST_F(EditorDialogTest, RuleFileWrittenButNotPutInForce) {
  const size_t rulesBefore = session().regExpFilter.RuleCount();
  Run(EditorMode::kRegExpFilter, Press(kEditorApply, "first rule\r\nsecond rule"));
  EXPECT_EQ(actions_->RuleText(), "first rule\r\nsecond rule");
  EXPECT_EQ(session().regExpFilter.RuleCount(), rulesBefore);
}

TEST_F(EditorDialogTest, AFailedSaveKeepsTheEditsAndSaysSo) {
  ChangeSettings([&](Settings& s) { s.WhitelistPath = dir_.File("missing/dir/whitelist.txt"); });
  Run(EditorMode::kWhitelist, Press(kEditorApply, "kept@example.com"));
  EXPECT_EQ(Whitelist(), (std::vector<EditedEntry>{{"kept@example.com", false}}));
  const auto boxes = services_.boxes_.boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, core_->texts().Load(kTextWhitelistEditKept));
}

}  // namespace
}  // namespace trellisk::ui
