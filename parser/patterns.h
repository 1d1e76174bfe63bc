// The regular expressions of the mail parser, with the exact texts that
// define its matching (Perl syntax; \xE4, \xFC and \xF6 are the Latin-1
// letters a, u and o with diaeresis). The parser matches them with the
// hand-written, linear matchers of header_decoder.h, address_match.h,
// relay_scan.h and html_cleaner.cpp; the test suite checks each matcher
// against Boost.Regex compiled from these texts (parser/testing/).
//
// Constants only; thread-safe.
#pragma once

#include <array>
#include <string_view>

namespace trellisk::patterns {

// Header lines. Case-insensitive.
inline constexpr std::string_view kEncodedWord = R"(=\?([^\?]+)\?(q|b)?\?(.+)\?=)";
inline constexpr std::string_view kDottedQuad = R"(([0-9]{1,3})\.([0-9]{1,3})\.([0-9]{1,3})\.([0-9]{1,3}))";
inline constexpr std::string_view kHostName = "([a-z0-9_\\-\xE4\xFC\xF6]+(\\.[a-z0-9_\\-\xE4\xFC\xF6]+)+)";
inline constexpr std::string_view kSenderAddress =
    "[0-9a-z\\.\\-_\xE4\xFC\xF6]+@[0-9a-z\\.\\-_\xE4\xFC\xF6]+\\.[a-z]{2,4}";

// HTML analysis. Case-insensitive unless noted; "." matches line breaks.
inline constexpr std::string_view kHtmlComment = R"(<\!\-\-.*\-\->{0,256}?>)";
inline constexpr std::string_view kHtmlTag = R"(<[^<>]{0,256}?>)";
inline constexpr std::string_view kHexReference = R"(&#x([0-9A-F]{1,4});)";
inline constexpr std::string_view kDecimalReference = R"(&#([0-9]{1,5});)";
// Case-sensitive, with its replacement format (Boost-extended syntax).
inline constexpr std::string_view kRemainingReference = R"((&#x?[0-9A-F]{1,5});)";
inline constexpr std::string_view kRemainingReferenceFormat = "($1#)";
// Case-sensitive runs and their replacements.
inline constexpr std::string_view kDotRun = R"(\.{3,})";
inline constexpr std::string_view kHyphenRun = R"(\-{3,})";
inline constexpr std::string_view kUnderscoreRun = "_{3,}";

inline constexpr std::array<std::string_view, 8> kHtmlMarkers = {
    R"(<[[:space:]\r\n]*(A|FORM)[^>]+(HREF|ACTION)[[:space:]\r\n]*=[[:space:]\r\n]*([^[:space:]>]+)[^>]*>)",
    R"(<[[:space:]\r\n]*(IMG|INPUT)[^>]+SRC[[:space:]\r\n]*=[[:space:]\r\n]*([^[:space:]>]+)[^>]*>)",
    R"(<[[:space:]\r\n]*FONT[^>]+COLOR[[:space:]\r\n]*=[[:space:]\r\n]*([^[:space:]>]+)[^>]*>)",
    R"(<[[:space:]\r\n]*FONT[^>]+(SIZE[[:space:]\r\n]*=[[:space:]\r\n]*[^[:space:]>]+)[^>]*>)",
    R"(<[[:space:]\r\n]*(H[12345678])[[:space:]\r\n]*>)",
    R"(<[[:space:]\r\n]*(BODY|TABLE|TD|TR)[^>]+(BGCOLOR|TEXT|BORDERCOLOR|BORDERCOLORLIGHT|BORDERCOLORDARK))"
    R"([[:space:]\r\n]*=[[:space:]\r\n]*([^[:space:]>]+)[^>]*>)",
    R"(<[[:space:]\r\n]*META[^>]+CHARSET[[:space:]\r\n]*=[[:space:]\r\n]*([^[:space:]>]+)[^>]*>)",
    R"((COLOR|BACKGROUND\-COLOR|FONT\-WEIGHT|FONT\-SIZE|TEXT\-DECORATION)[[:space:]\r\n]*:[[:space:]\r\n]*([^;>]+))",
};

inline constexpr std::string_view kMailLinkAddress =
    "([0-9a-z\\.\\-_]+@[0-9a-z\\.\\-_\xE4\xFC\xF6]+\\.[a-z]{2,4})(\\?subject=.*)?";
inline constexpr std::string_view kLinkParts = R"(([^:/?#]+://)?([^/?#]*)?([^?#]*)?([^&#]*)?([^#]*)?)";

}  // namespace trellisk::patterns
