#include "lists/list_text_automaton.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>

#include "base/ascii.h"

namespace trellisk {
namespace {

std::string Folded(std::string_view text) {
  std::string folded(text);
  AsciiLowerInPlace(folded);
  return folded;
}

size_t CommonPrefixLength(std::string_view a, std::string_view b) {
  const size_t limit = std::min(a.size(), b.size());
  size_t length = 0;
  while (length < limit && a[length] == b[length]) ++length;
  return length;
}

}  // namespace

ListTextAutomaton::ListTextAutomaton(const std::vector<std::string_view>& texts) {
  BuildTrie(texts);
  BuildFailLinks();
}

// With the folded texts in sorted order, the part of a text's path that
// exists already is exactly its common prefix with the text before it, so
// every node is made once, children in ascending byte order.
void ListTextAutomaton::BuildTrie(const std::vector<std::string_view>& texts) {
  std::vector<std::string> folded;
  folded.reserve(texts.size());
  for (std::string_view text : texts) folded.push_back(Folded(text));
  std::vector<uint32_t> order(texts.size());
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return folded[a] < folded[b]; });

  nodes_.emplace_back();
  endOf_.push_back(kNoNode);
  std::vector<uint32_t> parentOf{kNoNode};
  std::vector<uint8_t> byteOf{0};
  std::vector<uint32_t> path{kRoot};
  std::string_view previous;
  for (uint32_t id : order) {
    const std::string_view text = folded[id];
    if (text.empty()) continue;
    if (!idsByText_.empty() && text == previous) {
      idsByText_.push_back(id);
      continue;
    }
    path.resize(CommonPrefixLength(previous, text) + 1);
    for (size_t depth = path.size() - 1; depth < text.size(); ++depth) {
      parentOf.push_back(path[depth]);
      byteOf.push_back(static_cast<uint8_t>(text[depth]));
      path.push_back(static_cast<uint32_t>(nodes_.size()));
      nodes_.emplace_back();
      endOf_.push_back(kNoNode);
    }
    endOf_[path.back()] = static_cast<uint32_t>(idsBegin_.size());
    idsBegin_.push_back(static_cast<uint32_t>(idsByText_.size()));
    idsByText_.push_back(id);
    previous = text;
  }
  idsBegin_.push_back(static_cast<uint32_t>(idsByText_.size()));
  LinkEdges(parentOf, byteOf);
}

void ListTextAutomaton::LinkEdges(const std::vector<uint32_t>& parentOf, const std::vector<uint8_t>& byteOf) {
  for (uint32_t node = 1; node < nodes_.size(); ++node) ++nodes_[parentOf[node]].edgeCount;
  uint32_t begin = 0;
  for (Node& node : nodes_) {
    node.edgesBegin = begin;
    begin += node.edgeCount;
  }
  edgeBytes_.resize(begin);
  edgeTargets_.resize(begin);
  std::vector<uint32_t> filled(nodes_.size(), 0);
  // Children were made in ascending byte order, so filling in node order
  // keeps every node's edges sorted.
  for (uint32_t node = 1; node < nodes_.size(); ++node) {
    const uint32_t parent = parentOf[node];
    const uint32_t at = nodes_[parent].edgesBegin + filled[parent]++;
    edgeBytes_[at] = byteOf[node];
    edgeTargets_[at] = node;
  }
  rootRow_.assign(256, kRoot);
  const Node& root = nodes_[kRoot];
  for (uint32_t at = root.edgesBegin; at < root.edgesBegin + root.edgeCount; ++at) {
    rootRow_[edgeBytes_[at]] = edgeTargets_[at];
  }
}

// Breadth first, so that a node's fail target (always shallower) has its
// own links when the node is reached.
void ListTextAutomaton::BuildFailLinks() {
  std::vector<uint32_t> queue{kRoot};
  for (size_t next = 0; next < queue.size(); ++next) {
    const uint32_t parent = queue[next];
    const Node& from = nodes_[parent];
    for (uint32_t at = from.edgesBegin; at < from.edgesBegin + from.edgeCount; ++at) {
      const uint32_t child = edgeTargets_[at];
      const uint32_t fail = parent == kRoot ? kRoot : Step(nodes_[parent].fail, edgeBytes_[at]);
      nodes_[child].fail = fail;
      nodes_[child].output = endOf_[child] != kNoNode ? child : nodes_[fail].output;
      queue.push_back(child);
    }
  }
}

uint32_t ListTextAutomaton::Child(uint32_t node, uint8_t byte) const {
  const Node& from = nodes_[node];
  const uint8_t* bytes = edgeBytes_.data() + from.edgesBegin;
  const void* found = std::memchr(bytes, byte, from.edgeCount);
  if (!found) return kNoNode;
  return edgeTargets_[from.edgesBegin + (static_cast<const uint8_t*>(found) - bytes)];
}

uint32_t ListTextAutomaton::Step(uint32_t node, uint8_t byte) const {
  for (;;) {
    if (node == kRoot) return rootRow_[byte];
    const uint32_t next = Child(node, byte);
    if (next != kNoNode) return next;
    node = nodes_[node].fail;
  }
}

std::vector<uint32_t> ListTextAutomaton::FindOccurring(std::string_view text) const {
  std::vector<uint32_t> found;
  if (idsByText_.empty()) return found;
  std::vector<uint8_t> seen(idsBegin_.size() - 1, 0);
  uint32_t state = kRoot;
  for (char c : text) {
    state = Step(state, static_cast<uint8_t>(AsciiLower(c)));
    // Every text along an output chain is marked when the chain is first
    // walked, so the walk stops at the first text seen before.
    for (uint32_t end = nodes_[state].output; end != kNoNode; end = nodes_[nodes_[end].fail].output) {
      const uint32_t folded = endOf_[end];
      if (seen[folded]) break;
      seen[folded] = 1;
      found.insert(found.end(), idsByText_.begin() + idsBegin_[folded], idsByText_.begin() + idsBegin_[folded + 1]);
    }
  }
  return found;
}

}  // namespace trellisk
