// The scoring pipeline behind TBP_GetSpamScore: for one message, the sender
// lists decide first (white 0, black 100); otherwise the classifier scores
// the words, and a message below the spam threshold still meets the rule
// filter and the DNS blacklists, either of which can make it 100. The
// decision is logged as one block of lines, counted, may put the sender on a
// list, and is either learned (automatic learning) or remembered in the undo
// database for a later correction by the user.
//
// Thread-safe: scoring calls for different messages run at once, alongside
// learning threads; each call works on its own parser, vector and log block.
#pragma once

#include <memory>

#include "plugin/tbp_api.h"

namespace trellisk {

struct Session;

// The score of the message, 0 (ham) to 100 (spam); 50 when it cannot be read.
// On an unexpected failure the score reached so far.
int ScoreMessage(const std::shared_ptr<Session>& session, MessageHandle message, PropertyReader reader);

}  // namespace trellisk
