// trellisk-lng: makes and reads language files.
//
//   trellisk-lng template [LANGUAGE]   the translation source of the own
//                                      module's texts, in English, to fill in
//   trellisk-lng compile OUT SOURCE... compiles sources into one language
//                                      file, checking every key and the
//                                      string list against the own module
//   trellisk-lng dump FILE             a language file as source text
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>

#include "base/dialog_template.h"
#include "base/language_file.h"
#include "base/resource_module.h"
#include "base/string_table.h"
#include "base/translation.h"
#include "host/translation_source.h"
#include "platform/code_page.h"

namespace trellisk {
namespace {

std::string InCodePage(const std::u16string& text, uint32_t codePage) {
  const auto converted = platform::Utf16ToCodePage(text, codePage);
  return converted ? *converted : platform::Utf16ToUtf8(text);
}

// The control kind a translation item records: the low byte of the
// control's predefined class (0x80 button, 0x81 edit, 0x82 static, ...).
uint8_t ItemKind(const DialogItem& item) { return item.windowClass.number ? *item.windowClass.number & 0xFF : 0; }

LanguageGroup DialogGroup(const platform::Resource& resource, const DialogTemplate& dialog, uint32_t codePage) {
  const std::string caption = InCodePage(dialog.title, codePage);
  LanguageGroup group{TranslationKey("DL_", std::to_string(resource.name.id), caption), caption, {}};
  for (const DialogItem& item : dialog.items) {
    if (item.title.number || item.title.text.empty()) continue;
    const std::string text = InCodePage(item.title.text, codePage);
    group.items.push_back(
        LanguageItem{TranslationKey("I_", std::to_string(DialogItemId(dialog, item)), text), ItemKind(item), {text}});
  }
  return group;
}

// The own module's texts as a record of `language`: what a translation
// replaces, in English.
LanguageRecord OwnTexts(uint32_t language) {
  const uint32_t codePage = LanguageCodePage(language);
  LanguageRecord record{language, {}, {}, {}};
  for (const platform::Resource& resource : OwnResourceModule().Resources()) {
    if (resource.type == platform::ResourceName::Number(platform::kResourceTypeDialog) && resource.name.IsNumber()) {
      if (const auto dialog = ParseDialogTemplate(resource.data)) {
        record.groups.push_back(DialogGroup(resource, *dialog, codePage));
      }
    } else if (resource.type == platform::ResourceName::Number(platform::kResourceTypeString)) {
      const auto block = DecodeStringBlock(resource.data);
      for (size_t i = 0; block && i < block->size(); ++i) {
        if ((*block)[i].empty()) continue;
        const int id = FirstStringOfBlock(resource.name.id) + static_cast<int>(i);
        record.strings.push_back(LanguageString{static_cast<uint16_t>(id), InCodePage((*block)[i], codePage)});
      }
    }
  }
  return record;
}

// Every key of the record is one of the own module's, and its string list
// follows the own string table one for one.
bool CheckAgainstOwnTexts(const LanguageRecord& record, std::string& error) {
  const LanguageRecord own = OwnTexts(record.language);
  std::map<std::string, std::set<std::string>> keys;
  for (const LanguageGroup& group : own.groups) {
    for (const LanguageItem& item : group.items) keys[group.key].insert(item.key);
    keys[group.key];
  }
  const std::string where = "language " + std::to_string(record.language) + ": ";
  for (const LanguageGroup& group : record.groups) {
    const auto found = keys.find(group.key);
    if (found == keys.end()) return error = where + "no dialog has the key " + group.key, false;
    for (const LanguageItem& item : group.items) {
      if (!found->second.count(item.key)) return error = where + "no control of " + group.key + " has the key " + item.key, false;
    }
  }
  if (record.strings.size() != own.strings.size()) {
    return error = where + std::to_string(record.strings.size()) + " strings where the table has " +
                   std::to_string(own.strings.size()), false;
  }
  for (size_t i = 0; i < own.strings.size(); ++i) {
    if (record.strings[i].value != own.strings[i].value) {
      return error = where + "string " + std::to_string(record.strings[i].value) + " stands where the table has " +
                     std::to_string(own.strings[i].value), false;
    }
  }
  return true;
}

std::string ReadFile(const std::string& path, bool& ok) {
  std::ifstream in(path, std::ios::binary);
  ok = static_cast<bool>(in);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int Template(int argc, char** argv) {
  const uint32_t language = argc > 2 ? static_cast<uint32_t>(std::stoul(argv[2])) : 0;
  std::cout << "# The texts of the plug-in to translate: replace each English text.\n"
            << FormatTranslationSource({OwnTexts(language)});
  return 0;
}

int Compile(int argc, char** argv) {
  if (argc < 4) return std::cerr << "usage: trellisk-lng compile OUT SOURCE...\n", 2;
  std::vector<LanguageRecord> records;
  for (int i = 3; i < argc; ++i) {
    bool readable = false;
    const std::string source = ReadFile(argv[i], readable);
    std::string error;
    auto parsed = ParseTranslationSource(source, error);
    if (!readable || !parsed) return std::cerr << argv[i] << ": " << (readable ? error : "cannot be read") << "\n", 1;
    for (LanguageRecord& record : *parsed) {
      if (!CheckAgainstOwnTexts(record, error)) return std::cerr << argv[i] << ": " << error << "\n", 1;
      records.push_back(std::move(record));
    }
  }
  const std::vector<uint8_t> file = EncodeLanguageFile(records);
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  if (!out.flush()) return std::cerr << argv[2] << ": cannot be written\n", 1;
  return 0;
}

int Dump(int argc, char** argv) {
  if (argc != 3) return std::cerr << "usage: trellisk-lng dump FILE\n", 2;
  bool readable = false;
  const std::string bytes = ReadFile(argv[2], readable);
  std::string problem;
  const auto file = readable ? LanguageFile::Parse(std::vector<uint8_t>(bytes.begin(), bytes.end()), problem)
                             : std::nullopt;
  if (!file) return std::cerr << argv[2] << ": " << (readable ? problem : "cannot be read") << "\n", 1;
  std::vector<LanguageRecord> records;
  for (const uint32_t language : file->Languages()) {
    auto record = file->Record(language, problem);
    if (!record) return std::cerr << argv[2] << ": " << problem << "\n", 1;
    records.push_back(std::move(*record));
  }
  if (!problem.empty()) std::cerr << argv[2] << ": " << problem << "\n";
  std::cout << FormatTranslationSource(records);
  return problem.empty() ? 0 : 1;
}

}  // namespace
}  // namespace trellisk

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "template") return trellisk::Template(argc, argv);
  if (command == "compile") return trellisk::Compile(argc, argv);
  if (command == "dump") return trellisk::Dump(argc, argv);
  std::cerr << "usage: trellisk-lng template [LANGUAGE] | compile OUT SOURCE... | dump FILE\n";
  return 2;
}
