// The rule file with its includes: the input is the main rule file, a 0x1E
// byte, the file "a.dat", another 0x1E byte and the file "b.dat", all in one
// directory, so include lines of any of them can name the others. Load the
// rules and score a fixed message twice: both scores and traces must be
// equal, and the editor must get the main file back byte for byte.
#include <cmath>

#include "fuzz/fuzz_fixture.h"
#include "fuzz/fuzz_targets.h"
#include "plugin/component_options.h"
#include "rules/regexp_filter.h"

namespace trellisk::fuzz {
namespace {

constexpr const char* kRulePath = "rules/filters.dat";
constexpr const char* kIncludePaths[] = {"rules/a.dat", "rules/b.dat"};
constexpr char kFileSeparator = '\x1e';

const std::string kRawHeader =
    "Return-Path: <alice@example.com>\r\n"
    "Received: from mail.example.net ([192.0.2.1]) by mx.example.org\r\n"
    "From: Alice Example <alice@example.com>\r\n"
    "To: bob@example.org\r\n"
    "Cc: carol@example.net\r\n"
    "Subject: Cheap =?iso-8859-1?q?pills?=\r\n"
    "X-Mailer: Mailer 1.0\r\n"
    "Content-Type: text/plain; charset=us-ascii\r\n";
const std::string kRawBody = "Hello Bob,\r\nvisit http://www.example.biz/offer?id=42 and BUY NOW!\r\n";
const std::string kHeaderText =
    "From: Alice Example <alice@example.com>\nTo: bob@example.org\nCc: carol@example.net\n"
    "Subject: Cheap pills\nX-Mailer: Mailer 1.0";
const std::string kBodyText = "Hello Bob,\nvisit http://www.example.biz/offer?id=42 and BUY NOW!";

RuleFilterResult ScoreFixedMessage(CRegExpFilter& filter) {
  const RuleFilterInput input{1,           &kRawHeader, &kRawBody, &kHeaderText, &kBodyText,
                              kRawHeader.size() + 2 + kRawBody.size(), false};
  return filter.ScoreMail(input);
}

bool SameResult(const RuleFilterResult& a, const RuleFilterResult& b) {
  const bool sameTotal = a.total == b.total || (std::isnan(a.total) && std::isnan(b.total));
  return sameTotal && a.trace == b.trace;
}

}  // namespace

void FuzzRuleFiles(FuzzInput input) {
  const std::vector<std::string_view> pieces = SplitInput(input, kFileSeparator, 3);
  FuzzFixture fixture;
  fixture.settings.RegExpPath = kRulePath;
  fixture.settings.VerboseLogfile = 0;
  fixture.files.SetFile(kRulePath, std::string(pieces[0]));
  fixture.files.SetFile(kIncludePaths[0], std::string(pieces[1]));
  fixture.files.SetFile(kIncludePaths[1], std::string(pieces[2]));
  CRegExpFilter filter(RuleFilterOptionsOf(fixture.settings), fixture.log, fixture.files);
  Expect(filter.Load(), "the rule file did not load");
  const RuleFilterResult first = ScoreFixedMessage(filter);
  const RuleFilterResult second = ScoreFixedMessage(filter);
  Expect(SameResult(first, second), "scoring the same message twice gave different results");
  Expect(filter.Get() == std::string(pieces[0]), "the editor got another text than the rule file's");
}

}  // namespace trellisk::fuzz
