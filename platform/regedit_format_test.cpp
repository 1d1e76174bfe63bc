#include "platform/regedit_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry_test_printer.h"

namespace trellisk::platform {
namespace {

constexpr RegistryHive kHklm = RegistryHive::LocalMachine;

RegistryValue Bytes(uint32_t type, std::vector<uint8_t> data) { return {type, std::move(data)}; }

RegistryValue ByteRange(uint32_t type, int first, int last) {
  RegistryValue value{type, {}};
  for (int byte = first; byte <= last; ++byte) value.data.push_back(static_cast<uint8_t>(byte));
  return value;
}

std::vector<std::string_view> Path(std::string_view path) { return *SplitRegistryPath(path); }

// Every byte from 0x80 to 0xFF, as text.
std::string HighBytes() {
  std::string text;
  for (int byte = 0x80; byte <= 0xFF; ++byte) text += static_cast<char>(byte);
  return text;
}

RegistryTree TreeWithValue(std::string_view name, const RegistryValue& value) {
  RegistryTree tree;
  tree.Create(Path("Software\\Trellisk")).SetValue(name, value);
  return tree;
}

// Parses text that must be valid.
RegistryTree Parse(std::string_view text) {
  RegeditParseResult result = ParseRegedit(text, kHklm);
  EXPECT_TRUE(result.ok()) << result.error << "\n" << text;
  return std::move(result.tree);
}

const RegistryValue* Find(const RegistryTree& tree, std::string_view path, std::string_view name) {
  const RegistryTree::Key* key = tree.Find(Path(path));
  return key ? key->FindValue(name) : nullptr;
}

std::string ParseError(std::string_view text) {
  const RegeditParseResult result = ParseRegedit(text, kHklm);
  EXPECT_FALSE(result.ok()) << text;
  return result.error;
}

struct RoundTripCase {
  const char* behaviour;
  std::string name;
  RegistryValue value;
  std::string valueLine;  // the line the value is written as
  friend void PrintTo(const RoundTripCase& c, std::ostream* out) { *out << c.behaviour; }
};

class RegeditRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RegeditRoundTrip, WritesTheLineAndReadsBackTheSameBytes) {
  const RoundTripCase& c = GetParam();
  const std::string text = SerializeRegedit(TreeWithValue(c.name, c.value), kHklm);
  EXPECT_NE(text.find("\n" + c.valueLine + "\n"), std::string::npos) << text;
  const RegistryTree read = Parse(text);
  const RegistryValue* value = Find(read, "Software\\Trellisk", c.name);
  ASSERT_NE(value, nullptr) << text;
  EXPECT_EQ(*value, c.value) << text;
  EXPECT_EQ(SerializeRegedit(read, kHklm), text);
}

INSTANTIATE_TEST_SUITE_P(
    EveryValueType, RegeditRoundTrip,
    ::testing::Values(
        RoundTripCase{"Text", "Name", RegistryValue::String("database.dat"), "\"Name\"=\"database.dat\""},
        RoundTripCase{"EmptyText", "Empty", RegistryValue::String(""), "\"Empty\"=\"\""},
        RoundTripCase{"QuotesAndBackslashes", "Path", RegistryValue::String("C:\\Mail\\\"x\"\\"),
                      "\"Path\"=\"C:\\\\Mail\\\\\\\"x\\\"\\\\\""},
        RoundTripCase{"TabStaysText", "Tab", RegistryValue::String("a\tb"), "\"Tab\"=\"a\tb\""},
        RoundTripCase{"HighBytesStayText", "High", RegistryValue::String(HighBytes()), "\"High\"=\"" + HighBytes() + "\""},
        RoundTripCase{"DefaultValue", "", RegistryValue::String("default"), "@=\"default\""},
        RoundTripCase{"NameWithQuoteAndBackslash", "a\"b\\c", RegistryValue::Dword(1),
                      "\"a\\\"b\\\\c\"=dword:00000001"},
        RoundTripCase{"NameLooksLikeSyntax", "[x];=@", RegistryValue::Dword(2), "\"[x];=@\"=dword:00000002"},
        RoundTripCase{"TextWithLineFeedIsHex", "Lf", RegistryValue::String("a\nb"), "\"Lf\"=hex(1):61,0a,62,00"},
        RoundTripCase{"TextWithCarriageReturnIsHex", "Cr", RegistryValue::String("\r"), "\"Cr\"=hex(1):0d,00"},
        RoundTripCase{"TextWithControlByteIsHex", "Ctl", RegistryValue::String("\x01"), "\"Ctl\"=hex(1):01,00"},
        RoundTripCase{"TextWithDeleteIsHex", "Del", RegistryValue::String("\x7f"), "\"Del\"=hex(1):7f,00"},
        RoundTripCase{"TextWithoutZeroIsHex", "NoZero", Bytes(kRegString, {'a', 'b'}), "\"NoZero\"=hex(1):61,62"},
        RoundTripCase{"TextWithInnerZeroIsHex", "Inner", Bytes(kRegString, {'a', 0, 'b', 0}),
                      "\"Inner\"=hex(1):61,00,62,00"},
        RoundTripCase{"TextWithNoBytesIsHex", "None", Bytes(kRegString, {}), "\"None\"=hex(1):"},
        RoundTripCase{"DwordZero", "Zero", RegistryValue::Dword(0), "\"Zero\"=dword:00000000"},
        RoundTripCase{"DwordLowercaseHex", "Ten", RegistryValue::Dword(0xABCDEF0A), "\"Ten\"=dword:abcdef0a"},
        RoundTripCase{"DwordMax", "Max", RegistryValue::Dword(0xFFFFFFFF), "\"Max\"=dword:ffffffff"},
        RoundTripCase{"ShortDwordIsHex", "Short", Bytes(kRegDword, {1, 2, 3}), "\"Short\"=hex(4):01,02,03"},
        RoundTripCase{"ExpandString", "Expand", Bytes(kRegExpandString, {'A', 0}), "\"Expand\"=hex(2):41,00"},
        RoundTripCase{"Binary", "Blob", Bytes(kRegBinary, {1, 2, 0xff}), "\"Blob\"=hex:01,02,ff"},
        RoundTripCase{"EmptyBinary", "Nothing", Bytes(kRegBinary, {}), "\"Nothing\"=hex:"},
        RoundTripCase{"TypeNone", "Kind0", Bytes(kRegNone, {7}), "\"Kind0\"=hex(0):07"},
        RoundTripCase{"QwordTypeNumberInHex", "Kind11", Bytes(11, {0, 1}), "\"Kind11\"=hex(b):00,01"},
        RoundTripCase{"LargestTypeNumber", "KindMax", Bytes(0xFFFFFFFF, {9}), "\"KindMax\"=hex(ffffffff):09"}),
    [](const auto& info) { return std::string(info.param.behaviour); });

TEST(RegeditFormat, WritesTheCanonicalText) {
  RegistryTree tree;
  RegistryTree::Key& main = tree.Create(Path("Software\\Trellisk"));
  main.SetValue("SpamScore", RegistryValue::Dword(90));
  main.SetValue("DatabasePath", RegistryValue::String("database.dat"));
  tree.Create(Path("Software\\Trellisk\\Statistics")).SetValue("DetectedSpam", RegistryValue::Dword(3));
  tree.Create(Path("Software\\Alpha"));
  EXPECT_EQ(SerializeRegedit(tree, kHklm),
            "REGEDIT4\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Software]\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Alpha]\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Trellisk]\n"
            "\"SpamScore\"=dword:0000005a\n"
            "\"DatabasePath\"=\"database.dat\"\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Trellisk\\Statistics]\n"
            "\"DetectedSpam\"=dword:00000003\n"
            "\n");
}

TEST(RegeditFormat, EmptyHiveIsTheSignatureAlone) {
  EXPECT_EQ(SerializeRegedit(RegistryTree(), RegistryHive::CurrentUser), "REGEDIT4\n\n");
  EXPECT_EQ(SerializeRegedit(Parse("REGEDIT4\n\n[HKEY_LOCAL_MACHINE]\n"), kHklm), "REGEDIT4\n\n");
}

TEST(RegeditFormat, RootValuesGetTheHiveSection) {
  RegistryTree tree;
  tree.root().SetValue("Top", RegistryValue::Dword(1));
  const std::string text = SerializeRegedit(tree, RegistryHive::CurrentUser);
  EXPECT_EQ(text, "REGEDIT4\n\n[HKEY_CURRENT_USER]\n\"Top\"=dword:00000001\n\n");
  const RegeditParseResult read = ParseRegedit(text, RegistryHive::CurrentUser);
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(*read.tree.root().FindValue("top"), RegistryValue::Dword(1));
}

TEST(RegeditFormat, KeysAreOrderedByFoldedNameAndKeepTheirSpelling) {
  RegistryTree tree;
  tree.Create(Path("b"));
  tree.Create(Path("A\\z"));
  tree.Create(Path("a\\Y"));
  EXPECT_EQ(SerializeRegedit(tree, kHklm),
            "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A]\n\n[HKEY_LOCAL_MACHINE\\A\\Y]\n\n[HKEY_LOCAL_MACHINE\\A\\z]\n\n"
            "[HKEY_LOCAL_MACHINE\\b]\n\n");
}

TEST(RegeditFormat, ValuesKeepTheOrderOfTheirFirstWrite) {
  RegistryTree tree;
  RegistryTree::Key& key = tree.Create(Path("k"));
  key.SetValue("z", RegistryValue::Dword(1));
  key.SetValue("a", RegistryValue::Dword(2));
  key.SetValue("Z", RegistryValue::Dword(3));
  EXPECT_EQ(SerializeRegedit(tree, kHklm),
            "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\k]\n\"z\"=dword:00000003\n\"a\"=dword:00000002\n\n");
}

TEST(RegeditFormat, LongHexListsWrapBeforeColumnEighty) {
  const RegistryValue blob = ByteRange(kRegBinary, 0, 255);
  const std::string text = SerializeRegedit(TreeWithValue("Blob", blob), kHklm);
  size_t lines = 0;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find('\n', start);
    EXPECT_LE(end - start, kRegeditLineWidth) << text.substr(start, end - start);
    start = end + 1;
    ++lines;
  }
  EXPECT_GT(lines, 10u);
  EXPECT_NE(text.find("\"Blob\"=hex:00,01,02,"), std::string::npos);
  EXPECT_NE(text.find(",\\\n  "), std::string::npos);
  EXPECT_EQ(*Find(Parse(text), "Software\\Trellisk", "Blob"), blob);
}

