// The black and white list files: the input is the black list, a 0x1E
// byte, the white list, another 0x1E byte and an optional text to check.
// Load both lists, check a fixed message (and the optional text) with the
// fast search and with the plain one-entry-at-a-time oracle, which must
// agree, then save. A second round with the saved files must check alike
// and save the same bytes -- unless the first save wrote a line too long
// to read back whole: such a line comes back as several entries (the file
// format's rule), so the lists change once more.
#include <algorithm>
#include <optional>

#include "fuzz/fuzz_fixture.h"
#include "fuzz/fuzz_targets.h"
#include "lists/black_whitelist.h"
#include "lists/list_file_format.h"
#include "lists/testing/literal_list_check.h"
#include "platform/message_box.h"
#include "plugin/component_options.h"

namespace trellisk::fuzz {
namespace {

constexpr const char* kBlackPath = "blacklist.txt";
constexpr const char* kWhitePath = "whitelist.txt";
constexpr char kPieceSeparator = '\x1e';
// Longer texts make the oracle too slow to fuzz with.
constexpr size_t kLongestCheckedText = 4096;
constexpr std::string_view kMessage =
    "Return-Path: <alice@example.com>\r\n"
    "From: Alice Example <alice@example.com>\r\n"
    "To: bob@example.org\r\n"
    "Subject: Cheap pills, buy now!\r\n"
    "Received: from mail.example.net ([192.0.2.1]) by mx.example.org\r\n"
    "\r\n"
    "Hello Bob, visit http://www.example.biz/offer?id=42 today.\r\n";

const testing::ExpressionNotice kIgnoreNotice = [](std::string_view, ListEntryKind) {};

struct Round {
  std::vector<ListMatch> verdicts;
  std::string black, white;
};

ListMatch CheckBothWays(CBlackWhitelist& lists, std::string_view text) {
  ListMatch fast, literal;
  const bool fastResult = lists.CheckBlackWhitelist(fast, text, true);
  const bool literalResult = testing::LiteralCheckBlackWhitelist(lists, literal, text, true, kIgnoreNotice);
  Expect(fastResult == literalResult, "the check's result differs from the oracle's");
  Expect(fast.verdict == literal.verdict && fast.matchedEntry == literal.matchedEntry,
         "the check's verdict differs from the oracle's");
  return fast;
}

Round LoadCheckAndSave(FuzzFixture& fixture, std::string_view extraText) {
  CBlackWhitelist lists(ListOptionsOf(fixture.settings), fixture.log, fixture.files, fixture.textSource,
                        fixture.boxes);
  lists.Load(kBothLists);
  Round round;
  round.verdicts.push_back(CheckBothWays(lists, kMessage));
  if (!extraText.empty()) round.verdicts.push_back(CheckBothWays(lists, extraText));
  Expect(lists.Save(kBothLists), "the lists could not be saved");
  round.black = fixture.files.File(kBlackPath).value_or("");
  round.white = fixture.files.File(kWhitePath).value_or("");
  return round;
}

bool LinesReadBackWhole(std::string_view text) {
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    if (end + 1 - start >= kListLineBuffer) return false;
    start = end + 1;
  }
  return true;
}

bool SameVerdicts(const std::vector<ListMatch>& a, const std::vector<ListMatch>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].verdict != b[i].verdict || a[i].matchedEntry != b[i].matchedEntry) return false;
  }
  return true;
}

}  // namespace

void FuzzListFiles(FuzzInput input) {
  const std::vector<std::string_view> pieces = SplitInput(input, kPieceSeparator, 3);
  if (pieces[2].size() > kLongestCheckedText) return;
  FuzzFixture fixture;
  fixture.settings.BlacklistPath = kBlackPath;
  fixture.settings.WhitelistPath = kWhitePath;
  fixture.settings.VerboseLogfile = 0;
  fixture.files.SetFile(kBlackPath, std::string(pieces[0]));
  fixture.files.SetFile(kWhitePath, std::string(pieces[1]));
  const Round first = LoadCheckAndSave(fixture, pieces[2]);
  const Round second = LoadCheckAndSave(fixture, pieces[2]);
  if (!LinesReadBackWhole(first.black) || !LinesReadBackWhole(first.white)) return;
  Expect(SameVerdicts(first.verdicts, second.verdicts), "the saved lists check differently");
  Expect(first.black == second.black && first.white == second.white, "the second save wrote other lists");
}

}  // namespace trellisk::fuzz
