// The verbose word table of a scored message: one row per word the score
// was built from (the first SignificantWords entries of the vector in the
// classifier's order), with the word, its count in the message, its spam and
// ham counts in the word database, its probability and its frequency.
// Thread-safe as far as the database is.
#pragma once

#include <string>

#include "parser/word_vector.h"

namespace trellisk {

class CBayesDatabase;
struct Settings;

// The rows, each ending with "\n"; empty for an empty vector.
std::string BuildWordTable(const WordVector& vector, const Settings& settings, CBayesDatabase& database);

}  // namespace trellisk
