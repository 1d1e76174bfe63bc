// ListTextAutomaton finds which of many plain texts occur in a text, ASCII
// letters compared without regard to case and every other byte exactly (the
// comparison of the sender lists). It is an Aho-Corasick automaton over the
// case-folded texts: one pass over the text finds every text that occurs,
// whatever the number of texts, instead of one substring search per text.
//
// Texts that fold to the same bytes share one end node; all of them are
// reported. The automaton copies what it needs; it is immutable once built,
// and FindOccurring may run on many threads at once.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace trellisk {

class ListTextAutomaton {
 public:
  // `texts` must not be empty strings; their indices are the ids reported.
  explicit ListTextAutomaton(const std::vector<std::string_view>& texts);

  // The ids of every text that occurs in `text`, each once, in no particular
  // order.
  std::vector<uint32_t> FindOccurring(std::string_view text) const;

  uint32_t nodeCount() const { return static_cast<uint32_t>(nodes_.size()); }

 private:
  static constexpr uint32_t kNoNode = UINT32_MAX;
  static constexpr uint32_t kRoot = 0;

  struct Node {
    uint32_t fail = kRoot;
    // The nearest node, this one or one along the fail links, where a text
    // ends; kNoNode when there is none.
    uint32_t output = kNoNode;
    uint32_t edgesBegin = 0;
    uint32_t edgeCount = 0;
  };

  void BuildTrie(const std::vector<std::string_view>& texts);
  void LinkEdges(const std::vector<uint32_t>& parentOf, const std::vector<uint8_t>& byteOf);
  void BuildFailLinks();
  uint32_t Child(uint32_t node, uint8_t byte) const;
  uint32_t Step(uint32_t node, uint8_t byte) const;

  std::vector<Node> nodes_;
  // Children of every node, contiguous and sorted by byte.
  std::vector<uint8_t> edgeBytes_;
  std::vector<uint32_t> edgeTargets_;
  // The root's children for every byte (kRoot where there is none).
  std::vector<uint32_t> rootRow_;
  // Per node: the index of the folded text ending there, or kNoNode.
  std::vector<uint32_t> endOf_;
  // Folded text k is shared by the ids idsByText_[idsBegin_[k] .. idsBegin_[k + 1]).
  std::vector<uint32_t> idsByText_;
  std::vector<uint32_t> idsBegin_;
};

}  // namespace trellisk
