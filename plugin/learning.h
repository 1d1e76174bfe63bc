// Learning: how a message is trained. Every training request -- the user's
// through TBP_FeedSpam and the automatic learning of the scoring pipeline --
// runs on a LearningThread of its own, which reads the message, takes back an
// earlier opposite learning found in the undo database, adds the message's
// words to the word database, records the message in the undo database and
// keeps the correction counters.
//
// Thread-safety: the starter blocks until the thread has read the message,
// because the host's handle and reader are valid only during its call; after
// that the thread works on the shared session alone.
#pragma once

#include <memory>

#include "platform/sync.h"
#include "plugin/tbp_api.h"

namespace trellisk {

struct Session;

// A correcting training repeats until the score agrees with the user, at
// most this often: each round adds the message's significant words once
// more, so beyond a few dozen rounds the message would outweigh everything
// else the database has learned from it, and with a threshold that no score
// can cross the loop would never end.
inline constexpr int kTrainOnErrorLimit = 25;

// Lives in the starter's frame; valid only until the thread signals `ready`.
struct LearnRequest {
  bool isSpam;
  MessageHandle message;
  PropertyReader reader;
  platform::ManualResetEvent* ready;
};

// Starts a learning thread on a learner slot that the caller has reserved
// in session->learners, and waits until the thread has read the message.
// False, with the slot given back, when no thread could be started.
bool StartLearningThread(std::shared_ptr<Session> session, bool isSpam, MessageHandle message,
                         PropertyReader reader);

// The body of one learning thread. Always signals the request's event and
// gives its learner slot back, whatever happens.
void LearningThread(const std::shared_ptr<Session>& session, LearnRequest& request);

}  // namespace trellisk
