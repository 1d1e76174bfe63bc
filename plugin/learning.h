// Learning: how a message is trained. Every training request -- the user's
// through TBP_FeedSpam and the automatic learning of the scoring pipeline --
// runs on a LearningThread of its own, which reads the message, takes back an
// earlier opposite learning found in the undo database, adds the message's
// words to the word database, records the message in the undo database and
// keeps the correction counters.
//
// Thread-safety: the starter blocks until the thread has read the message,
// because the host's handle and reader are valid only during its call; after
// that the thread works on the shared session alone. The starter waits at
// most kHandOverWaitMs: a host whose call never returned would be frozen.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/sync.h"
#include "plugin/message_text.h"
#include "plugin/tbp_api.h"

namespace trellisk {

struct Session;

// A correcting training repeats until the score agrees with the user, at
// most this often: each round adds the message's significant words once
// more, so beyond a few dozen rounds the message would outweigh everything
// else the database has learned from it, and with a threshold that no score
// can cross the loop would never end.
inline constexpr int kTrainOnErrorLimit = 25;

// How long a starter waits for its thread to take the message.
inline constexpr uint32_t kHandOverWaitMs = 60000;

// The hand-over of one message from the host's call to its learning
// thread, shared by both. The thread reads the message through the host's
// reader only while the starter still waits: once the starter has given up,
// the handle may be gone. Thread-safe.
class LearnRequest {
 public:
  LearnRequest(bool isSpam, MessageHandle message, PropertyReader reader)
      : isSpam_(isSpam), message_(message), reader_(reader) {}

  bool isSpam() const { return isSpam_; }
  // On the learning thread: the message text (nothing when it could not be
  // read or the starter gave up waiting); the starter is then released.
  std::optional<MessageText> TakeMessage();
  // On the starter: waits until the thread is done with the message, at
  // most `timeoutMs`; false when it gave up (the thread then never reads it).
  bool WaitTaken(uint32_t timeoutMs);
  // Whether the starter gave up; final once TakeMessage has returned. The
  // learner slot is then the starter's to give back.
  bool abandoned();

 private:
  const bool isSpam_;
  const MessageHandle message_;
  const PropertyReader reader_;
  // Held while the message is read, so the starter never gives up halfway.
  platform::RecursiveMutex handOver_;
  platform::ManualResetEvent taken_;
  bool abandoned_ = false;
};

// Starts a learning thread on a learner slot that the caller has reserved
// in session->learners, and waits until the thread has read the message.
// False, with the slot given back, when no thread could be started.
bool StartLearningThread(std::shared_ptr<Session> session, bool isSpam, MessageHandle message,
                         PropertyReader reader);

// The body of one learning thread. Always releases the starter and gives
// its learner slot back, whatever happens.
void LearningThread(const std::shared_ptr<Session>& session, LearnRequest& request);

}  // namespace trellisk
