// The seven pages of the setup dialog. Most of a page is a table of fields,
// each a control bound to one setting (a number, a check box or a path);
// the rest is each page's own behaviour.
#include <algorithm>

#include "base/ascii.h"
#include "base/number_text.h"
#include "base/text_line_end.h"
#include "ui/setup_dialog.h"

namespace trellisk::ui {
namespace {

using platform::MessageBoxIcon;

constexpr size_t kMaxPathLength = 260;
constexpr size_t kLanguageListBytes = 500;
constexpr size_t kAboutTextLength = 256;

struct NumberField {
  int id;
  uint32_t Settings::*setting;
};
struct CheckField {
  int id;
  uint32_t Settings::*setting;
};
// A path field with its "..." button: what the save-file prompt offers and
// which store moves.
struct PathField {
  int id;
  int button;
  std::string Settings::*setting;
  StoreFile store;
  const char* filter;
  const char* extension;
};

// An edit field as a number: unsigned decimal digits between blanks; any
// other text, or a number beyond 32 bits, reads as 0.
uint32_t FieldNumber(std::string_view text) {
  const std::string_view digits = Trim(text);
  if (digits.empty() || digits.size() > 10 || digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return 0;
  }
  const uint64_t value = std::stoull(std::string(digits));
  return value > UINT32_MAX ? 0 : static_cast<uint32_t>(value);
}

// A page whose fields are bound to settings by tables; the page's own
// behaviour comes on top.
class FieldPage : public SetupPage {
 public:
  FieldPage(SetupActions& actions, int templateId, TextId caption, std::vector<NumberField> numbers,
            std::vector<CheckField> checks, std::vector<PathField> paths)
      : actions_(actions),
        templateId_(templateId),
        caption_(caption),
        numbers_(std::move(numbers)),
        checks_(std::move(checks)),
        paths_(std::move(paths)) {}

  int TemplateId() const override { return templateId_; }
  TextId CaptionId() const override { return caption_; }

  void Initialize(DialogView& view) override {
    const std::shared_ptr<const Settings> settings = actions_.settings();
    for (const NumberField& field : numbers_) view.SetText(field.id, std::to_string(settings.get()->*field.setting));
    for (const CheckField& field : checks_) view.SetChecked(field.id, settings.get()->*field.setting != 0);
    for (const PathField& field : paths_) view.SetText(field.id, settings.get()->*field.setting);
    InitializeOwn(view, *settings);
  }

  void Command(DialogView& view, int controlId) override {
    for (const PathField& field : paths_) {
      if (field.button == controlId) return ChoosePath(view, field);
    }
    CommandOwn(view, controlId);
  }

  void Collect(const DialogView& view, Settings& settings) const override {
    for (const NumberField& field : numbers_) settings.*field.setting = FieldNumber(view.Text(field.id));
    for (const CheckField& field : checks_) settings.*field.setting = view.IsChecked(field.id) ? 1 : 0;
    for (const PathField& field : paths_) settings.*field.setting = view.Text(field.id).substr(0, kMaxPathLength);
    CollectOwn(view, settings);
  }

 protected:
  virtual void InitializeOwn(DialogView& /*view*/, const Settings& /*settings*/) {}
  virtual void CommandOwn(DialogView& /*view*/, int /*controlId*/) {}
  virtual void CollectOwn(const DialogView& /*view*/, Settings& /*settings*/) const {}

  // Opens the editor in `mode` over the dialog.
  void RunEditor(EditorMode mode) {
    EditorDialog editor(mode, actions_);
    actions_.services().RunEditor(editor);
  }

  SetupActions& actions_;

 private:
  // A "..." button: the chosen file is put in use at once.
  void ChoosePath(DialogView& view, const PathField& field) {
    const std::string current = actions_.settings().get()->*field.setting;
    const std::optional<std::string> chosen = actions_.services().AskSaveFile(field.filter, field.extension, current);
    if (!chosen || chosen->empty()) return;
    actions_.MoveStore(field.store, chosen->substr(0, kMaxPathLength));
    view.SetText(field.id, actions_.settings().get()->*field.setting);
  }

