// RuleExpression is the expression of one rule compiled with PCRE2 (8-bit,
// caseless, "^" and "$" at every line feed, "." across line feeds on
// request) and JIT-compiled where the library can. A rule's expression is
// compiled once when the rules are loaded and then only matched.
//
// A user's expression may backtrack without end on some text. Every match
// therefore runs under a match limit: an expression that reaches it gives
// up (MatchOutcome::kGaveUp), which callers count as not found. The limit
// holds for each start position, so one match call is bounded by the
// limit times the number of start positions a pattern cannot skip.
//
// A RuleExpression owns its compiled code and is move-only. Match is const
// and may run on several threads at once, each with its own MatchScratch.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

struct pcre2_real_code_8;
struct pcre2_real_match_data_8;
struct pcre2_real_match_context_8;
struct pcre2_real_jit_stack_8;

namespace trellisk {

// Whether "." also matches a line feed.
enum class DotMatches { kAllButLineFeed, kEverything };

enum class MatchOutcome { kFound, kNotFound, kGaveUp };

// Backtracking steps one start position may take before the match gives up.
// With the JIT this is about 2 ms of work; no reasonable rule comes near it.
inline constexpr uint32_t kExpressionMatchLimit = 1'000'000;

// The per-thread working memory of matching: match data, the match context
// with the limits, and a large JIT stack made only for the rare match that
// outgrows the JIT's own small one. Used by one thread at a time; the
// caller owns it.
class MatchScratch {
 public:
  // Throws std::bad_alloc when PCRE2 cannot allocate.
  MatchScratch();
  ~MatchScratch();
  MatchScratch(const MatchScratch&) = delete;
  MatchScratch& operator=(const MatchScratch&) = delete;

 private:
  friend class RuleExpression;
  // Gives the JIT the large stack; false when it has it already or it
  // cannot be made.
  bool GrowJitStack();

  pcre2_real_match_data_8* data_;
  pcre2_real_match_context_8* context_;
  pcre2_real_jit_stack_8* jitStack_ = nullptr;
};

class RuleExpression {
 public:
  // An empty expression: compiled() is false.
  RuleExpression() = default;
  // Compiles `pattern`; compiled() is false when PCRE2 rejects it.
  RuleExpression(std::string_view pattern, DotMatches dot);

  bool compiled() const { return code_ != nullptr; }
  // Searches the whole text from its start. Must not be called when
  // compiled() is false.
  MatchOutcome Match(std::string_view text, MatchScratch& scratch) const;

 private:
  struct CodeDeleter {
    void operator()(pcre2_real_code_8* code) const;
  };
  std::unique_ptr<pcre2_real_code_8, CodeDeleter> code_;
};

}  // namespace trellisk
