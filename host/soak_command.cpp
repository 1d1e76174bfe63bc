// The soak command: one plug-in instance scores and trains known spam and ham
// from several host threads for a long time, while the host watches its own
// resident memory, thread count and open files for growth. At the end the
// word database's message totals must equal the trainings made.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "host/command.h"
#include "host/message_table.h"
#include "host/plugin_run.h"

namespace trellisk::host {
namespace {

struct LabelledInput {
  MessageInput input;
  bool spam;
};

struct SoakCounters {
  std::atomic<uint64_t> scored{0};
  std::atomic<uint64_t> trainedSpam{0};
  std::atomic<uint64_t> trainedHam{0};
  std::atomic<uint64_t> unreadable{0};
};

bool CollectLabelled(HostSession& session, const Arguments& arguments, std::vector<LabelledInput>& all) {
  return CollectLabelledInputs(session, arguments, [&](const std::vector<MessageInput>& messages, bool spam) {
    for (const MessageInput& input : messages) all.push_back({input, spam});
  });
}

// A number from a "Name:   value" line of /proc/self/status; 0 when absent.
uint64_t StatusField(const std::string& name) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, name.size() + 1, name + ":") == 0) return std::stoull(line.substr(name.size() + 1));
  }
  return 0;
}

size_t OpenFileCount() {
  std::error_code error;
  size_t count = 0;
  for (std::filesystem::directory_iterator it("/proc/self/fd", error), end; !error && it != end;
       it.increment(error)) {
    ++count;
  }
  return count;
}

void PrintResources(double seconds, const SoakCounters& counters) {
  std::printf("%7.0f s  scored %8llu  trained %8llu  rss %7llu kB  threads %3llu  open files %3zu\n", seconds,
              static_cast<unsigned long long>(counters.scored.load()),
              static_cast<unsigned long long>(counters.trainedSpam.load() + counters.trainedHam.load()),
              static_cast<unsigned long long>(StatusField("VmRSS")),
              static_cast<unsigned long long>(StatusField("Threads")), OpenFileCount());
  std::fflush(stdout);
}

// Scores every message of its share and then trains it as what it is.
void SoakWorker(PluginApi& plugin, const std::vector<LabelledInput>& inputs, std::atomic<size_t>& next,
                const std::atomic<bool>& stop, SoakCounters& counters) {
  while (!stop.load()) {
    const LabelledInput& item = inputs[next.fetch_add(1) % inputs.size()];
    std::vector<LoadedMessage> messages;
    std::string error;
    if (!LoadMessages(item.input, messages, error)) {
      counters.unreadable.fetch_add(1);
      continue;
    }
    for (LoadedMessage& message : messages) {
      HostedMessage hosted(std::move(message.bytes));
      plugin.GetSpamScore(hosted.handle(), &MessageTable::ReadProperty);
      counters.scored.fetch_add(1);
      plugin.FeedSpam(hosted.handle(), item.spam ? 1 : 0, &MessageTable::ReadProperty);
      (item.spam ? counters.trainedSpam : counters.trainedHam).fetch_add(1);
    }
  }
}

struct Totals {
  uint64_t spam = 0;
  uint64_t ham = 0;
};

// The message totals of the saved word database: its second and third lines.
bool ReadDatabaseTotals(const std::string& path, Totals& totals) {
  std::ifstream file(path);
  std::string sizeHint, spam, ham;
  if (!std::getline(file, sizeHint) || !std::getline(file, spam) || !std::getline(file, ham)) return false;
  totals = {std::stoull(spam), std::stoull(ham)};
  return true;
}

bool CheckTotals(const std::string& databasePath, const Totals& before, const SoakCounters& counters) {
  Totals after;
  if (!ReadDatabaseTotals(databasePath, after)) {
    std::printf("totals: %s cannot be read\n", databasePath.c_str());
    return false;
  }
  const Totals expected{before.spam + counters.trainedSpam.load(), before.ham + counters.trainedHam.load()};
  const bool equal = after.spam == expected.spam && after.ham == expected.ham;
  std::printf("totals: spam %llu (expected %llu), ham %llu (expected %llu): %s\n",
              static_cast<unsigned long long>(after.spam), static_cast<unsigned long long>(expected.spam),
              static_cast<unsigned long long>(after.ham), static_cast<unsigned long long>(expected.ham),
              equal ? "OK" : "MISMATCH");
  return equal;
}

}  // namespace

int RunSoak(HostSession& session, const Arguments& arguments) {
  unsigned jobs = 4;
  unsigned long seconds = 3600;
  unsigned long reportEvery = 60;
  std::string error;
  if (arguments.Has("jobs") && !JobCount(arguments, jobs)) return kExitUsage;
  if (!arguments.Number("seconds", seconds, seconds, error) ||
      !arguments.Number("report-every", reportEvery, reportEvery, error) || reportEvery == 0) {
    std::fprintf(stderr, "trellisk-host: --seconds and --report-every need positive numbers\n");
    return kExitUsage;
  }
  std::vector<LabelledInput> inputs;
  const bool readable = CollectLabelled(session, arguments, inputs);
  if (inputs.empty()) {
    std::fprintf(stderr, "trellisk-host: soak needs --spam and --ham messages (see soak --help)\n");
    return kExitUsage;
  }
  const std::string databasePath = session.environment.dataDirectory() + "database.dat";
  Totals before;
  ReadDatabaseTotals(databasePath, before);

  PluginApi& plugin = session.plugin;
  SoakCounters counters;
  std::atomic<size_t> next{0};
  std::atomic<bool> stop{false};
  const auto start = std::chrono::steady_clock::now();
  StartPlugin(plugin, session.environment);
  PrintResources(0, counters);
  std::vector<std::thread> workers;
  for (unsigned i = 0; i < jobs; ++i) {
    workers.emplace_back(SoakWorker, std::ref(plugin), std::cref(inputs), std::ref(next), std::cref(stop),
                         std::ref(counters));
  }
  for (unsigned long elapsed = 0; elapsed < seconds;) {
    elapsed = std::min(elapsed + reportEvery, seconds);
    std::this_thread::sleep_until(start + std::chrono::seconds(elapsed));
    PrintResources(static_cast<double>(elapsed), counters);
  }
  stop = true;
  for (std::thread& worker : workers) worker.join();
  const bool clean = StopPlugin(plugin);  // waits for the learning threads and saves
  PrintResources(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), counters);
  const bool totalsEqual = CheckTotals(databasePath, before, counters);
  return readable && counters.unreadable == 0 && totalsEqual && clean ? kExitSuccess : kExitFailure;
}

}  // namespace trellisk::host
