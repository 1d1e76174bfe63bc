#include "plugin/word_table.h"

#include <algorithm>
#include <charconv>

#include "store/bayes_database.h"

namespace trellisk {
namespace {

constexpr size_t kCountWidth = 8;
constexpr size_t kDatabaseCountWidth = 10;
constexpr size_t kRealWidth = 10;

// Right-justified in `width` characters; a longer value is cut to the width.
void AppendColumn(std::string& row, const std::string& value, size_t width) {
  row += " | ";
  if (value.size() < width) row.append(width - value.size(), ' ');
  row.append(value, 0, width);
}

// As printf's "%.8f" writes it (to_chars rounds the same way, much faster).
std::string EightDecimals(double value) {
  char buffer[400];
  const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 8);
  return std::string(buffer, result.ptr);
}

}  // namespace

std::string BuildWordTable(const WordVector& vector, uint32_t significantWords, uint32_t stringToHashLimit,
                           CBayesDatabase& database) {
  const size_t rows = std::min<size_t>(vector.size(), significantWords);
  size_t longest = 0;
  for (size_t i = 0; i < rows; ++i) longest = std::max(longest, vector[i].word.size());
  const size_t width = std::min<size_t>(longest + 1, stringToHashLimit);

  std::string table;
  for (size_t i = 0; i < rows; ++i) {
    const WordEntry& entry = vector[i];
    uint32_t spam = 0;
    uint32_t ham = 0;
    database.Find(entry.word, spam, ham);
    std::string row = entry.word.substr(0, width);
    row.append(width - row.size(), ' ');
    AppendColumn(row, std::to_string(entry.count), kCountWidth);
    AppendColumn(row, std::to_string(spam), kDatabaseCountWidth);
    AppendColumn(row, std::to_string(ham), kDatabaseCountWidth);
    AppendColumn(row, EightDecimals(entry.probability), kRealWidth);
    AppendColumn(row, EightDecimals(entry.frequency), kRealWidth);
    table += row;
    table += '\n';
  }
  return table;
}

}  // namespace trellisk
