#include "plugin/scoring_pipeline.h"

#include <cmath>
#include <optional>
#include <string>

#include "base/ascii.h"
#include "base/list_match.h"
#include "base/number_text.h"
#include "base/stopwatch.h"
#include "base/substring_search.h"
#include "classifier/bayes_filter.h"
#include "parser/mail_parser.h"
#include "plugin/auto_learning.h"
#include "plugin/component_options.h"
#include "plugin/learning.h"
#include "plugin/message_labels.h"
#include "plugin/message_text.h"
#include "plugin/session.h"
#include "plugin/word_table.h"
#include "store/undo_kind.h"

namespace trellisk {
namespace {

constexpr int kNeutralScore = 50;
constexpr int kSpamScore = 100;
constexpr int kHamScore = 0;

// Combines the verdict on the raw message with the verdict on its decoded
// parts: white wins over black wherever it was found.
ListMatch CombineListVerdicts(const ListMatch& raw, const ListMatch& parts) {
  if (raw.verdict == kWhitelisted) {
    return {kWhitelisted, parts.verdict == kWhitelisted ? raw.matchedEntry + " " + parts.matchedEntry : raw.matchedEntry};
  }
  if (raw.verdict == kBlacklisted) {
    if (parts.verdict == kWhitelisted) return {kWhitelisted, parts.matchedEntry};
    if (parts.verdict == kBlacklisted) return {kBlacklisted, raw.matchedEntry + " " + parts.matchedEntry};
    return {kBlacklisted, raw.matchedEntry};
  }
  return {parts.verdict, parts.matchedEntry};
}

// The work of one TBP_GetSpamScore call, with the settings snapshot taken
// when it began.
class Scoring {
 public:
  Scoring(Session& session, MessageHandle message, int& score)
      : s_(session),
        snapshot_(session.CurrentSettings()),
        settings_(*snapshot_),
        message_(message),
        score_(score),
        labels_(MessageLabels::Load(session.texts())),
        parser_(ParserOptionsOf(settings_), session.log, session.lists) {}

  // Returns whether to learn the message automatically, as spam (true) or
  // ham (false); nothing when it is not to be learned.
  std::optional<bool> Run(PropertyReader reader) {
    std::optional<MessageText> text = ReadMessageText(message_, reader);
    if (text) {
      const ListMatch verdict = ParseAndCheckLists(std::move(text->bytes), text->deliveredLength);
      if (verdict.verdict != kNoDecision) {
        ReportListed(verdict);
      } else {
        Classify();
      }
    }
    CountDetection();
    if (noLearn_) {
      s_.log.FlushBlock(message_);
      return std::nullopt;
    }
    return LearnOrRemember();
  }

 private:
  ListMatch ParseAndCheckLists(std::string text, size_t deliveredLength) {
    CutLongMessage(text);
    ListMatch raw;
    if (s_.lists) s_.lists->CheckBlackWhitelist(raw, text, true);
    parser_.SetMail(text.data(), text.size(), false);
    if (settings_.RuleFilterActive()) KeepUnalteredText(text);
    vector_ = parser_.ParseMail();
    deliveredLength_ = deliveredLength;
    return CombineListVerdicts(raw, parser_.GetListResult());
  }

  // The rule filter reads the header and body as received, before the
  // parser changes the text in place.
  void KeepUnalteredText(const std::string& text) {
    rawHeader_ = std::string(text.c_str());
    const int32_t bodyOffset = parser_.mail().bodyOffset;
    rawBody_ = bodyOffset < 1 ? std::string() : std::string(text.c_str() + bodyOffset);
  }

  void ReportListed(const ListMatch& verdict) {
    const bool black = verdict.verdict == kBlacklisted;
    score_ = black ? kSpamScore : kHamScore;
    AddResultLine(black ? kTextBlacklisted : kTextWhitelisted, verdict.matchedEntry);
    if (!settings_.BlackWhiteLearning) noLearn_ = true;
  }

  void Classify() {
    if (vector_ && !vector_->empty()) {
      CBayesFilter filter(ClassifierOptionsOf(settings_), s_.log, s_.database);
      if (settings_.ReducesNoise()) filter.ReduceNoise(*vector_);
      score_ = filter.CalculatePluginReturn(*vector_, !settings_.ReducesNoise());
    }
    TextId result = kTextSpamReceived;
    if (!IsSpam()) {
      CheckRules();
      if (state_ != kRuleFiltered) CheckDnsBlacklists();
      result = kTextHamReceived;
    }
    InsertSender();
    if (state_ != kDnsBlacklisted && state_ != kRuleFiltered) {
      AddResultLine(result, std::nullopt);
      if (settings_.VerboseLogfile) AddWordTable();
    }
  }

  bool IsSpam() const { return score_ >= static_cast<int>(settings_.SpamScore); }

