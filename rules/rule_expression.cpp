#include "rules/rule_expression.h"

#include <pcre2.h>

#include <new>
#include <type_traits>

namespace trellisk {
namespace {

static_assert(std::is_same_v<pcre2_code, pcre2_real_code_8>);
static_assert(std::is_same_v<pcre2_match_data, pcre2_real_match_data_8>);
static_assert(std::is_same_v<pcre2_match_context, pcre2_real_match_context_8>);
static_assert(std::is_same_v<pcre2_jit_stack, pcre2_real_jit_stack_8>);

// The interpreter keeps its backtracking frames on the heap; this bounds
// them per match (in KiB) well below anything that would hurt the host.
constexpr uint32_t kHeapLimitKiB = 32 * 1024;

// The JIT's large stack, for deeply nested repeats over a long text (some
// 100,000 repeats of a group need about 4 MB).
constexpr size_t kJitStackStart = 32 * 1024;
constexpr size_t kJitStackMaximum = 8 * 1024 * 1024;

// Only found or not found matters, so one pair of offsets is enough.
constexpr uint32_t kOffsetPairs = 1;

uint32_t CompileOptions(DotMatches dot) {
  uint32_t options = PCRE2_CASELESS | PCRE2_MULTILINE;
  if (dot == DotMatches::kEverything) options |= PCRE2_DOTALL;
  return options;
}

// "^" and "$" work at line feeds whatever newline the library was built
// with, so a rule means the same on every machine.
pcre2_compile_context* LineFeedCompileContext() {
  static pcre2_compile_context* const context = [] {
    pcre2_compile_context* created = pcre2_compile_context_create(nullptr);
    if (created) pcre2_set_newline(created, PCRE2_NEWLINE_LF);
    return created;
  }();
  return context;
}

}  // namespace

MatchScratch::MatchScratch()
    : data_(pcre2_match_data_create(kOffsetPairs, nullptr)), context_(pcre2_match_context_create(nullptr)) {
  if (!data_ || !context_) {
    pcre2_match_data_free(data_);
    pcre2_match_context_free(context_);
    throw std::bad_alloc();
  }
  pcre2_set_match_limit(context_, kExpressionMatchLimit);
  pcre2_set_depth_limit(context_, kExpressionMatchLimit);
  pcre2_set_heap_limit(context_, kHeapLimitKiB);
}

MatchScratch::~MatchScratch() {
  pcre2_jit_stack_free(jitStack_);
  pcre2_match_data_free(data_);
  pcre2_match_context_free(context_);
}

bool MatchScratch::GrowJitStack() {
  if (jitStack_) return false;
  jitStack_ = pcre2_jit_stack_create(kJitStackStart, kJitStackMaximum, nullptr);
  if (!jitStack_) return false;
  pcre2_jit_stack_assign(context_, nullptr, jitStack_);
  return true;
}

void RuleExpression::CodeDeleter::operator()(pcre2_real_code_8* code) const { pcre2_code_free(code); }

RuleExpression::RuleExpression(std::string_view pattern, DotMatches dot) {
  int error = 0;
  PCRE2_SIZE errorOffset = 0;
  code_.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), CompileOptions(dot),
                            &error, &errorOffset, LineFeedCompileContext()));
  // Without the JIT (unsupported machine, no executable memory) matching
  // falls back to the interpreter, with the same results.
  if (code_) pcre2_jit_compile(code_.get(), PCRE2_JIT_COMPLETE);
}

MatchOutcome RuleExpression::Match(std::string_view text, MatchScratch& scratch) const {
  const auto subject = reinterpret_cast<PCRE2_SPTR>(text.data() ? text.data() : "");
  int result = pcre2_match(code_.get(), subject, text.size(), 0, 0, scratch.data_, scratch.context_);
  // The JIT's own stack is small; a legitimately deep match is repeated
  // with the large one. (The interpreter would take a hundred times as
  // long on such a match.)
  if (result == PCRE2_ERROR_JIT_STACKLIMIT && scratch.GrowJitStack()) {
    result = pcre2_match(code_.get(), subject, text.size(), 0, 0, scratch.data_, scratch.context_);
  }
  if (result >= 0) return MatchOutcome::kFound;
  if (result == PCRE2_ERROR_NOMATCH) return MatchOutcome::kNotFound;
  return MatchOutcome::kGaveUp;
}

}  // namespace trellisk
