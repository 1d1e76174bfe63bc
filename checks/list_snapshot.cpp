#include "checks/list_snapshot.h"

#include <algorithm>

namespace trellisk {

bool IsWhiteKind(ListEntryKind kind) { return kind == kWhiteText || kind == kWhiteRegExp; }
bool IsExpressionKind(ListEntryKind kind) { return kind == kBlackRegExp || kind == kWhiteRegExp; }

ListSnapshot::ListSnapshot(std::vector<Entry> entries, const ListSnapshot* previous)
    : entries_(std::move(entries)), plainEntries_(PlainEntryIndices(entries_)), automaton_(PlainTexts()) {
  CompileExpressions(previous);
}

std::vector<uint32_t> ListSnapshot::PlainEntryIndices(const std::vector<Entry>& entries) {
  std::vector<uint32_t> indices;
  for (uint32_t index = 0; index < entries.size(); ++index) {
    if (!IsExpressionKind(entries[index].kind)) indices.push_back(index);
  }
  return indices;
}

std::vector<std::string_view> ListSnapshot::PlainTexts() const {
  std::vector<std::string_view> texts;
  texts.reserve(plainEntries_.size());
  for (uint32_t index : plainEntries_) texts.push_back(entries_[index].text);
  return texts;
}

void ListSnapshot::CompileExpressions(const ListSnapshot* previous) {
  for (uint32_t index = 0; index < entries_.size(); ++index) {
    const Entry& entry = entries_[index];
    if (!IsExpressionKind(entry.kind)) continue;
    std::shared_ptr<const ListExpression> compiled = previous ? previous->CompiledBefore(entry.text) : nullptr;
    if (!compiled) compiled = ListExpression::Compile(entry.text);
    if (!compiled && firstInvalid_ == kNone) firstInvalid_ = index;
    (IsWhiteKind(entry.kind) ? whiteExpressions_ : blackExpressions_).push_back({index, std::move(compiled)});
  }
}

std::shared_ptr<const ListExpression> ListSnapshot::CompiledBefore(const std::string& text) const {
  for (const auto* expressions : {&whiteExpressions_, &blackExpressions_}) {
    for (const Expression& expression : *expressions) {
      if (expression.compiled && entries_[expression.entry].text == text) return expression.compiled;
    }
  }
  return nullptr;
}

// The scan in slot order ends at the first white match or at `stop` (the
// first invalid expression still to be reported), whichever comes first;
// black matches matter only when no white one comes before the end, and then
// only the last of them.
const ListSnapshot::Entry* ListSnapshot::Check(ListMatch& record, std::string_view text) const {
  const uint32_t stop = record.expressionNoticeShown ? kNone : firstInvalid_;
  std::vector<uint32_t> plainMatches = automaton_.FindOccurring(text);
  for (uint32_t& match : plainMatches) match = plainEntries_[match];

  const uint32_t white = FirstWhiteMatch(plainMatches, text, stop);
  if (white < stop) {
    record.verdict = kWhitelisted;
    record.matchedEntry = entries_[white].text;
    return nullptr;
  }
  const uint32_t black = LastBlackMatch(plainMatches, text, stop);
  if (black != kNone) {
    record.verdict = kBlacklisted;
    record.matchedEntry = entries_[black].text;
  }
  return stop == kNone ? nullptr : &entries_[stop];
}

uint32_t ListSnapshot::FirstWhiteMatch(const std::vector<uint32_t>& plainMatches, std::string_view text,
                                       uint32_t stop) const {
  uint32_t first = kNone;
  for (uint32_t match : plainMatches) {
    if (IsWhiteKind(entries_[match].kind)) first = std::min(first, match);
  }
  // Only expressions before every known end can come first.
  for (const Expression& expression : whiteExpressions_) {
    if (expression.entry >= std::min(first, stop)) break;
    if (expression.compiled && expression.compiled->Search(text)) return expression.entry;
  }
  return first;
}

uint32_t ListSnapshot::LastBlackMatch(const std::vector<uint32_t>& plainMatches, std::string_view text,
                                      uint32_t stop) const {
  uint32_t last = kNone;
  for (uint32_t match : plainMatches) {
    if (match < stop && !IsWhiteKind(entries_[match].kind) && (last == kNone || match > last)) last = match;
  }
  // Only expressions after the last plain match can be the last match; the
  // first of them to match from the end is it.
  for (auto expression = blackExpressions_.rbegin(); expression != blackExpressions_.rend(); ++expression) {
    if (expression->entry >= stop) continue;
    if (last != kNone && expression->entry < last) break;
    if (expression->compiled && expression->compiled->Search(text)) return expression->entry;
  }
  return last;
}

}  // namespace trellisk
