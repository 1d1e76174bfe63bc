#include "rules/header_fields.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "base/ascii.h"
#include "rules/text_lines.h"

namespace trellisk {
namespace {

constexpr std::string_view kLineJoint = "\r\n";

struct FieldLine {
  std::string_view name;  // before the first colon, as written
  std::string_view value;  // after it, trimmed
};

// A field line starts with a printable ASCII byte other than the blank
// (33 to 127) and has a colon; anything else continues the field before.
std::optional<FieldLine> SplitFieldLine(std::string_view line) {
  const auto first = static_cast<unsigned char>(line.front());
  const size_t colon = line.find(':');
  if (first < 33 || first > 127 || colon == std::string_view::npos) return std::nullopt;
  return FieldLine{line.substr(0, colon), Trim(line.substr(colon + 1))};
}

void AppendContinuation(std::string& value, std::string_view line) {
  value.append(kLineJoint);
  value.append(Trim(line));
}

void ParseReceivedLines(std::string_view header, HeaderFields& fields) {
  ForEachLinePiece(header, [&](std::string_view line) {
    if (const std::optional<FieldLine> field = SplitFieldLine(line)) {
      fields.push_back(HeaderField{std::string(Trim(field->name)), std::string(field->value), {}});
    } else if (!fields.empty()) {
      AppendContinuation(fields.back().value, line);
    }
  });
}

// The fields ordered by name (header order among equal names), so that each
// collected line finds its fields without walking the whole list.
class FieldsByName {
 public:
  explicit FieldsByName(HeaderFields& fields) : fields_(fields) {
    order_.reserve(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) order_.push_back(i);
    std::stable_sort(order_.begin(), order_.end(), [&](size_t a, size_t b) { return fields[a].name < fields[b].name; });
  }

  // Sets the collected value of every field called `name`; the last of
  // them in header order, or null when there is none.
  HeaderField* SetCollected(std::string_view name, std::string_view value) {
    const auto [begin, end] = std::equal_range(order_.begin(), order_.end(), name, ByName{fields_});
    HeaderField* last = nullptr;
    for (auto it = begin; it != end; ++it) {
      last = &fields_[*it];
      last->altValue.assign(value);
    }
    return last;
  }

 private:
  struct ByName {
    const HeaderFields& fields;
    bool operator()(size_t index, std::string_view name) const { return fields[index].name < name; }
    bool operator()(std::string_view name, size_t index) const { return name < fields[index].name; }
  };

  HeaderFields& fields_;
  std::vector<size_t> order_;
};

void ParseCollectedLines(std::string_view collected, HeaderFields& fields) {
  FieldsByName byName(fields);
  HeaderField* current = nullptr;
  ForEachLinePiece(collected, [&](std::string_view line) {
    if (const std::optional<FieldLine> field = SplitFieldLine(line)) {
      current = byName.SetCollected(field->name, field->value);
    } else if (current) {
      AppendContinuation(current->altValue, line);
    }
  });
}

}  // namespace

void ParseHeader(const std::string* header, const std::string* collected, HeaderFields& fields) {
  if (!header || !collected) return;
  ParseReceivedLines(*header, fields);
  ParseCollectedLines(*collected, fields);
}

}  // namespace trellisk
