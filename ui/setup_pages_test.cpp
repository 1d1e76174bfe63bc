// The setup pages and their frame through a fake dialog, on a running core.
#include <gtest/gtest.h>

#include <thread>

#include "base/text_id.h"
#include "tests/support/core_fixture.h"
#include "ui/setup_dialog.h"
#include "ui/testing/fake_dialog.h"

namespace trellisk::ui {
namespace {

using testing::FakeControl;
using testing::FakeDialogView;
using testing::FakeServices;

enum Page { kGeneral, kDatabase, kLists, kDns, kRules, kLogfile, kAbout };

class SetupPagesTest : public trellisk::testing::CoreFixture {
 protected:
  // Starts the core with the settings a test stored, and opens every page.
  void Open() {
    Start();
    dialog_ = std::make_unique<SetupDialog>(*core_, core_->session(), services_);
    for (const auto& page : dialog_->pages()) {
      views_.push_back(FakeDialogView::FromTemplate(core_->resources(), page->TemplateId()));
      page->Initialize(views_.back());
    }
  }
  FakeDialogView& view(Page page) { return views_[page]; }
  void Press(Page page, int id) { dialog_->pages()[page]->Command(views_[page], id); }
  // The user toggles a box, as the front end reports it.
  void Toggle(Page page, int id) {
    views_[page][id].checked = !views_[page][id].checked;
    Press(page, id);
  }
  void Ok() {
    std::vector<const DialogView*> views;
    for (const FakeDialogView& each : views_) views.push_back(&each);
    dialog_->Ok(views);
  }

