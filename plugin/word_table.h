// The verbose word table of a scored message: one row per word the score
// was built from (the first SignificantWords entries of the vector in the
// classifier's order), with the word, its count in the message, its spam and
// ham counts in the word database, its probability and its frequency.
// Thread-safe as far as the database is.
#pragma once

#include <cstdint>
#include <string>

#include "parser/word_vector.h"

namespace trellisk {

class CBayesDatabase;

// The rows of the first `significantWords` entries, each ending with "\n";
// words are cut to the widest word + 1 or `stringToHashLimit` bytes. Empty
// for an empty vector.
std::string BuildWordTable(const WordVector& vector, uint32_t significantWords, uint32_t stringToHashLimit,
                           CBayesDatabase& database);

}  // namespace trellisk
