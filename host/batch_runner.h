// BatchRunner works through a list of inputs with N host threads at once,
// as the mail client calls the plug-in from several threads. Each thread
// reads its input and hands every message in it to the work, which returns
// an output line; lines are printed in input order as soon as all earlier
// ones are done, and a progress bar on standard error (only when it is a
// terminal) shows how far the batch is. Inputs that cannot be read are
// reported on standard error and the batch goes on.
//
// Run is called from one thread; the work function from several.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/message_inputs.h"

namespace trellisk::host {

struct BatchResult {
  size_t processed = 0;   // messages handed to the work
  size_t unreadable = 0;  // inputs that could not be read
};

class BatchRunner {
 public:
  // The work for one message of the input at `index`; it may take the
  // message's bytes. The returned line is printed (nothing for an empty
  // optional).
  using Work = std::function<std::optional<std::string>(size_t index, LoadedMessage& message)>;

  BatchRunner(const std::vector<MessageInput>& messages, unsigned threads, std::string activity)
      : messages_(messages), threads_(threads == 0 ? 1 : threads), activity_(std::move(activity)) {}

  BatchResult Run(const Work& work);

 private:
  const std::vector<MessageInput>& messages_;
  unsigned threads_;
  std::string activity_;
};

}  // namespace trellisk::host
