// CleaningSteps names the parser steps that are defined by repeated
// searches or pairwise comparisons: the HTML cleaning of html_cleaner.h and
// the doublet merge of tokenizer.h. The parser uses the linear
// implementations; the test suite installs the literal algorithms instead
// and checks that both give the same words and texts.
//
// A table of plain functions; immutable and thread-safe.
#pragma once

#include <string>
#include <string_view>

#include "parser/word_vector.h"

namespace trellisk {

class Tokenizer;

struct CleaningSteps {
  void (*removeTricks)(std::string& text);
  void (*removeHtmlComments)(std::string& text, Tokenizer& words);
  void (*parseHtml)(std::string_view text, Tokenizer& words);
  void (*removeHtmlTags)(std::string& text);
  void (*mergeWordDoublets)(WordVector& words);
};

// The parser's own steps.
const CleaningSteps& LinearCleaningSteps();

}  // namespace trellisk
