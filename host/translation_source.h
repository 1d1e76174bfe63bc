// A translation source: the readable UTF-8 text form of language-file
// records that translators write and trellisk-lng compiles. One statement
// per line, '#' starts a comment line:
//
//   language 8 "German"             a record (the name is a reminder only)
//   group "DL_101_Setup5" "Setup"   a dialog's key and translated caption
//   item "I_2_Cancel6" 128 "Cancel" a control of the last group: key, kind
//                                   and text (several texts: the last wins)
//   head 0 ""                       the string list's skipped first entry
//   string 111 "text"               the next text of the string list, with
//                                   its string id
//
// Quoted texts take the escapes \\ \" \n \r \t and \xHH. Texts are UTF-8
// here and in the language's code page in the records. Thread-safe.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/language_file.h"

namespace trellisk {

// The records of the source, texts in their code pages; nothing, with
// `error` naming the line, when a line is not a statement or a text cannot
// be written in the language's code page.
std::optional<std::vector<LanguageRecord>> ParseTranslationSource(const std::string& source, std::string& error);

// The records as source text, texts converted from their code pages.
std::string FormatTranslationSource(const std::vector<LanguageRecord>& records);

}  // namespace trellisk