TEST(RegeditFormat, LongValueNamesStillCarryAByteALine) {
  const std::string name(100, 'n');
  const RegistryValue blob = ByteRange(kRegExpandString, 1, 40);
  const std::string text = SerializeRegedit(TreeWithValue(name, blob), kHklm);
  EXPECT_EQ(*Find(Parse(text), "Software\\Trellisk", name), blob);
}

TEST(RegeditFormat, ReadsCrLfCommentsBlankLinesAndContinuations) {
  const RegistryTree tree = Parse(
      "REGEDIT4\r\n"
      "; written by hand\r\n"
      "\r\n"
      "   \t\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Trellisk]\r\n"
      "  ; indented comment\r\n"
      "\"Blob\"=hex:01,02,\\\r\n"
      "  03,04,\\\r\n"
      "\t05\r\n"
      "\"Text\"=\"a;b\"  \r\n"
      "@=dword:0000000A\r\n");
  EXPECT_EQ(*Find(tree, "Software\\Trellisk", "Blob"), Bytes(kRegBinary, {1, 2, 3, 4, 5}));
  EXPECT_EQ(*Find(tree, "Software\\Trellisk", "Text"), RegistryValue::String("a;b"));
  EXPECT_EQ(*Find(tree, "Software\\Trellisk", ""), RegistryValue::Dword(10));
}

