// Many trainings at once through the exports of a loaded plug-in, as a
// busy mail client sends them: several host threads each call TBP_FeedSpam
// for messages of their own. Every call must return (the plug-in's thread
// hand-over never leaves the host waiting) and every message be learned.
// Test-only; one run on the test's thread.
#pragma once

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "host/macro_sink.h"
#include "host/message_table.h"
#include "host/plugin_api.h"

namespace trellisk::testing {

// Message `n` of thread `t`, spam for even n.
inline std::string StressMail(int t, int n) {
  const bool spam = n % 2 == 0;
  return "From: sender" + std::to_string(t) + "@stress.example\r\nSubject: " + (spam ? "offer " : "meeting ") +
         std::to_string(n) + "\r\nMessage-ID: <" + std::to_string(t) + "." + std::to_string(n) +
         "@stress.example>\r\n\r\n" + (spam ? "cheap pills casino winner " : "agenda project review ") +
         std::to_string(n % 13) + "\r\n";
}

// Trains `perThread` messages from each of `threads` host threads.
inline void FeedFromThreads(host::PluginApi& plugin, int threads, int perThread) {
  std::vector<std::thread> feeders;
  for (int t = 0; t < threads; ++t) {
    feeders.emplace_back([&plugin, t, perThread] {
      for (int n = 0; n < perThread; ++n) {
        host::HostedMessage message(StressMail(t, n));
        plugin.FeedSpam(message.handle(), n % 2 == 0 ? 1 : 0, &host::MessageTable::ReadProperty);
      }
    });
  }
  for (std::thread& feeder : feeders) feeder.join();
}

// The learned spam + ham totals of the statistics macro; -1 when unreadable.
inline long LearnedMessages(host::PluginApi& plugin) {
  host::CollectingMacroSink sink;
  plugin.ExecMacro("SPAMFILTERSTATISTIC", 1, sink.sink(), nullptr);
  std::smatch counts;
  const std::string text = sink.text();
  if (!std::regex_search(text, counts, std::regex(R"(HamMails: +(\d+)\nSpamMails: +(\d+)\n)"))) return -1;
  return std::stol(counts[1]) + std::stol(counts[2]);
}

}  // namespace trellisk::testing
