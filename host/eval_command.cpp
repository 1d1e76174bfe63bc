// The eval command: trains a fresh plug-in on one part of a set of known
// spam and ham and scores the rest, to measure how well it separates them.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>

#include "host/batch_runner.h"
#include "host/command.h"
#include "host/evaluation.h"
#include "host/message_table.h"
#include "host/plugin_run.h"
#include "host/score_plot.h"

namespace trellisk::host {
namespace {

struct LabelledMessages {
  std::vector<MessageInput> messages;
  std::vector<bool> isSpam;

  void Add(const MessageInput& message, bool spam) {
    messages.push_back(message);
    isSpam.push_back(spam);
  }
};

struct Split {
  LabelledMessages train;
  LabelledMessages test;
};

// Within each given folder, in name order, the messages at even positions
// train and the ones at odd positions test.
bool SplitInputs(HostSession& session, const Arguments& arguments, Split& split) {
  return CollectLabelledInputs(session, arguments, [&](const std::vector<MessageInput>& messages, bool spam) {
    for (size_t i = 0; i < messages.size(); ++i) (i % 2 == 0 ? split.train : split.test).Add(messages[i], spam);
  });
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

size_t CountSpam(const LabelledMessages& messages) {
  size_t spam = 0;
  for (bool isSpam : messages.isSpam) spam += isSpam ? 1 : 0;
  return spam;
}

void PrintReport(const Evaluation& evaluation, int threshold, int band) {
  const size_t ham = evaluation.hamCount();
  const size_t spam = evaluation.spamCount();
  const size_t falsePositives = evaluation.FalsePositives(threshold);
  const size_t falseNegatives = evaluation.FalseNegatives(threshold);
  std::printf("threshold %d: false positives %zu (%.2f%% of ham), false negatives %zu (%.2f%% of spam)\n",
              threshold, falsePositives, ham ? 100.0 * falsePositives / ham : 0.0, falseNegatives,
              spam ? 100.0 * falseNegatives / spam : 0.0);
  const int low = std::max(threshold - band, 0);
  const int high = std::min(threshold + band, Evaluation::kMaxScore + 1);
  std::printf("unsure (scores %d..%d): %zu ham, %zu spam\n", low, high - 1, evaluation.HamBetween(low, high),
              evaluation.SpamBetween(low, high));
  for (const double rate : {0.0, 0.005}) {
    const Evaluation::OperatingPoint point = evaluation.AtFalsePositiveRate(rate);
    std::printf("spam missed at %.1f%% false positives: %zu (%.2f%% of spam, threshold %d)\n", rate * 100,
                point.spamMissed, spam ? 100.0 * point.spamMissed / spam : 0.0, point.threshold);
  }
  std::printf("ROC AUC: %.5f\n", evaluation.RocArea());
}

// Trains a fresh plug-in on the messages, each as its label says; false when
// the plug-in did not stop cleanly or a message could not be read.
bool Train(HostSession& session, const LabelledMessages& train, unsigned jobs) {
  PluginApi& plugin = session.plugin;
  const auto start = std::chrono::steady_clock::now();
  StartPlugin(plugin, session.environment);
  BatchRunner trainer(train.messages, jobs, "training");
  const BatchResult trained = trainer.Run([&](size_t index, LoadedMessage& message) {
    HostedMessage hosted(std::move(message.bytes));
    plugin.FeedSpam(hosted.handle(), train.isSpam[index] ? 1 : 0, &MessageTable::ReadProperty);
    return std::optional<std::string>();
  });
  const bool clean = StopPlugin(plugin);
  const size_t spam = CountSpam(train);
  std::printf("trained %zu spam and %zu ham in %.2f s\n", spam, train.messages.size() - spam, SecondsSince(start));
  return clean && trained.unreadable == 0;
}

// Scores the messages into `evaluation`, listing each one when `list` is
// set; false as Train is.
bool Score(HostSession& session, const LabelledMessages& test, unsigned jobs, bool list, Evaluation& evaluation) {
  PluginApi& plugin = session.plugin;
  const int threshold = static_cast<int>(session.environment.junkThreshold());
  std::mutex evaluationMutex;
  const auto start = std::chrono::steady_clock::now();
  StartPlugin(plugin, session.environment);
  BatchRunner tester(test.messages, jobs, "scoring");
  const BatchResult tested = tester.Run([&](size_t index, LoadedMessage& message) {
    HostedMessage hosted(std::move(message.bytes));
    const int score = plugin.GetSpamScore(hosted.handle(), &MessageTable::ReadProperty);
    const bool spam = test.isSpam[index];
    {
      std::lock_guard<std::mutex> lock(evaluationMutex);
      evaluation.Add(score, spam);
    }
    if (!list) return std::optional<std::string>();
    char line[48];
    std::snprintf(line, sizeof line, "%3d %-4s %-4s ", score, score >= threshold ? "SPAM" : "HAM",
                  spam ? "spam" : "ham");
    return std::optional<std::string>(line + message.name);
  });
  const bool clean = StopPlugin(plugin);
  std::printf("scored %zu spam and %zu ham in %.2f s\n", evaluation.spamCount(), evaluation.hamCount(),
              SecondsSince(start));
  return clean && tested.unreadable == 0;
}

bool Plot(HostSession& session, const Evaluation& evaluation, const std::string& file) {
  const std::string title = "trellisk-host eval: " + std::to_string(evaluation.spamCount()) + " spam and " +
                            std::to_string(evaluation.hamCount()) + " ham scored";
  std::string error;
  if (!WriteScorePlot(evaluation, title, session.environment.ResolveInput(file), error)) {
    std::fprintf(stderr, "trellisk-host: %s\n", error.c_str());
    return false;
  }
  std::printf("plot: %s\n", file.c_str());
  return true;
}

}  // namespace

int RunEval(HostSession& session, const Arguments& arguments) {
  unsigned jobs = 1;
  unsigned long band = 10;
  std::string error;
  if (!JobCount(arguments, jobs)) return kExitUsage;
  if (!arguments.Number("unsure-band", 10, band, error)) {
    std::fprintf(stderr, "trellisk-host: %s\n", error.c_str());
    return kExitUsage;
  }
  if (!arguments.Has("spam") || !arguments.Has("ham")) {
    std::fprintf(stderr, "trellisk-host: eval needs --spam and --ham folders (see eval --help)\n");
    return kExitUsage;
  }
  Split split;
  const bool readable = SplitInputs(session, arguments, split);
  const bool trained = Train(session, split.train, jobs);
  Evaluation evaluation;
  const bool scored = Score(session, split.test, jobs, arguments.Has("list"), evaluation);
  PrintReport(evaluation, static_cast<int>(session.environment.junkThreshold()), static_cast<int>(band));
  if (const std::optional<std::string> plot = arguments.Value("plot")) {
    if (!Plot(session, evaluation, *plot)) return kExitFailure;
  }
  return readable && trained && scored ? kExitSuccess : kExitFailure;
}

}  // namespace trellisk::host
