// Automatic learning: which scored messages the plug-in learns by itself,
// and as what. AutoLearning picks the classes (1 spam, 2 ham, 3 both); a
// score above AutoLearningGradeAbove is learned as spam, one below
// AutoLearningGradeBelow as ham.
//
// The precise mode narrows both bands. Its chi-square score is symmetric
// about 50, so a spam verdict at 100 - g is as certain as a ham verdict at
// g: spam is learned only beyond the larger of the spam grade and 100 minus
// the ham grade. And a score of 0 or 100 is not learned: the database
// already decides such a message with all its weight, so learning it only
// piles counts onto the words that decided it, while the growing message
// total thins out the rare words of the other class's borderline messages
// (learning only ham, nearly all of it at 0, lifted hard ham over the
// threshold).
//
// A pure function; thread-safe.
#pragma once

#include <optional>

#include "plugin/settings.h"

namespace trellisk {

// True: learn the message as spam; false: as ham; nothing: do not learn it.
std::optional<bool> AutoLearningVerdict(const Settings& settings, int score);

}  // namespace trellisk
