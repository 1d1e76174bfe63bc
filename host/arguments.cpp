#include "host/arguments.h"

#include <algorithm>
#include <cctype>

namespace trellisk::host {
namespace {

const OptionDefinition* FindDefinition(const std::vector<OptionDefinition>& definitions, const std::string& name, char shortName) {
  const auto found = std::find_if(definitions.begin(), definitions.end(), [&](const OptionDefinition& definition) {
    return shortName ? definition.shortName == shortName : definition.name == name;
  });
  return found == definitions.end() ? nullptr : &*found;
}

}  // namespace

bool Arguments::Parse(const std::vector<std::string>& words, const std::vector<OptionDefinition>& definitions,
                      std::string& error) {
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "--") {
      positionals_.insert(positionals_.end(), words.begin() + static_cast<long>(i) + 1, words.end());
      break;
    }
    const bool isLong = word.size() > 2 && word.compare(0, 2, "--") == 0;
    const bool isShort = !isLong && word.size() == 2 && word[0] == '-' && word[1] != '-';
    if (!isLong && !isShort) {
      positionals_.push_back(word);
      continue;
    }
    std::string name = isLong ? word.substr(2) : std::string();
    std::optional<std::string> inlineValue;
    if (const size_t equals = name.find('='); isLong && equals != std::string::npos) {
      inlineValue = name.substr(equals + 1);
      name.resize(equals);
    }
    const OptionDefinition* definition = FindDefinition(definitions, name, isShort ? word[1] : '\0');
    if (!definition) {
      error = "unknown option " + word;
      return false;
    }
    if (!definition->takesValue) {
      if (inlineValue) {
        error = "option --" + definition->name + " takes no value";
        return false;
      }
      values_[definition->name].push_back("");
      continue;
    }
    if (!inlineValue && i + 1 >= words.size()) {
      error = "option --" + definition->name + " needs a value";
      return false;
    }
    values_[definition->name].push_back(inlineValue ? *inlineValue : words[++i]);
  }
  return true;
}

std::optional<std::string> Arguments::Value(const std::string& name) const {
  const auto found = values_.find(name);
  if (found == values_.end()) return std::nullopt;
  return found->second.back();
}

std::vector<std::string> Arguments::Values(const std::string& name) const {
  const auto found = values_.find(name);
  return found == values_.end() ? std::vector<std::string>() : found->second;
}

bool Arguments::Number(const std::string& name, unsigned long fallback, unsigned long& number,
                       std::string& error) const {
  const std::optional<std::string> text = Value(name);
  if (!text) {
    number = fallback;
    return true;
  }
  const bool digits = !text->empty() && text->size() <= 9 &&
                      std::all_of(text->begin(), text->end(), [](unsigned char c) { return std::isdigit(c); });
  if (!digits) {
    error = "option --" + name + " needs a number, not \"" + *text + "\"";
    return false;
  }
  number = std::stoul(*text);
  return true;
}

}  // namespace trellisk::host
