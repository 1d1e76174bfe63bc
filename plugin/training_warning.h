// The training warning of the setup entry: before the setup dialog opens,
// the user is told, in at most one message box, when the word database has
// learned too few spam (fewer than 100) or ham (fewer than 50) messages.
// Pure; thread-safe.
#pragma once

#include <cstdint>
#include <optional>

#include "base/text_id.h"

namespace trellisk {

struct TrainingWarning {
  TextId caption;
  TextId text;
};

// The warning due for a database with these message totals, or none.
std::optional<TrainingWarning> TrainingWarningFor(uint32_t spamMessages, uint32_t hamMessages);

}  // namespace trellisk