TEST(RegeditFormat, ReadsTheLenientSpellingsRegeditAccepts) {
  const RegistryTree tree = Parse(
      "REGEDIT4  \n"
      "[hkey_local_machine\\SOFTWARE\\x]  \n"
      "\"A\" = DWORD:FFFFFFFF\n"
      "\"B\"=HEX(3): 0A , 0b\n"
      "\"C\"=Hex(B):01\n"
      "\"\"=\"empty name is the default\"\n");
  EXPECT_EQ(*Find(tree, "software\\X", "a"), RegistryValue::Dword(0xFFFFFFFF));
  EXPECT_EQ(*Find(tree, "software\\X", "b"), Bytes(kRegBinary, {10, 11}));
  EXPECT_EQ(*Find(tree, "software\\X", "c"), Bytes(11, {1}));
  EXPECT_EQ(*Find(tree, "software\\X", ""), RegistryValue::String("empty name is the default"));
}

TEST(RegeditFormat, SectionsAndValuesMatchWithoutRegardToCase) {
  const RegistryTree tree = Parse(
      "REGEDIT4\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Trellisk]\n"
      "\"Count\"=dword:00000001\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\trellisk]\n"
      "\"COUNT\"=dword:00000002\n"
      "\"Other\"=dword:00000003\n");
  const RegistryTree::Key* key = tree.Find(Path("software\\TRELLISK"));
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->name(), "Trellisk");
  ASSERT_EQ(key->values().size(), 2u);
  EXPECT_EQ(key->values()[0].name, "Count");
  EXPECT_EQ(key->values()[0].value, RegistryValue::Dword(2));
}