  FakeServices services_;
  std::unique_ptr<SetupDialog> dialog_;
  std::vector<FakeDialogView> views_;
};

TEST_F(SetupPagesTest, PagesComeInTabOrderWithTheirTemplatesAndCaptions) {
  Open();
  std::vector<std::pair<int, TextId>> pages;
  for (const auto& page : dialog_->pages()) pages.emplace_back(page->TemplateId(), page->CaptionId());
  EXPECT_EQ(pages, (std::vector<std::pair<int, TextId>>{{103, kTextTabGeneral},
                                                         {102, kTextTabDatabase},
                                                         {105, kTextTabLists},
                                                         {106, kTextTabDnsBlacklist},
                                                         {113, kTextTabRegExpFilter},
                                                         {112, kTextTabLogfile},
                                                         {104, kTextTabAbout}}));
}

TEST_F(SetupPagesTest, LanguageListSkipsFour) {
  SetSetting("Language", 5);
  Open();
  FakeControl& list = view(kGeneral)[1042];
  ASSERT_EQ(list.items.size(), 29u);
  EXPECT_EQ(list.items[4], "Ukrainian");
  EXPECT_EQ(list.selection, 4);
  for (const auto& [position, language] : {std::pair{3, 3u}, {4, 5u}, {0, 0u}, {28, 29u}}) {
    list.selection = position;
    Press(kGeneral, 1042);
    EXPECT_EQ(settings().Language, language) << "position " << position;
  }
}

TEST_F(SetupPagesTest, AutomaticLearningShownInThreeBoxes) {
  struct Case {
    uint32_t value;
    bool on, spam, ham;
  };
  for (const Case& c : {Case{0, false, false, false}, Case{1, true, true, false}, Case{2, true, false, true},
                        Case{3, true, true, true}}) {
    SetSetting("AutoLearning", c.value);
    Open();
    EXPECT_EQ(view(kGeneral)[1005].checked, c.on) << c.value;
    EXPECT_EQ(view(kGeneral)[1013].checked, c.spam) << c.value;
    EXPECT_EQ(view(kGeneral)[1012].checked, c.ham) << c.value;
    for (int id : {1012, 1013, 1007, 1008, 1016, 1017, 1018, 1019}) EXPECT_EQ(view(kGeneral)[id].enabled, c.on);
    Stop();
    views_.clear();
  }
}

TEST_F(SetupPagesTest, AutomaticLearningRebuiltOnOk) {
  SetSetting("AutoLearning", 0);
  Open();
  Toggle(kGeneral, 1005);
  for (int id : {1012, 1013, 1007, 1008, 1016, 1017, 1018, 1019}) EXPECT_TRUE(view(kGeneral)[id].enabled) << id;
  Ok();
  EXPECT_EQ(settings().AutoLearning, 0u) << "1005 alone";
  view(kGeneral)[1012].checked = true;
  Ok();
  EXPECT_EQ(settings().AutoLearning, 2u);
  view(kGeneral)[1013].checked = true;
  Ok();
  EXPECT_EQ(settings().AutoLearning, 3u);
  Toggle(kGeneral, 1005);
  EXPECT_FALSE(view(kGeneral)[1008].enabled);
  Ok();
  EXPECT_EQ(settings().AutoLearning, 0u);
}

TEST_F(SetupPagesTest, OkCollectsEveryPageAndCancelNothing) {
  SetSetting("Algorithm", 3);
  Open();
  view(kGeneral)[1006].text = " 7 ";
  view(kGeneral)[1009].text = "twelve";
  view(kDatabase)[1003].text = "99999999999";
  view(kDatabase)[1001].text = "typed.dat";
  view(kLists)[1036].checked = true;
  view(kLists)[1037].text = "5000";
  view(kDns)[1022].text = "a\r\nb\r\nc";
  view(kRules)[1047].checked = true;
  view(kLogfile)[1029].text = "123";
  const Settings before = settings();
  Ok();
  EXPECT_EQ(settings().MaxThreadCount, 7u);
  EXPECT_EQ(settings().SignificantWords, 0u) << "unreadable";
  EXPECT_EQ(settings().MinWordLength, 0u) << "beyond 32 bits";
  EXPECT_EQ(settings().DatabasePath, "typed.dat");
  EXPECT_EQ(settings().AutoInsertWhitelist, 1u);
  EXPECT_EQ(settings().MaxSizeOfLists, 5000u);
  EXPECT_EQ(settings().DNSServerlist, "a,b,c");
  EXPECT_EQ(settings().Algorithm, 7u) << "bit 4 set, bits 1 and 2 kept";
  EXPECT_EQ(settings().MaxSizeOfLogfile, 123u);
  EXPECT_EQ(settings().StringToHashLimit, before.StringToHashLimit);
  view(kRules)[1047].checked = false;
  Ok();
  EXPECT_EQ(settings().Algorithm, 3u);
  EXPECT_EQ(session().database.EntryCount(), 0u) << "a typed path is not loaded";
}

TEST_F(SetupPagesTest, ZonesShownOneALineAndCheckedTrimmed) {
  SetTextSetting("DNSServerlist", "one.example,two.example");
  Open();
  EXPECT_EQ(view(kDns)[1022].text, "one.example\r\ntwo.example");
  resolver_->List("one.example");
  view(kDns)[1022].text = "  one.example\t\r\n\r\n two.example ";
  Press(kDns, 1050);
  const auto boxes = messageBoxes_.boxes();
  ASSERT_EQ(boxes.size(), 1u);
  const std::vector<std::string> texts{boxes[0].text};
  EXPECT_NE(texts[0].find("two.example"), std::string::npos) << texts[0];
  EXPECT_EQ(texts[0].find("one.example"), std::string::npos) << texts[0];
  EXPECT_EQ(view(kDns)[1022].text, "  one.example\t\r\n\r\n two.example ") << "the text stays";
}

TEST_F(SetupPagesTest, SendFolderWarningOnlyWhenChecking) {
  Open();
  EXPECT_FALSE(view(kLists)[1045].enabled);
  Toggle(kLists, 1035);
  EXPECT_TRUE(view(kLists)[1045].enabled);
  Toggle(kLists, 1045);
  Toggle(kLists, 1045);
  Toggle(kLists, 1036);
  Toggle(kLists, 1044);
  const auto boxes = services_.boxes_.boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "Warning");
  EXPECT_EQ(boxes[0].icon, platform::MessageBoxIcon::Warning);
  EXPECT_EQ(boxes[0].text, core_->texts().Load(kTextSendFolderWarning));
}

TEST_F(SetupPagesTest, PathButtonMovesTheStoreAtOnceEvenOnCancel) {
  Open();
  trellisk::testing::TestMail mail;
  mail.body = "cheap pills viagra offer";
  Train(mail.Text(), true);
  WaitForLearners();
  ASSERT_EQ(session().database.spamMessages, 1u);
  const std::string oldPath = settings().DatabasePath;
  services_.answers = {std::nullopt, dir_.File("other.dat")};
  Press(kDatabase, 1002);
  EXPECT_EQ(settings().DatabasePath, oldPath) << "a cancelled prompt changes nothing";
  Press(kDatabase, 1002);
  EXPECT_EQ(services_.prompts.back(), "Database Files (*.dat)|dat");
  EXPECT_EQ(settings().DatabasePath, dir_.File("other.dat"));
  EXPECT_EQ(view(kDatabase)[1001].text, dir_.File("other.dat"));
  EXPECT_EQ(session().database.spamMessages, 0u) << "loaded from the new, missing file";
  // Back to the old file: what was learned was saved there before the move.
  services_.answers = {oldPath};
  Press(kDatabase, 1002);
  EXPECT_EQ(session().database.spamMessages, 1u);
}

TEST_F(SetupPagesTest, AStoreThatCannotSaveIsNotMoved) {
  SetTextSetting("UndodataPath", dir_.File("missing/undo.dat"));
  Open();
  Train(trellisk::testing::TestMail{}.Text(), false);
  WaitForLearners();
  services_.answers = {dir_.File("undo2.dat")};
  Press(kDatabase, 1007);
  EXPECT_EQ(settings().UndodataPath, dir_.File("missing/undo.dat"));
  EXPECT_EQ(view(kDatabase)[1006].text, dir_.File("missing/undo.dat"));
  const auto boxes = services_.boxes_.boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, core_->texts().Load(kTextUndoDatabaseStoreFailed));
}

