#include "plugin/learning.h"

#include <atomic>
#include <optional>
#include <string>

#include "base/stopwatch.h"
#include "base/text_format.h"
#include "classifier/bayes_filter.h"
#include "parser/mail_parser.h"
#include "platform/threads.h"
#include "plugin/component_options.h"
#include "plugin/message_labels.h"
#include "plugin/message_text.h"
#include "plugin/session.h"
#include "store/undo_kind.h"

namespace trellisk {
namespace {

// Takes one from a message total, never going below zero.
void DecrementTotal(std::atomic<uint32_t>& total) {
  uint32_t value = total.load();
  while (value > 0 && !total.compare_exchange_weak(value, value - 1)) {
  }
}

// One training of one parsed message, with the settings snapshot of its
// learning thread.
class Training {
 public:
  Training(Session& session, const Settings& settings, bool isSpam, CMailParser& parser, WordVector* vector,
           const Stopwatch& stopwatch)
      : s_(session),
        settings_(settings),
        isSpam_(isSpam),
        parser_(parser),
        vector_(vector),
        stopwatch_(stopwatch),
        labels_(MessageLabels::Load(session.texts())),
        id_(parser.GetMessageId()),
        address_(parser.GetFrom(true)) {}

  void Run() {
    InsertSenderWhenTraining();
    TakeBackEarlierJudgement();
    if (!vector_ || vector_->empty()) return;
    if (isSpam_) {
      LearnAs(true, undoHam_);
    } else {
      LearnAs(false, undoSpam_);
    }
  }

 private:
  void InsertSenderWhenTraining() {
    if (!s_.lists) return;
    if (isSpam_ && settings_.AutoInsertBlacklist && settings_.AutoInsertBlacklistTrain) {
      s_.lists->Add(address_, kBlackText, s_.lists->blackCount());
    }
    if (!isSpam_ && settings_.AutoInsertWhitelist && settings_.AutoInsertWhitelistTrain) {
      s_.lists->Add(address_, kWhiteText, s_.lists->whiteCount());
    }
  }

  void RemoveSender(ListEntryKind kind) {
    if (s_.lists) s_.lists->Remove(address_, kind);
  }

  // What the undo database remembers of the message decides whether this
  // training corrects an earlier judgement.
  void TakeBackEarlierJudgement() {
    uint32_t kind = 0;
    uint32_t time = 0;
    if (!s_.undo.Find(id_, kind, time)) return;
    switch (static_cast<UndoKind>(kind)) {
      case UndoKind::LearnedHam:
        if (isSpam_) {
          ++s_.counters.FalsePositiv;
          undoHam_ = true;
        }
        break;
      case UndoKind::LearnedSpam:
        if (!isSpam_) {
          ++s_.counters.FalseNegativ;
          undoSpam_ = true;
        }
        break;
      case UndoKind::ScoredHam:
        if (isSpam_) {
          s_.undo.Remove(id_);
          if (settings_.AutoInsertWhitelist) RemoveSender(kWhiteText);
          ++s_.counters.FalsePositiv;
        }
        break;
      case UndoKind::ScoredSpam:
        if (!isSpam_) {
          s_.undo.Remove(id_);
          if (settings_.AutoInsertBlacklist) RemoveSender(kBlackText);
          ++s_.counters.FalseNegativ;
        }
        break;
    }
  }

  void LogMessageLine(TextId word, std::string extra = {}) {
    std::string line = MessageLine(s_.texts().Load(word), labels_, id_, parser_.GetFrom(false),
                                   parser_.mail().subject);
    line += extra;
    s_.log.WriteLine(kNoText, line, true, true);
  }

  // Takes back the opposite learning of the message.
  void UndoOpposite(bool asSpam) {
    CBayesDatabase& database = s_.database;
    DecrementTotal(asSpam ? database.hamMessages : database.spamMessages);
    for (const WordEntry& entry : *vector_) {
      if (asSpam) {
        database.RemoveHam(entry.word, 1);
      } else {
        database.RemoveSpam(entry.word, 1);
      }
    }
    s_.undo.Remove(id_);
    if (asSpam && settings_.AutoInsertWhitelist) RemoveSender(kWhiteText);
    if (!asSpam && settings_.AutoInsertBlacklist) RemoveSender(kBlackText);
    if (!asSpam && s_.dns) {
      for (const std::string& relay : parser_.mail().relays) s_.dns->Remove(relay);
    }
    LogMessageLine(asSpam ? kTextUndoHam : kTextUndoSpam);
  }

