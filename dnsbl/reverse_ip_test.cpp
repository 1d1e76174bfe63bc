#include "dnsbl/reverse_ip.h"

#include <gtest/gtest.h>

#include <boost/regex.hpp>
#include <random>
#include <string>

namespace trellisk {
namespace {

struct ReverseCase {
  const char* address;
  const char* reversed;
};

class ReverseIPTest : public ::testing::TestWithParam<ReverseCase> {};

TEST_P(ReverseIPTest, ReversesTheFirstDottedQuad) {
  EXPECT_EQ(ReverseIP(GetParam().address), GetParam().reversed);
}

INSTANTIATE_TEST_SUITE_P(Addresses, ReverseIPTest, ::testing::Values(
    ReverseCase{"1.2.3.4", "4.3.2.1"},
    ReverseCase{"213.61.5.99", "99.5.61.213"},
    ReverseCase{"[10.20.30.40]", "40.30.20.10"},
    ReverseCase{"host (10.0.0.1) by 11.12.13.14", "1.0.0.10"},
    ReverseCase{"1.2.3.4.5", "4.3.2.1"},
    ReverseCase{"999.1.1.1", "1.1.1.999"},              // groups are not checked against 255
    ReverseCase{"1234.5.6.7", "7.6.5.234"},             // the leftmost match starts inside the number
    ReverseCase{"1.2.3.4567", "456.3.2.1"},             // the last group takes three digits
    ReverseCase{"1.2..3.4.5.6.7", "6.5.4.3"},
    ReverseCase{"127.0.0.1", ""},                       // loopback relays are never looked up
    ReverseCase{"1270.0.0.1", ""},                      // the prefix test is plain text
    ReverseCase{"192.168.1.10", ""},
    ReverseCase{"192.168", ""},
    ReverseCase{"192.169.1.10", "10.1.169.192"},
    ReverseCase{"x127.0.0.1", "1.0.0.127"},
    ReverseCase{"1.2.3", ""},
    ReverseCase{"a.b.c.d", ""},
    ReverseCase{"", ""}));

// The pattern the relay addresses are matched with, run by the regex engine:
// the oracle for the hand-written search.
std::string ReverseWithRegex(const std::string& address) {
  static const boost::regex pattern("([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})",
                                    boost::regex::perl | boost::regex::icase);
  if (address.starts_with("127") || address.starts_with("192.168")) return "";
  boost::smatch match;
  if (!boost::regex_search(address, match, pattern)) return "";
  return match[4].str() + "." + match[3].str() + "." + match[2].str() + "." + match[1].str();
}

TEST(ReverseIPOracleTest, AgreesWithTheRegularExpressionOnRandomTexts) {
  std::mt19937 random(20240611);
  const std::string alphabet = "0123456789....x";
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> length(0, 24);
  for (int i = 0; i < 20000; ++i) {
    std::string text;
    for (int n = length(random); n > 0; --n) text += alphabet[pick(random)];
    ASSERT_EQ(ReverseIP(text), ReverseWithRegex(text)) << "address: " << text;
  }
}

struct QuadCase {
  const char* name;
  bool plausible;
};

class StartsWithDottedQuadTest : public ::testing::TestWithParam<QuadCase> {};

TEST_P(StartsWithDottedQuadTest, AcceptsFourNumbersUpTo255) {
  EXPECT_EQ(StartsWithDottedQuad(GetParam().name), GetParam().plausible) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Names, StartsWithDottedQuadTest, ::testing::Values(
    QuadCase{"4.3.2.1.zen.example", true},
    QuadCase{"255.255.255.255.bl.test", true},
    QuadCase{"0.0.0.0", true},
    QuadCase{"1.1.1.256.bl.test", false},
    QuadCase{"1.1.1.999.bl.test", false},
    QuadCase{"1.2.3.bl.test", false},
    QuadCase{"1.2.3.4x.bl.test", false},
    QuadCase{"1.2.3.1234.bl.test", false},
    QuadCase{".1.2.3.4", false},
    QuadCase{"bl.test", false},
    QuadCase{"", false}));

}  // namespace
}  // namespace trellisk