  void CheckRules() {
    if (!settings_.RuleFilterActive() || !s_.ruleFilter) return;
    const RuleFilterInput input{message_,
                                rawHeader_ ? &*rawHeader_ : nullptr,
                                rawBody_ ? &*rawBody_ : nullptr,
                                parser_.mail().headerText ? &*parser_.mail().headerText : nullptr,
                                parser_.mail().bodyText ? &*parser_.mail().bodyText : nullptr,
                                deliveredLength_,
                                settings_.VerboseLogfile != 0};
    const RuleFilterResult rules = s_.ruleFilter->ScoreMail(input);
    const float total = rules.total;
    if (total > 0 && std::trunc(static_cast<double>(total)) >= settings_.RegExpSpamThreshold) {
      score_ = kSpamScore;
      state_ = kRuleFiltered;
      AddResultLine(kTextRegExpFiltered, FormatTwoDecimals(total));
    }
    if (settings_.VerboseLogfile) s_.log.AddToBlock(message_, rules.trace, false, true);
  }

  void CheckDnsBlacklists() {
    if (!settings_.DNSBlacklist || !s_.dns) return;
    const DnsVerdict verdict =
        s_.dns->CheckDNSBlacklists(message_, parser_.mail().relays, DnsCheckOptionsOf(settings_));
    if (verdict.state != kDnsBlacklisted) return;
    score_ = kSpamScore;
    state_ = kDnsBlacklisted;
    AddResultLine(kTextDnsBlacklisted, verdict.reason);
  }

  // Puts the sender of a spam on the black list, of a ham on the white list,
  // unless the sender is also a recipient (a message to oneself).
  void InsertSender() {
    if (!s_.lists) return;
    const bool spam = IsSpam();
    if (spam ? !settings_.AutoInsertBlacklist : !settings_.AutoInsertWhitelist) return;
    const std::string address = parser_.GetFrom(true);
    const ParsedMail& mail = parser_.mail();
    if (ContainsIgnoringCase(mail.to, address) || ContainsIgnoringCase(mail.cc, address)) return;
    if (spam) {
      s_.lists->Add(address, kBlackText, s_.lists->blackCount());
    } else {
      s_.lists->Add(address, kWhiteText, s_.lists->whiteCount());
    }
  }

  void AddResultLine(TextId word, const std::optional<std::string>& reason) {
    std::string line = MessageLine(s_.texts().Load(word), labels_, parser_.GetMessageId(), parser_.GetFrom(false),
                                   parser_.mail().subject);
    line += ", " + LabelledField(labels_.score, std::to_string(score_));
    if (reason) line += ", " + LabelledField(labels_.reason, *reason);
    line += ", " + ElapsedField(labels_.filtertime, stopwatch_.ElapsedMilliseconds());
    s_.log.AddToBlock(message_, line, true, true);
  }

  // Built outside the log's lock: the table reads the word database, whose
  // lock may be held by a thread that is waiting to write to the log.
  void AddWordTable() {
    const std::string table =
        vector_ ? BuildWordTable(*vector_, settings_.SignificantWords, settings_.StringToHashLimit, s_.database)
                : std::string();
    s_.log.AddToBlock(message_, table, false, true);
  }

  void CountDetection() {
    if (IsSpam()) {
      ++s_.counters.DetectedSpam;
    } else {
      ++s_.counters.DetectedHam;
    }
  }

  std::optional<bool> AutomaticLearning() const {
    if (s_.readOnly) return std::nullopt;
    return AutoLearningVerdict(settings_, score_);
  }

  std::optional<bool> LearnOrRemember() {
    const std::optional<bool> learnAsSpam = AutomaticLearning();
    if (!learnAsSpam) {
      const UndoKind kind = IsSpam() ? UndoKind::ScoredSpam : UndoKind::ScoredHam;
      s_.undo.Add(parser_.GetMessageId(), static_cast<uint32_t>(kind), s_.clock());
      s_.log.FlushBlock(message_);
      return std::nullopt;
    }
    const std::string line = MessageLine(s_.texts().Load(*learnAsSpam ? kTextAutolearningSpam : kTextAutolearningHam),
                                         labels_, parser_.GetMessageId(), parser_.GetFrom(false),
                                         parser_.mail().subject);
    s_.log.AddToBlock(message_, line, true, true);
    s_.log.FlushBlock(message_);
    return learnAsSpam;
  }

  Session& s_;
  const std::shared_ptr<const Settings> snapshot_;
  const Settings& settings_;
  const MessageHandle message_;
  int& score_;
  const Stopwatch stopwatch_;
  const MessageLabels labels_;
  CMailParser parser_;
  WordVector* vector_ = nullptr;
  size_t deliveredLength_ = 0;
  std::optional<std::string> rawHeader_;
  std::optional<std::string> rawBody_;
  ScanState state_ = kNoDecision;
  bool noLearn_ = false;
};

}  // namespace

int ScoreMessage(const std::shared_ptr<Session>& session, MessageHandle message, PropertyReader reader) {
  int score = kNeutralScore;
  try {
    // The learning thread reads the message again through the host's reader
    // once this call's own parser is gone.
    const std::optional<bool> learnAsSpam = Scoring(*session, message, score).Run(reader);
    if (learnAsSpam) {
      session->learners.Reserve();
      StartLearningThread(session, *learnAsSpam, message, reader);
    }
  } catch (...) {
    session->log.ReportException("DODozev::TBP_GetSpamScore");
  }
  return score;
}

}  // namespace trellisk
