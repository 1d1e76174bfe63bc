// The tune command: tries a small grid of classifier settings on the user's
// own known spam and ham by cross-validation, through the plug-in's exports,
// prints how each did and recommends the one that lets no ham through and
// misses the fewest spam; --apply stores it where the plug-in reads it.
#include <algorithm>
#include <cstdio>
#include <mutex>

#include "host/batch_runner.h"
#include "host/command.h"
#include "host/evaluation.h"
#include "host/message_table.h"
#include "host/plugin_run.h"
#include "host/score_plot.h"
#include "host/tuning_grid.h"

namespace trellisk::host {
namespace {

constexpr size_t kFewestOfEachClass = 100;
constexpr uint32_t kRuleFilterBit = 4;
constexpr int kUnsureBand = 10;

struct LabelledMessage {
  MessageInput input;
  bool spam;
  unsigned fold;
};

struct FoldMessages {
  std::vector<MessageInput> messages;
  std::vector<bool> isSpam;
};

// Within each given path, in name order, message i goes to fold i mod folds.
bool CollectFolds(HostSession& session, const Arguments& arguments, unsigned folds,
                  std::vector<LabelledMessage>& messages) {
  return CollectLabelledInputs(session, arguments, [&](const std::vector<MessageInput>& inputs, bool spam) {
    for (size_t i = 0; i < inputs.size(); ++i) messages.push_back({inputs[i], spam, static_cast<unsigned>(i % folds)});
  });
}

FoldMessages Select(const std::vector<LabelledMessage>& messages, unsigned fold, bool inFold) {
  FoldMessages selected;
  for (const LabelledMessage& message : messages) {
    if ((message.fold == fold) != inFold) continue;
    selected.messages.push_back(message.input);
    selected.isSpam.push_back(message.spam);
  }
  return selected;
}

class Tuner {
 public:
  Tuner(HostSession& session, unsigned jobs, unsigned folds)
      : session_(session), jobs_(jobs), folds_(folds), grid_(TuningGrid()), results_(grid_.size()) {}

  const std::vector<TuningCandidate>& grid() const { return grid_; }
  const std::vector<Evaluation>& results() const { return results_; }

  // For each fold, a fresh word database learns the other folds and the
  // fold is scored with every candidate; the word database does not depend
  // on the classifier settings, so each fold trains once.
  bool Run(const std::vector<LabelledMessage>& messages, std::string& error) {
    for (unsigned fold = 0; fold < folds_; ++fold) {
      if (!RunFold(messages, fold, error)) return false;
    }
    return true;
  }

 private:
  bool RunFold(const std::vector<LabelledMessage>& messages, unsigned fold, std::string& error) {
    HostEnvironment& environment = session_.environment;
    const std::string stores = environment.dataDirectory() + "fold" + std::to_string(fold + 1) + "-";
    const std::vector<PluginSetting> freshStores = {{"DatabasePath", stores + "database.dat"},
                                                    {"UndodataPath", stores + "undo.dat"},
                                                    {"AutoLearning", 0u},
                                                    {"DNSBlacklist", 0u}};
    if (!environment.StoreSettings(freshStores, error)) return false;
    const FoldMessages train = Select(messages, fold, false);
    const FoldMessages test = Select(messages, fold, true);
    PluginApi& plugin = session_.plugin;
    StartPlugin(plugin, environment);
    BatchRunner trainer(train.messages, jobs_, Activity("training", fold));
    trainer.Run([&](size_t index, LoadedMessage& message) {
      HostedMessage hosted(std::move(message.bytes));
      plugin.FeedSpam(hosted.handle(), train.isSpam[index] ? 1 : 0, &MessageTable::ReadProperty);
      return std::optional<std::string>();
    });
    bool clean = StopPlugin(plugin);
    for (size_t candidate = 0; candidate < grid_.size() && clean; ++candidate) {
      if (!environment.StoreSettings(grid_[candidate].Settings(), error)) return false;
      clean = Score(environment, test, fold, candidate);
    }
    if (!clean) error = "the plug-in reported a problem (see above)";
    return clean;
  }

  bool Score(const HostEnvironment& environment, const FoldMessages& test, unsigned fold, size_t candidate) {
    PluginApi& plugin = session_.plugin;
    std::mutex resultMutex;
    StartPlugin(plugin, environment);
    BatchRunner scorer(test.messages, jobs_,
                       Activity("setting " + std::to_string(candidate + 1) + "/" + std::to_string(grid_.size()), fold));
    scorer.Run([&](size_t index, LoadedMessage& message) {
      HostedMessage hosted(std::move(message.bytes));
      const int score = plugin.GetSpamScore(hosted.handle(), &MessageTable::ReadProperty);
      std::lock_guard<std::mutex> lock(resultMutex);
      results_[candidate].Add(score, test.isSpam[index]);
      return std::optional<std::string>();
    });
    return StopPlugin(plugin);
  }

