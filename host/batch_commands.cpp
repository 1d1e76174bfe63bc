// The commands that hand messages to the plug-in: scoring and training.
#include <chrono>
#include <cstdio>

#include "host/batch_runner.h"
#include "host/command.h"
#include "host/message_table.h"
#include "host/plugin_run.h"

namespace trellisk::host {

bool CollectInputs(HostSession& session, const std::vector<std::string>& paths, MessageInputs& inputs,
                   bool standardInputIsMbox) {
  bool standardInputRead = false;
  for (const std::string& path : paths) {
    if (path != kStandardInput) {
      inputs.Add(session.environment.ResolveInput(path), path);
    } else if (!standardInputRead) {
      std::string error;
      std::optional<FilterMessage> text = FilterMessage::ReadStandardInput(error);
      if (!text) {
        std::fprintf(stderr, "trellisk-host: %s\n", error.c_str());
        return false;
      }
      inputs.AddText(text->bytes(), "-", standardInputIsMbox);
      standardInputRead = true;
    }
  }
  for (const InputProblem& problem : inputs.problems()) {
    std::fprintf(stderr, "trellisk-host: %s: %s\n", problem.path.c_str(), problem.reason.c_str());
  }
  return inputs.problems().empty();
}

bool CollectLabelledInputs(HostSession& session, const Arguments& arguments,
                           const std::function<void(const std::vector<MessageInput>& messages, bool spam)>& onPath) {
  bool readable = true;
  for (const bool spam : {true, false}) {
    for (const std::string& path : arguments.Values(spam ? "spam" : "ham")) {
      MessageInputs inputs;
      readable = CollectInputs(session, {path}, inputs) && readable;
      inputs.ExpandMboxFiles();
      onPath(inputs.messages(), spam);
    }
  }
  return readable;
}

bool JobCount(const Arguments& arguments, unsigned& jobs) {
  unsigned long count = 1;
  std::string error;
  if (!arguments.Number("jobs", 1, count, error) || count == 0 || count > 256) {
    std::fprintf(stderr, "trellisk-host: -j needs a number of threads from 1 to 256\n");
    return false;
  }
  jobs = static_cast<unsigned>(count);
  return true;
}

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int RunScore(HostSession& session, const Arguments& arguments) {
  unsigned jobs = 1;
  if (!JobCount(arguments, jobs)) return kExitUsage;
  if (arguments.positionals().empty()) {
    std::fprintf(stderr, "trellisk-host: score needs messages to score (see score --help)\n");
    return kExitUsage;
  }
  MessageInputs inputs;
  const bool inputsReadable = CollectInputs(session, arguments.positionals(), inputs, arguments.Has("mbox"));
  PluginApi& plugin = session.plugin;
  const int threshold = static_cast<int>(session.environment.junkThreshold());
  StartPlugin(plugin, session.environment);
  BatchRunner runner(inputs.messages(), jobs, "scoring");
  const BatchResult result = runner.Run([&](size_t, LoadedMessage& message) {
    HostedMessage hosted(std::move(message.bytes));
    const int score = plugin.GetSpamScore(hosted.handle(), &MessageTable::ReadProperty);
    char line[32];
    std::snprintf(line, sizeof line, "%3d %-4s ", score, score >= threshold ? "SPAM" : "HAM");
    return std::optional<std::string>(line + message.name);
  });
  const bool clean = StopPlugin(plugin);
  return inputsReadable && result.unreadable == 0 && clean ? kExitSuccess : kExitFailure;
}

int RunTrain(HostSession& session, const Arguments& arguments) {
  unsigned jobs = 1;
  if (!JobCount(arguments, jobs)) return kExitUsage;
  const bool spam = arguments.Has("spam");
  if (spam == arguments.Has("ham") || arguments.positionals().empty()) {
    std::fprintf(stderr, "trellisk-host: train needs --spam or --ham and messages (see train --help)\n");
    return kExitUsage;
  }
  MessageInputs inputs;
  const bool inputsReadable = CollectInputs(session, arguments.positionals(), inputs, arguments.Has("mbox"));
  PluginApi& plugin = session.plugin;
  const auto start = std::chrono::steady_clock::now();
  StartPlugin(plugin, session.environment);
  BatchRunner runner(inputs.messages(), jobs, spam ? "training spam" : "training ham");
  const BatchResult result = runner.Run([&](size_t, LoadedMessage& message) {
    HostedMessage hosted(std::move(message.bytes));
    plugin.FeedSpam(hosted.handle(), spam ? 1 : 0, &MessageTable::ReadProperty);
    return std::optional<std::string>();
  });
  const bool clean = StopPlugin(plugin);  // waits for the learning threads and saves
  std::printf("trained %zu messages as %s in %.2f s\n", result.processed, spam ? "spam" : "ham",
              SecondsSince(start));
  return inputsReadable && result.unreadable == 0 && clean ? kExitSuccess : kExitFailure;
}

}  // namespace trellisk::host
