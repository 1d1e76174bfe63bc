// Arguments parses a command line against a declared set of options:
// "--name VALUE" or "--name=VALUE" for options with a value, "--name" for
// flags, short aliases such as "-j 4", and everything else as positional
// arguments ("--" ends the options). Unknown options are errors. Used by one
// thread.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace trellisk::host {

struct OptionDefinition {
  std::string name;       // without the leading "--"
  bool takesValue = false;
  char shortName = '\0';  // '\0' when there is none
};

class Arguments {
 public:
  // False, with `error` set, on an unknown option or a missing value.
  bool Parse(const std::vector<std::string>& words, const std::vector<OptionDefinition>& definitions,
             std::string& error);

  bool Has(const std::string& name) const { return values_.count(name) != 0; }
  // The option's last value.
  std::optional<std::string> Value(const std::string& name) const;
  // Every value of an option that may be given several times.
  std::vector<std::string> Values(const std::string& name) const;
  // The option's value as an unsigned number; `fallback` when absent.
  // False, with `error` set, when the value is not a number.
  bool Number(const std::string& name, unsigned long fallback, unsigned long& number, std::string& error) const;
  const std::vector<std::string>& positionals() const { return positionals_; }

 private:
  std::map<std::string, std::vector<std::string>> values_;
  std::vector<std::string> positionals_;
};

}  // namespace trellisk::host
