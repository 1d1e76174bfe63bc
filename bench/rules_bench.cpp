// The rule filter's cost per message on the real-mail corpus.
//
//   TRELLISK_CORPUS_DIR=.cache/corpus build/bench/rules_bench
//
// Every corpus message (cut to 65535 bytes) is parsed once beforehand as the
// scoring pipeline does, so that the rules see the header and body as
// received and the parser's collected texts. Then:
//   BM_ScoreCorpus/200  scores every message with 200 generated rules (text
//                       and expression rules on header fields, the whole
//                       header, the body, header names, chains);
//                       BM_ScoreCorpus/0 is the same call without rules.
//                       Time per message = time / messages; items/s is
//                       messages per second.
//   BM_LoadRules        reads and compiles the 200 rules.
//   BM_Expressions/jit, /interpreted: the generated expressions alone over
//                       every message's body, with and without the JIT.
//   BM_RunawayRule      one rule that backtracks without end on a 64 KB body.
#include <benchmark/benchmark.h>

#include <pcre2.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/log.h"
#include "base/text_source.h"
#include "parser/mail_parser.h"
#include "platform/file_system.h"
#include "plugin/component_options.h"
#include "plugin/settings.h"
#include "rules/regexp_filter.h"

namespace {

using namespace trellisk;

constexpr size_t kMessageLimit = 65535;

// One message as the pipeline hands it to the rule filter.
struct PreparedMessage {
  std::string rawHeader;
  std::string rawBody;
  std::optional<std::string> headerText;
  std::optional<std::string> bodyText;
  size_t size = 0;

