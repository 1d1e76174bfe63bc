// The mail filter: one message from standard input to standard output with
// its verdict, as a delivery agent pipes mail through it.
#include <cstdio>
#include <exception>

#include "host/command.h"
#include "host/mbox_postmark.h"
#include "host/message_table.h"
#include "host/plugin_run.h"
#include "host/verdict_headers.h"

namespace trellisk::host {

int RunFilter(HostSession& session, const Arguments& arguments) {
  FilterMessage& message = *session.filterMessage;
  const std::string passthrough = arguments.Value("passthrough").value_or("yes");
  if (passthrough != "yes" && passthrough != "no") {
    std::fprintf(stderr, "trellisk-host: --passthrough takes yes or no\n");
    return kExitFilterError;
  }
  int score = 0;
  try {
    StartPlugin(session.plugin, session.environment);
    HostedMessage hosted{std::string(WithoutPostmark(message.bytes()))};
    score = session.plugin.GetSpamScore(hosted.handle(), &MessageTable::ReadProperty);
    StopPlugin(session.plugin);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "trellisk-host: the message could not be scored: %s\n", failure.what());
    return kExitFilterError;
  }
  const bool spam = score >= static_cast<int>(session.environment.junkThreshold());
  const bool written = passthrough == "yes"
                           ? message.Write(WithVerdictHeaders(message.bytes(), score, spam))
                           : message.Write(std::string(kStatusField) + ": " + (spam ? "Spam" : "Ham") +
                                           ", score=" + std::to_string(score) + "\n");
  if (!written) {
    std::fprintf(stderr, "trellisk-host: standard output took less than the whole message\n");
    return kExitFilterError;
  }
  return spam ? kExitSpam : kExitHam;
}

}  // namespace trellisk::host