  int templateId_;
  TextId caption_;
  std::vector<NumberField> numbers_;
  std::vector<CheckField> checks_;
  std::vector<PathField> paths_;
};

// The Language value of a position of the language list, which leaves out
// language 4, and back.
uint32_t LanguageOfPosition(int position) {
  return position <= 3 ? static_cast<uint32_t>(position) : static_cast<uint32_t>(position) + 1;
}
int PositionOfLanguage(uint32_t language) { return static_cast<int>(language > 4 ? language - 1 : language); }

std::vector<std::string> LanguageNames(std::string list) {
  if (list.size() >= kLanguageListBytes) list.resize(kLanguageListBytes - 1);
  std::vector<std::string> names;
  size_t start = 0;
  while (start < list.size()) {
    const size_t end = std::min(list.find(';', start), list.size());
    if (end > start) names.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

class GeneralPage final : public FieldPage {
 public:
  static constexpr int kLanguage = 1042, kAutoLearning = 1005, kLearnSpam = 1013, kLearnHam = 1012;

  explicit GeneralPage(SetupActions& actions)
      : FieldPage(actions, 103, kTextTabGeneral,
                  {{1006, &Settings::MaxThreadCount},
                   {1015, &Settings::DoNotReportBelow},
                   {1009, &Settings::SignificantWords},
                   {1008, &Settings::AutoLearningGradeAbove},
                   {1007, &Settings::AutoLearningGradeBelow}},
                  {{1011, &Settings::RemoveNoise}, {1014, &Settings::BlackWhiteLearning}, {1010, &Settings::TrainOnError}},
                  {}) {}

 private:
  void InitializeOwn(DialogView& view, const Settings& settings) override {
    view.SetListItems(kLanguage, LanguageNames(actions_.Text(kTextLanguageNames)));
    view.Select(kLanguage, PositionOfLanguage(settings.Language));
    ShowAutoLearning(view, settings.AutoLearning);
    EnableAutoLearning(view);
  }

  void CommandOwn(DialogView& view, int controlId) override {
    if (controlId == kAutoLearning) EnableAutoLearning(view);
    if (controlId == kLanguage && view.Selection(kLanguage) >= 0) {
      actions_.ChooseLanguage(LanguageOfPosition(view.Selection(kLanguage)));
    }
  }

  void CollectOwn(const DialogView& view, Settings& settings) const override {
    if (view.Selection(kLanguage) >= 0) settings.Language = LanguageOfPosition(view.Selection(kLanguage));
    settings.AutoLearning = !view.IsChecked(kAutoLearning)
                                ? 0
                                : (view.IsChecked(kLearnSpam) ? 1u : 0u) + (view.IsChecked(kLearnHam) ? 2u : 0u);
  }

  static void ShowAutoLearning(DialogView& view, uint32_t value) {
    if (value > 3) return;
    view.SetChecked(kAutoLearning, value != 0);
    view.SetChecked(kLearnSpam, value == 1 || value == 3);
    view.SetChecked(kLearnHam, value == 2 || value == 3);
  }

  // The boxes, grade fields and labels of automatic learning follow 1005.
  static void EnableAutoLearning(DialogView& view) {
    const bool on = view.IsChecked(kAutoLearning);
    for (int id : {1012, 1013, 1007, 1008, 1016, 1017, 1018, 1019}) view.Enable(id, on);
  }
};

class DatabasePage final : public FieldPage {
 public:
  explicit DatabasePage(SetupActions& actions)
      : FieldPage(actions, 102, kTextTabDatabase,
                  {{1003, &Settings::MinWordLength},
                   {1004, &Settings::StringToHashLimit},
                   {1010, &Settings::CompressDatabase},
                   {1005, &Settings::CompressIfCountBelow}},
                  {},
                  {{1001, 1002, &Settings::DatabasePath, StoreFile::kWordDatabase, "Database Files (*.dat)", "dat"},
                   {1006, 1007, &Settings::UndodataPath, StoreFile::kUndoDatabase, "Database Files (*.dat)", "dat"}}) {}
};

class ListsPage final : public FieldPage {
 public:
  static constexpr int kEditWhitelist = 1030, kEditBlacklist = 1031;
  static constexpr int kInsertBlack = 1035, kTrainBlack = 1045, kInsertWhite = 1036, kTrainWhite = 1044;

  explicit ListsPage(SetupActions& actions)
      : FieldPage(actions, 105, kTextTabLists, {{1037, &Settings::MaxSizeOfLists}},
                  {{kInsertBlack, &Settings::AutoInsertBlacklist},
                   {kTrainBlack, &Settings::AutoInsertBlacklistTrain},
                   {kInsertWhite, &Settings::AutoInsertWhitelist},
                   {kTrainWhite, &Settings::AutoInsertWhitelistTrain}},
                  {{1011, 1012, &Settings::WhitelistPath, StoreFile::kWhitelist, "Black-/Whitelist Files (*.txt)", "txt"},
                   {1013, 1014, &Settings::BlacklistPath, StoreFile::kBlacklist, "Black-/Whitelist Files (*.txt)",
                    "txt"}}) {}

 private:
  void InitializeOwn(DialogView& view, const Settings&) override { EnableTraining(view); }

  void CommandOwn(DialogView& view, int controlId) override {
    if (controlId == kEditWhitelist) RunEditor(EditorMode::kWhitelist);
    if (controlId == kEditBlacklist) RunEditor(EditorMode::kBlacklist);
    if (controlId == kInsertBlack || controlId == kInsertWhite) EnableTraining(view);
    if ((controlId == kTrainBlack || controlId == kTrainWhite) && view.IsChecked(controlId)) {
      actions_.ShowMessage(kTextWarning, kTextSendFolderWarning, MessageBoxIcon::Warning);
    }
  }

  static void EnableTraining(DialogView& view) {
    view.Enable(kTrainBlack, view.IsChecked(kInsertBlack));
    view.Enable(kTrainWhite, view.IsChecked(kInsertWhite));
  }
};

// The zone list is stored comma-separated and shown one zone per line.
std::string ZonesAsLines(std::string_view zones) {
  std::string lines;
  for (char c : zones) {
    if (c == ',') {
      lines += "\r\n";
    } else {
      lines += c;
    }
  }
  return lines;
}

// Every line break of the edited zones, "\r" as the rich edit gives it (or
// "\r\n", "\n"), as one ",".
std::string ZonesAsList(std::string_view lines) {
  std::string zones = WithoutTextLineEnds(lines);
  std::replace_if(zones.begin(), zones.end(), [](char c) { return c == '\r' || c == '\n'; }, ',');
  return zones;
}

std::vector<std::string> ZoneNames(std::string_view lines) {
  std::vector<std::string> zones;
  size_t start = 0;
  while (start <= lines.size()) {
    const size_t end = std::min(lines.find_first_of("\r\n", start), lines.size());
    const std::string_view zone = Trim(lines.substr(start, end - start));
    if (!zone.empty()) zones.emplace_back(zone);
    start = end + 1;
  }
  return zones;
}

class DnsPage final : public FieldPage {
 public:
  static constexpr int kZones = 1022, kCheckServer = 1050;

  explicit DnsPage(SetupActions& actions)
      : FieldPage(actions, 106, kTextTabDnsBlacklist, {{1025, &Settings::DNSBlacklistSpamCount}},
                  {{1024, &Settings::DNSBlacklist}}, {}) {}

 private:
  void InitializeOwn(DialogView& view, const Settings& settings) override {
    view.SetText(kZones, ZonesAsLines(settings.DNSServerlist));
  }
  void CommandOwn(DialogView& view, int controlId) override {
    if (controlId == kCheckServer) actions_.CheckServers(ZoneNames(view.Text(kZones)));
  }
  void CollectOwn(const DialogView& view, Settings& settings) const override {
    settings.DNSServerlist = ZonesAsList(view.Text(kZones));
  }
};

class RuleFilterPage final : public FieldPage {
 public:
  static constexpr int kEdit = 1049, kActive = 1047;

  explicit RuleFilterPage(SetupActions& actions)
      : FieldPage(actions, 113, kTextTabRegExpFilter, {{1048, &Settings::RegExpSpamThreshold}}, {},
                  {{1045, 1046, &Settings::RegExpPath, StoreFile::kRuleFilter, "RegExp Filter Files (*.dat)", "dat"}}) {}

 private:
  void InitializeOwn(DialogView& view, const Settings& settings) override {
    view.SetChecked(kActive, settings.RuleFilterActive());
  }
  void CommandOwn(DialogView&, int controlId) override {
    if (controlId == kEdit) RunEditor(EditorMode::kRegExpFilter);
  }
  void CollectOwn(const DialogView& view, Settings& settings) const override {
    settings.Algorithm = view.IsChecked(kActive) ? settings.Algorithm | kAlgorithmRuleFilter
                                                 : settings.Algorithm & ~kAlgorithmRuleFilter;
  }
};

class LogfilePage final : public FieldPage {
 public:
  static constexpr int kView = 1031;

  explicit LogfilePage(SetupActions& actions)
      : FieldPage(actions, 112, kTextTabLogfile, {{1029, &Settings::MaxSizeOfLogfile}},
                  {{1034, &Settings::VerboseLogfile}},
                  {{1027, 1028, &Settings::LogfilePath, StoreFile::kLogfile, "Logfiles (*.log)", "log"}}) {}

 private:
  void CommandOwn(DialogView&, int controlId) override {
    if (controlId == kView) RunEditor(EditorMode::kLogfile);
  }
};

// Accuracy in percent: 0 without detections, 100 when the corrections
// outnumber them.
double Accuracy(uint32_t detected, uint32_t corrected) {
  if (detected == 0) return 0;
  if (detected < corrected) return 100;
  return static_cast<double>(detected - corrected) * 100 / detected;
}

class AboutPage final : public FieldPage {
 public:
  static constexpr int kAboutText = 1041, kReset = 1021;

  explicit AboutPage(SetupActions& actions) : FieldPage(actions, 104, kTextTabAbout, {}, {}, {}) {}

  void Refresh(DialogView& view) override {
    const DetectionCounters& counters = actions_.counters();
    const uint32_t detectedHam = counters.DetectedHam, detectedSpam = counters.DetectedSpam;
    const uint32_t falsePositive = counters.FalsePositiv, falseNegative = counters.FalseNegativ;
    view.SetText(1008, std::to_string(actions_.learnedHam()));
    view.SetText(1009, std::to_string(actions_.learnedSpam()));
    view.SetText(1010, WithAccuracy(detectedHam, Accuracy(detectedHam, falseNegative)));
    view.SetText(1011, WithAccuracy(detectedSpam, Accuracy(detectedSpam, falsePositive)));
    view.SetText(1012, std::to_string(falsePositive));
    view.SetText(1013, std::to_string(falseNegative));
  }

 private:
  void InitializeOwn(DialogView& view, const Settings&) override {
    std::string about = view.Text(kAboutText).substr(0, kAboutTextLength);
    if (const size_t placeholder = about.find("%1"); placeholder != std::string::npos) {
      about.replace(placeholder, 2, kProductVersion);
    }
    view.SetText(kAboutText, about);
    Refresh(view);
  }

  void CommandOwn(DialogView& view, int controlId) override {
    if (controlId != kReset) return;
    actions_.ResetStatistics();
    Refresh(view);
  }

  static std::string WithAccuracy(uint32_t count, double accuracy) {
    return std::to_string(count) + " (" + FormatTwoDecimals(accuracy) + "%)";
  }
};

}  // namespace

std::vector<std::unique_ptr<SetupPage>> MakeSetupPages(SetupActions& actions) {
  std::vector<std::unique_ptr<SetupPage>> pages;
  pages.push_back(std::make_unique<GeneralPage>(actions));
  pages.push_back(std::make_unique<DatabasePage>(actions));
  pages.push_back(std::make_unique<ListsPage>(actions));
  pages.push_back(std::make_unique<DnsPage>(actions));
  pages.push_back(std::make_unique<RuleFilterPage>(actions));
  pages.push_back(std::make_unique<LogfilePage>(actions));
  pages.push_back(std::make_unique<AboutPage>(actions));
  return pages;
}

}  // namespace trellisk::ui