TEST(RegeditFormat, AwkwardKeyNamesRoundTrip) {
  const std::vector<std::string_view> names = {"ends]", "[starts", " spaced ", "semi;colon", "quote\"d", "\xe4\xff"};
  RegistryTree tree;
  for (const std::string_view name : names) tree.Create({"Parent", name}).SetValue("v", RegistryValue::Dword(1));
  const std::string text = SerializeRegedit(tree, kHklm);
  const RegistryTree read = Parse(text);
  for (const std::string_view name : names) {
    const RegistryTree::Key* key = read.Find({"Parent", name});
    ASSERT_NE(key, nullptr) << name;
    EXPECT_EQ(key->name(), name);
    EXPECT_EQ(*key->FindValue("v"), RegistryValue::Dword(1)) << name;
  }
  EXPECT_EQ(SerializeRegedit(read, kHklm), text);
}

TEST(RegeditFormat, SectionsCreateTheirParents) {
  const RegistryTree tree = Parse("REGEDIT4\n[HKEY_LOCAL_MACHINE\\a\\b\\c]\n");
  EXPECT_NE(tree.Find(Path("a")), nullptr);
  EXPECT_NE(tree.Find(Path("a\\b")), nullptr);
  EXPECT_NE(tree.Find(Path("A\\B\\C")), nullptr);
}

struct DamageCase {
  const char* behaviour;
  const char* text;
  const char* error;
  friend void PrintTo(const DamageCase& c, std::ostream* out) { *out << c.behaviour; }
};

class RegeditDamage : public ::testing::TestWithParam<DamageCase> {};

TEST_P(RegeditDamage, IsRejectedNamingTheLine) {
  EXPECT_EQ(ParseError(GetParam().text), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKindOfDamage, RegeditDamage,
    ::testing::Values(
        DamageCase{"EmptyFile", "", "line 1: the file does not start with REGEDIT4"},
        DamageCase{"GarbageFirstLine", "\x7f" "ELF\x01\x01\n", "line 1: the file does not start with REGEDIT4"},
        DamageCase{"UnicodeExport", "Windows Registry Editor Version 5.00\n",
                   "line 1: the file does not start with REGEDIT4"},
        DamageCase{"CutSignature", "REGEDI", "line 1: the file does not start with REGEDIT4"},
        DamageCase{"UnterminatedSection", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Soft\n", "line 2: unterminated section"},
        DamageCase{"OtherHive", "REGEDIT4\n[HKEY_CURRENT_USER\\x]\n", "line 2: section outside HKEY_LOCAL_MACHINE"},
        DamageCase{"HiveNamePrefix", "REGEDIT4\n[HKEY_LOCAL_MACHINEX]\n", "line 2: section outside HKEY_LOCAL_MACHINE"},
        DamageCase{"TrailingBackslash", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\]\n",
                   "line 2: section outside HKEY_LOCAL_MACHINE"},
        DamageCase{"EmptyKeyName", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\a\\\\b]\n", "line 2: malformed key path"},
        DamageCase{"ValueOutsideSection", "REGEDIT4\n\"a\"=dword:00000001\n", "line 2: value outside any section"},
        DamageCase{"StrayLine", "REGEDIT4\n\nHello\n", "line 3: neither a section, a value nor a comment"},
        DamageCase{"BadHexDigit", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"a\"=hex:0g\n", "line 3: malformed hex byte"},
        DamageCase{"OneDigitByte", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"a\"=hex:01,2\n", "line 3: malformed hex byte"},
        DamageCase{"ThreeDigitByte", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"a\"=hex:001\n", "line 3: malformed hex byte"},
        DamageCase{"EmptyByte", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"a\"=hex:01,,02\n", "line 3: malformed hex byte"},
        DamageCase{"TrailingComma", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"a\"=hex:01,\n", "line 3: malformed hex byte"},
        DamageCase{"BadTypeNumber", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"a\"=hex(zz):01\n", "line 3: malformed hex( type"},
        DamageCase{"TypeNumberTooLong", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"a\"=hex(100000000):01\n",
                   "line 3: malformed hex( type"},
        DamageCase{"UnclosedType", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"a\"=hex(2:01\n", "line 3: malformed hex( type"},
        DamageCase{"ShortDword", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"a\"=dword:0000001\n", "line 3: malformed dword"},
        DamageCase{"LongDword", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"a\"=dword:000000001\n", "line 3: malformed dword"},
        DamageCase{"DwordNotHex", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"a\"=dword:0000000x\n", "line 3: malformed dword"},
        DamageCase{"UnknownType", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"a\"=qword:01\n", "line 3: unknown value type"},
        DamageCase{"DeletionSyntax", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"a\"=-\n", "line 3: unknown value type"},
        DamageCase{"UnterminatedText", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"a\"=\"abc\n", "line 3: unterminated quoted text"},
        DamageCase{"UnterminatedName", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"abc\n", "line 3: unterminated quoted text"},
        DamageCase{"UnknownEscape", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"a\"=\"C:\\temp\"\n",
                   "line 3: unknown escape in quoted text"},
        DamageCase{"TextAfterQuote", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"a\"=\"b\"c\n", "line 3: text after the closing quote"},
        DamageCase{"MissingEquals", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"a\" dword:00000001\n",
                   "line 3: missing \"=\" after the value name"},
        DamageCase{"ContinuationPastEnd", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"a\"=hex:01,\\\n",
                   "line 3: value continues past the end of the file"},
        DamageCase{"HexListWithoutLineEnd", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\"a\"=hex:01,02",
                   "line 3: hex list cut off at the end of the file"},
        DamageCase{"ErrorLineOfContinuedValue", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\k]\n\n\"a\"=hex:01,\\\n  zz\n",
                   "line 4: malformed hex byte"}),
    [](const auto& info) { return std::string(info.param.behaviour); });