  std::string Activity(const std::string& what, unsigned fold) const {
    return "fold " + std::to_string(fold + 1) + "/" + std::to_string(folds_) + " " + what;
  }

  HostSession& session_;
  const unsigned jobs_;
  const unsigned folds_;
  const std::vector<TuningCandidate> grid_;
  std::vector<Evaluation> results_;
};

void PrintTable(const Tuner& tuner, int threshold, size_t recommended) {
  const int low = std::max(threshold - kUnsureBand, 0);
  const int high = std::min(threshold + kUnsureBand, Evaluation::kMaxScore + 1);
  std::printf("%-62s %5s %7s %7s %8s %13s\n", "setting", "FP", "missed", "unsure", "AUC", "missed at 0FP");
  for (size_t i = 0; i < tuner.grid().size(); ++i) {
    const Evaluation& result = tuner.results()[i];
    std::printf("%-62s %5zu %7zu %7zu %8.5f %13zu%s\n", tuner.grid()[i].Describe().c_str(),
                result.FalsePositives(threshold), result.FalseNegatives(threshold),
                result.HamBetween(low, high) + result.SpamBetween(low, high), result.RocArea(),
                result.AtFalsePositiveRate(0).spamMissed, i == recommended ? "  <- recommended" : "");
  }
}

// Tuning ran in a temporary directory; the setting goes to the registry of
// the data directory the host was given.
bool Apply(HostSession& session, const TuningCandidate& candidate, std::string& error) {
  HostEnvironment user;
  if (!session.environment.PrepareRequested(user, error)) return false;
  const uint32_t kept = user.StoredNumber("Algorithm").value_or(0) & kRuleFilterBit;
  if (!user.StoreSettings(candidate.Settings(kept), error)) return false;
  std::printf("stored in the plug-in's settings for %s\n", user.dataDirectory().c_str());
  return true;
}

bool Plot(HostSession& session, const Evaluation& result, const TuningCandidate& candidate,
          const std::string& path, std::string& error) {
  if (!WriteScorePlot(result, "trellisk-host tune: " + candidate.Describe(),
                      session.environment.ResolveInput(path), error)) {
    return false;
  }
  std::printf("plot: %s\n", path.c_str());
  return true;
}

int Fail(const std::string& error) {
  std::fprintf(stderr, "trellisk-host: %s\n", error.c_str());
  return kExitFailure;
}

}  // namespace

int RunTune(HostSession& session, const Arguments& arguments) {
  unsigned jobs = 1;
  unsigned long folds = 3;
  std::string error;
  if (!JobCount(arguments, jobs)) return kExitUsage;
  if (!arguments.Number("folds", 3, folds, error) || folds < 2 || folds > 10) {
    std::fprintf(stderr, "trellisk-host: --folds needs a number from 2 to 10\n");
    return kExitUsage;
  }
  if (!arguments.Has("spam") || !arguments.Has("ham")) {
    std::fprintf(stderr, "trellisk-host: tune needs --spam and --ham (see tune --help)\n");
    return kExitUsage;
  }
  std::vector<LabelledMessage> messages;
  if (!CollectFolds(session, arguments, static_cast<unsigned>(folds), messages)) return kExitFailure;
  size_t spam = 0;
  for (const LabelledMessage& message : messages) spam += message.spam ? 1 : 0;
  const size_t ham = messages.size() - spam;
  if (spam < kFewestOfEachClass || ham < kFewestOfEachClass) {
    return Fail("tune needs at least " + std::to_string(kFewestOfEachClass) + " spam and " +
                std::to_string(kFewestOfEachClass) + " ham to decide; given " + std::to_string(spam) +
                " spam and " + std::to_string(ham) + " ham");
  }
  std::printf("tuning on %zu spam and %zu ham, %lu-fold cross-validation, %zu settings\n", spam, ham, folds,
              TuningGrid().size());
  Tuner tuner(session, jobs, static_cast<unsigned>(folds));
  if (!tuner.Run(messages, error)) return Fail(error);
  const int threshold = static_cast<int>(session.environment.junkThreshold());
  const size_t recommended = RecommendedCandidate(tuner.results(), threshold);
  const TuningCandidate& best = tuner.grid()[recommended];
  PrintTable(tuner, threshold, recommended);
  std::printf("recommended at threshold %d: %s\n", threshold, best.Describe().c_str());
  if (arguments.Has("apply") && !Apply(session, best, error)) return Fail(error);
  if (const std::optional<std::string> plot = arguments.Value("plot")) {
    if (!Plot(session, tuner.results()[recommended], best, *plot, error)) return Fail(error);
  }
  return kExitSuccess;
}

}  // namespace trellisk::host