TEST_F(SetupPagesTest, AboutPageShowsVersionAndStatistics) {
  Open();
  counters().DetectedHam = 10;
  counters().FalseNegativ = 1;
  counters().FalsePositiv = 4;
  dialog_->pages()[kAbout]->Refresh(view(kAbout));
  EXPECT_NE(view(kAbout)[1041].text.find("v2.0.4"), std::string::npos);
  EXPECT_EQ(view(kAbout)[1041].text.find("%1"), std::string::npos);
  EXPECT_EQ(view(kAbout)[1010].text, "10 (90.00%)");
  EXPECT_EQ(view(kAbout)[1011].text, "0 (0.00%)");
  EXPECT_EQ(view(kAbout)[1012].text, "4");
  EXPECT_EQ(view(kAbout)[1013].text, "1");
  counters().DetectedSpam = 3;
  Press(kAbout, 1021);
  EXPECT_EQ(counters().DetectedHam, 0u);
  EXPECT_EQ(view(kAbout)[1010].text, "0 (0.00%)");
  EXPECT_EQ(view(kAbout)[1012].text, "0");
}

TEST_F(SetupPagesTest, SettingsChangeOnOkWhileThreadsScore) {
  Open();
  std::atomic<bool> done{false};
  std::atomic<int> badScores{0};
  std::vector<std::thread> scorers;
  for (int i = 0; i < 8; ++i) {
    scorers.emplace_back([&] {
      while (!done) {
        const int score = Score(trellisk::testing::TestMail{}.Text());
        if (score < 0 || score > 100) ++badScores;
      }
    });
  }
  for (int round = 0; round < 50; ++round) {
    view(kGeneral)[1009].text = std::to_string(10 + round);
    view(kGeneral)[1011].checked = round % 2 == 0;
    Ok();
  }
  done = true;
  for (std::thread& scorer : scorers) scorer.join();
  EXPECT_EQ(badScores, 0);
  EXPECT_EQ(settings().SignificantWords, 59u);
}

}  // namespace
}  // namespace trellisk::ui