// A hive with a value of every kind, as a cut-off copy of it might begin.
std::string SampleHiveText() {
  RegistryTree tree;
  RegistryTree::Key& key = tree.Create(Path("Software\\Trellisk"));
  key.SetValue("Text", RegistryValue::String("some text"));
  key.SetValue("Number", RegistryValue::Dword(0x12345678));
  key.SetValue("Blob", ByteRange(kRegBinary, 0, 60));
  key.SetValue("Expand", ByteRange(kRegExpandString, 1, 3));
  tree.Create(Path("Software\\Trellisk\\Statistics")).SetValue("", RegistryValue::String("x"));
  return SerializeRegedit(tree, kHklm);
}

// True when every value of `part` is in `whole` with the same data.
bool ValuesAreASubset(const RegistryTree::Key& part, const RegistryTree::Key& whole) {
  for (const RegistryTree::NamedValue& value : part.values()) {
    const RegistryValue* original = whole.FindValue(value.name);
    if (!original || !(*original == value.value)) return false;
  }
  for (const RegistryTree::Key* child : part.Children()) {
    const RegistryTree::Key* originalChild = whole.FindChild(child->name());
    if (!originalChild || !ValuesAreASubset(*child, *originalChild)) return false;
  }
  return true;
}

TEST(RegeditFormat, ACutOffFileNeverReadsAsAShortenedValue) {
  const std::string text = SampleHiveText();
  const RegistryTree whole = Parse(text);
  size_t rejected = 0;
  for (size_t length = 0; length < text.size(); ++length) {
    const RegeditParseResult cut = ParseRegedit(text.substr(0, length), kHklm);
    if (!cut.ok()) {
      ++rejected;
      continue;
    }
    EXPECT_TRUE(ValuesAreASubset(cut.tree.root(), whole.root())) << text.substr(0, length);
  }
  EXPECT_GT(rejected, text.size() / 2);
}

// Whatever a damaged byte turns the text into is either rejected with a
// one-line reason or read as a hive that then round-trips exactly.
TEST(RegeditFormat, EveryChangedByteIsRejectedOrReadsAsAStableHive) {
  const std::string text = SampleHiveText();
  for (size_t position = 0; position < text.size(); ++position) {
    for (const char replacement : {'\0', '\n', '\r', '"', '\\', ',', '[', 'x'}) {
      std::string damaged = text;
      damaged[position] = replacement;
      const RegeditParseResult result = ParseRegedit(damaged, kHklm);
      if (!result.ok()) {
        EXPECT_EQ(result.error.rfind("line ", 0), 0u) << result.error;
        EXPECT_EQ(result.error.find_first_of("\r\n"), std::string::npos) << result.error;
        continue;
      }
      const std::string written = SerializeRegedit(result.tree, kHklm);
      EXPECT_EQ(SerializeRegedit(Parse(written), kHklm), written) << damaged;
    }
  }
}

}  // namespace
}  // namespace trellisk::platform
