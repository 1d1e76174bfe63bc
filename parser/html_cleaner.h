// The HTML analysis of a decoded text part: undoes the character tricks of
// spam (entities, runs of dots, split words), turns tell-tale HTML
// properties into marker words, and strips comments and tags. Each step
// works in place on the part's text, which only ever gets shorter, and adds
// its words through the part's Tokenizer.
//
// The steps are defined by repeated regular-expression searches that start
// again at the beginning of the text after every change; these functions
// compute the same results in linear time (the literal algorithms are kept
// in the test suite as oracles). Pure functions of their arguments;
// thread-safe for distinct texts and tokenizers. Exceptions propagate: the
// parser reports them under the step's name.
#pragma once

#include <string>
#include <string_view>

namespace trellisk {

class Tokenizer;

// Named entities, runs of three or more ".", "-" or "_", hexadecimal and
// decimal character references from 33 to 255, and the ";" of every other
// reference turned into "#".
void RemoveTricks(std::string& text);

// Tokenizes and removes the text from the first "<!--" to the last "-->"
// after it (comments and the visible text between them alike).
void RemoveHTMLComments(std::string& text, Tokenizer& words);

// Adds the special markers of links, images, fonts, headings, colours,
// character sets and style properties found in `text`. The text is not
// changed.
void ParseHTML(std::string_view text, Tokenizer& words);

// Removes every "<" ... ">" with at most 256 bytes and no angle bracket
// between them, also those that form when the text closes up.
void RemoveHTMLTags(std::string& text);

// Replaces every match of the case-sensitive `pattern` with `format`
// (Boost-extended format syntax: "$1" is group 1, parentheses group), only
// when `format` is not longer than `pattern`. Compiles a pattern on its
// first use in each thread; the parser's fixed replacements use dedicated
// code.
void RegexReplace(std::string& text, std::string_view pattern, std::string_view format);

}  // namespace trellisk
