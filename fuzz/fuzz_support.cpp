#include "fuzz/fuzz_targets.h"

namespace trellisk::fuzz {

void Expect(bool holds, const std::string& what) {
  if (!holds) throw FuzzFailure(what);
}

std::string_view AsText(FuzzInput input) {
  return {reinterpret_cast<const char*>(input.data()), input.size()};
}

std::vector<std::string_view> SplitInput(FuzzInput input, char separator, size_t count) {
  std::vector<std::string_view> pieces;
  std::string_view rest = AsText(input);
  while (pieces.size() + 1 < count) {
    const size_t at = rest.find(separator);
    if (at == std::string_view::npos) break;
    pieces.push_back(rest.substr(0, at));
    rest.remove_prefix(at + 1);
  }
  pieces.push_back(rest);
  pieces.resize(count);
  return pieces;
}

}  // namespace trellisk::fuzz
