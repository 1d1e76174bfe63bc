// HeaderField is one field of a message header as the rule filter sees it:
// its name and value from the header as received, and its value from the
// parser's collected header (decoded words replaced), which rules marked
// "~" look at. ParseHeader builds the list for one message.
//
// The list belongs to one scoring call. ParseHeader is pure and
// thread-safe.
#pragma once

#include <string>
#include <vector>

namespace trellisk {

struct HeaderField {
  std::string name;
  std::string value;
  std::string altValue;
};

using HeaderFields = std::vector<HeaderField>;

// Appends the fields of `header` (the header as received) to `fields` and
// gives them the values of the same-named lines of `collected`. Nothing is
// built when either text is null. Fields are appended one by one, so when
// an allocation fails the fields built so far stay in `fields`.
//
// A line starts a field when its first byte is printable ASCII other than
// the blank and it contains a colon; any other line continues the previous
// field (joined with CR LF). Names and values are trimmed of blanks, tabs
// and line ends. A collected line sets the collected value of every field
// whose name equals its name byte for byte; its continuation lines go to the
// last of those fields.
void ParseHeader(const std::string* header, const std::string* collected, HeaderFields& fields);

}  // namespace trellisk