  RuleFilterInput Input() const {
    return RuleFilterInput{1, &rawHeader, &rawBody, headerText ? &*headerText : nullptr,
                           bodyText ? &*bodyText : nullptr, size, false};
  }
};

std::filesystem::path CorpusRoot() {
  if (const char* configured = std::getenv("TRELLISK_CORPUS_DIR")) return configured;
  return TRELLISK_DEFAULT_CORPUS_DIR;
}

std::vector<std::string> CorpusTexts() {
  std::vector<std::filesystem::path> paths;
  std::error_code error;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(CorpusRoot(), error)) {
    if (entry.is_regular_file() && entry.path().extension() == ".txt") paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  std::vector<std::string> texts;
  for (const auto& path : paths) {
    std::ifstream file(path, std::ios::binary);
    texts.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  return texts;
}

class BenchEnvironment {
 public:
  BenchEnvironment() {
    settings.VerboseLogfile = 0;
    settings.Algorithm |= kAlgorithmRuleFilter;
  }
  Settings settings;
  BuiltinTexts texts;
  Log log{&texts};
};

BenchEnvironment& Environment() {
  static BenchEnvironment environment;
  return environment;
}

PreparedMessage Prepare(std::string text) {
  PreparedMessage message;
  message.size = text.size();
  if (text.size() > kMessageLimit) text.resize(kMessageLimit);
  CMailParser parser(ParserOptionsOf(Environment().settings), Environment().log, nullptr);
  parser.SetMail(text.data(), text.size(), false);
  message.rawHeader = text.c_str();
  const int32_t bodyOffset = parser.mail().bodyOffset;
  if (bodyOffset > 0) message.rawBody = text.c_str() + bodyOffset;
  parser.ParseMail();
  message.headerText = parser.mail().headerText;
  message.bodyText = parser.mail().bodyText;
  return message;
}

const std::vector<PreparedMessage>& Corpus() {
  static const std::vector<PreparedMessage> corpus = [] {
    std::vector<PreparedMessage> messages;
    for (std::string& text : CorpusTexts()) messages.push_back(Prepare(std::move(text)));
    return messages;
  }();
  return corpus;
}

const char* const kWords[] = {
    "viagra",   "free",     "money",   "offer",     "click here", "unsubscribe", "winner",  "credit",
    "mortgage", "loan",     "cheap",   "pills",     "casino",     "lottery",     "urgent",  "investment",
    "guarantee", "limited", "act now", "dear friend", "remove",   "million",     "bonus",   "discount",
    "replica",  "diet",     "meeting", "linux",     "patch",      "release",     "python",  "thanks",
};
constexpr size_t kWordCount = std::size(kWords);

// Rule number i of a mix that resembles a user's rule file: a tenth each of
// subject, body and header texts, subject, body and whole-header
// expressions, header names, sender texts, chains and line expressions.
std::string GeneratedRule(size_t i) {
  const std::string word = kWords[i % kWordCount];
  const std::string other = kWords[(i * 7 + 3) % kWordCount];
  switch (i % 10) {
    case 0: return "SUBJECT: 1.5 \"" + word + "\" [subject text]";
    case 1: return "BODY: 2 \"" + word + "\" [body text]";
    case 2: return "~MATCH: 1 \"" + word + "\"";
    case 3: return "SUBJECT: 2 {\\b" + word + "\\b} [subject word]";
    case 4: return "BODY: 3 {" + word + "\\s+\\w+} [body phrase]";
    case 5: return i % 20 == 5 ? "HEADER: 1 \"X-Mailer\"" : "-HEADER: 0.5 \"X-Rule-" + std::to_string(i) + "\"";
    case 6: return "ANY-SENDER: 2 \"" + word + "\"";
    case 7: return "COMPLETEHEADER: 1 {^x-[a-z-]+:.*" + word + "}";
    case 8: return "@~SUBJECT: 0 \"" + word + "\"\n~BODY: 4 {" + word + ".{0,40}" + other + "} [chain]";
    default: return "LINE: 1 {^" + word + "[[:punct:]]}";
  }
}

std::string GeneratedRuleFile(size_t count) {
  std::string text = "# generated\n";
  size_t written = 0;
  for (size_t i = 0; written < count; ++i) {
    const std::string rule = GeneratedRule(i);
    written += static_cast<size_t>(std::count(rule.begin(), rule.end(), '\n')) + 1;
    text += rule + "\n";
  }
  return text;
}

// A rule file in a directory of its own, removed at exit.
class RuleFile {
 public:
  explicit RuleFile(const std::string& text) {
    directory_ = std::filesystem::temp_directory_path() / ("trellisk-rules-bench-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(directory_);
    std::ofstream(path(), std::ios::binary) << text;
  }
  ~RuleFile() {
    std::error_code error;
    std::filesystem::remove_all(directory_, error);
  }
  std::string path() const { return (directory_ / "filters.dat").string(); }

 private:
  std::filesystem::path directory_;
};

bool SkipWithoutCorpus(benchmark::State& state) {
  if (!Corpus().empty()) return false;
  state.SkipWithError("corpus missing: run scripts/fetch-corpus.sh or set TRELLISK_CORPUS_DIR");
  return true;
}

void BM_ScoreCorpus(benchmark::State& state) {
  if (SkipWithoutCorpus(state)) return;
  const RuleFile file(GeneratedRuleFile(static_cast<size_t>(state.range(0))));
  BenchEnvironment& environment = Environment();
  environment.settings.RegExpPath = file.path();
  CRegExpFilter filter(RuleFilterOptionsOf(environment.settings), environment.log, platform::DefaultFileSystem());
  filter.Load();
  double fired = 0;
  for (auto _ : state) {
    for (const PreparedMessage& message : Corpus()) {
      const RuleFilterResult result = filter.ScoreMail(message.Input());
      benchmark::DoNotOptimize(result.total);
      fired += static_cast<double>(std::count(result.trace.begin(), result.trace.end(), '\n'));
    }
  }
  const auto messages = static_cast<double>(state.iterations() * Corpus().size());
  state.SetItemsProcessed(static_cast<int64_t>(messages));
  state.counters["rules"] = static_cast<double>(filter.RuleCount());
  // Seconds of CPU per message, printed with an SI prefix ("110u" = 110 us).
  state.counters["per_message"] = benchmark::Counter(messages, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["fired_per_message"] = fired / messages;
}
BENCHMARK(BM_ScoreCorpus)->Arg(0)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_LoadRules(benchmark::State& state) {
  const RuleFile file(GeneratedRuleFile(200));
  BenchEnvironment& environment = Environment();
  environment.settings.RegExpPath = file.path();
  CRegExpFilter filter(RuleFilterOptionsOf(environment.settings), environment.log, platform::DefaultFileSystem());
  for (auto _ : state) benchmark::DoNotOptimize(filter.Load());
  state.counters["rules"] = static_cast<double>(filter.RuleCount());
}
BENCHMARK(BM_LoadRules)->Unit(benchmark::kMillisecond);

// The generated expressions, compiled as the filter compiles them, with or
// without the JIT, matched against every body.
void BM_Expressions(benchmark::State& state) {
  if (SkipWithoutCorpus(state)) return;
  const bool jit = state.range(0) != 0;
  std::vector<pcre2_code*> codes;
  for (size_t i = 0; i < 200; ++i) {
    if (i % 10 != 4) continue;
    const std::string pattern = std::string(kWords[i % kWordCount]) + "\\s+\\w+";
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                     PCRE2_CASELESS | PCRE2_MULTILINE | PCRE2_DOTALL, &error, &offset, nullptr);
    if (jit) pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
    codes.push_back(code);
  }
  pcre2_match_data* data = pcre2_match_data_create(1, nullptr);
  for (auto _ : state) {
    for (const PreparedMessage& message : Corpus()) {
      for (pcre2_code* code : codes) {
        benchmark::DoNotOptimize(pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(message.rawBody.data()),
                                             message.rawBody.size(), 0, jit ? 0 : PCRE2_NO_JIT, data, nullptr));
      }
    }
  }
  pcre2_match_data_free(data);
  for (pcre2_code* code : codes) pcre2_code_free(code);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * Corpus().size()));
  state.SetLabel(jit ? "jit" : "interpreted");
}
BENCHMARK(BM_Expressions)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_RunawayRule(benchmark::State& state) {
  const RuleFile file("BODY: 5 {(a+)+$}\n");
  BenchEnvironment& environment = Environment();
  environment.settings.RegExpPath = file.path();
  CRegExpFilter filter(RuleFilterOptionsOf(environment.settings), environment.log, platform::DefaultFileSystem());
  filter.Load();
  PreparedMessage message;
  message.rawHeader = "Subject: a\r\n";
  message.rawBody = std::string(kMessageLimit - 1, 'a') + "!";
  message.headerText = "Subject: a";
  message.bodyText = message.rawBody;
  message.size = kMessageLimit;
  for (auto _ : state) benchmark::DoNotOptimize(filter.ScoreMail(message.Input()).total);
}
BENCHMARK(BM_RunawayRule)->Unit(benchmark::kMillisecond);

}  // namespace