  void AddWords(bool asSpam) {
    std::vector<std::string_view> words;
    words.reserve(vector_->size());
    for (const WordEntry& entry : *vector_) words.push_back(entry.word);
    s_.database.AddAll(words, asSpam ? 1 : 0, asSpam ? 0 : 1);
  }

  bool Agrees(bool asSpam, int score) const {
    return asSpam ? score >= static_cast<int>(settings_.SpamScore) : score < static_cast<int>(settings_.SpamScore);
  }

  // Adds the words again and again until the message scores the way the
  // user trained it, at most kTrainOnErrorLimit times.
  void LearnUntilAgreed(bool asSpam) {
    int score = 0;
    int rounds = 0;
    do {
      AddWords(asSpam);
      CBayesFilter filter(ClassifierOptionsOf(settings_), s_.log, s_.database);
      if (settings_.ReducesNoise()) filter.ReduceNoise(*vector_);
      score = filter.CalculatePluginReturn(*vector_, !settings_.ReducesNoise());
      ++rounds;
    } while (!Agrees(asSpam, score) && rounds < kTrainOnErrorLimit);
    if (!Agrees(asSpam, score)) {
      LogMessageLine(kTextTrainOnErrorLimit, ", " + LabelledField(labels_.score, std::to_string(score)));
    }
  }

  void LearnAs(bool asSpam, bool undoOpposite) {
    if (undoOpposite) UndoOpposite(asSpam);
    ++(asSpam ? s_.database.spamMessages : s_.database.hamMessages);
    if (settings_.TrainOnError && undoOpposite) {
      LearnUntilAgreed(asSpam);
    } else {
      AddWords(asSpam);
    }
    const UndoKind kind = asSpam ? UndoKind::LearnedSpam : UndoKind::LearnedHam;
    s_.undo.Add(id_, static_cast<uint32_t>(kind), s_.clock());
    LogMessageLine(asSpam ? kTextAddSpam : kTextAddHam,
                   ", " + ElapsedField(labels_.learningtime, stopwatch_.ElapsedMilliseconds()));
  }

  Session& s_;
  const Settings& settings_;
  const bool isSpam_;
  CMailParser& parser_;
  WordVector* vector_;
  const Stopwatch& stopwatch_;
  const MessageLabels labels_;
  const std::string id_;
  const std::string address_;
  bool undoHam_ = false;
  bool undoSpam_ = false;
};

}  // namespace

std::optional<MessageText> LearnRequest::TakeMessage() {
  std::lock_guard<platform::RecursiveMutex> lock(handOver_);
  if (abandoned_) return std::nullopt;
  // Released also when the read throws.
  struct Release {
    platform::ManualResetEvent& taken;
    ~Release() { taken.Set(); }
  } release{taken_};
  return ReadMessageText(message_, reader_);
}

bool LearnRequest::abandoned() {
  std::lock_guard<platform::RecursiveMutex> lock(handOver_);
  return abandoned_;
}

bool LearnRequest::WaitTaken(uint32_t timeoutMs) {
  if (taken_.Wait(timeoutMs)) return true;
  std::lock_guard<platform::RecursiveMutex> lock(handOver_);
  if (taken_.Wait(0)) return true;
  abandoned_ = true;
  return false;
}

bool StartLearningThread(std::shared_ptr<Session> session, bool isSpam, MessageHandle message,
                         PropertyReader reader) {
  const auto request = std::make_shared<LearnRequest>(isSpam, message, reader);
  const bool started =
      platform::StartDetachedThread([session, request] { LearningThread(session, *request); });
  if (!started) {
    session->learners.Release();
    return false;
  }
  if (request->WaitTaken(kHandOverWaitMs)) return true;
  // The thread has not begun, and will learn nothing when it does.
  session->learners.Release();
  session->log.PlainLine(
      FormatText(session->texts().Load(kTextLearningHandOverTimeout), {std::to_string(kHandOverWaitMs / 1000)}));
  return false;
}

void LearningThread(const std::shared_ptr<Session>& session, LearnRequest& request) {
  Session& s = *session;
  Stopwatch stopwatch;
  const std::shared_ptr<const Settings> settings = s.CurrentSettings();
  try {
    const bool isSpam = request.isSpam();
    std::optional<MessageText> text = request.TakeMessage();
    if (text) {
      CutLongMessage(text->bytes);
      CMailParser parser(ParserOptionsOf(*settings), s.log, s.lists);
      parser.SetMail(text->bytes.data(), text->bytes.size(), true);
      WordVector* vector = parser.ParseMail();
      Training(s, *settings, isSpam, parser, vector, stopwatch).Run();
    }
  } catch (...) {
    s.log.ReportException("DODozev::LearningThread");
  }
  if (!request.abandoned()) s.learners.Release();
}

}  // namespace trellisk
