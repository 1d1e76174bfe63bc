// How the plug-in last dealt with a message, as the undo database records
// it: learned by training, or scored without learning. The values are the
// ones stored in the undo file.
#pragma once

#include <cstdint>

namespace trellisk {

enum class UndoKind : uint32_t {
  LearnedHam = 0,
  LearnedSpam = 1,
  ScoredHam = 2,   // scored below SpamScore and not learned
  ScoredSpam = 3,  // scored at or above SpamScore and not learned
};

}  // namespace trellisk
