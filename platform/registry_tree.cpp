#include "platform/registry_tree.h"

namespace trellisk::platform {

std::string FoldRegistryName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

bool IsStorableRegistryName(std::string_view name) {
  return name.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

std::optional<std::vector<std::string_view>> SplitRegistryPath(std::string_view path) {
  std::vector<std::string_view> names;
  if (path.empty()) return names;
  size_t start = 0;
  while (true) {
    const size_t end = path.find('\\', start);
    const std::string_view name = path.substr(start, end - start);
    if (name.empty() || !IsStorableRegistryName(name)) return std::nullopt;
    names.push_back(name);
    if (end == std::string_view::npos) return names;
    start = end + 1;
  }
}

std::vector<const RegistryTree::Key*> RegistryTree::Key::Children() const {
  std::vector<const Key*> children;
  children.reserve(children_.size());
  for (const auto& [folded, child] : children_) children.push_back(child.get());
  return children;
}

const RegistryValue* RegistryTree::Key::FindValue(std::string_view name) const {
  const auto slot = valueIndex_.find(FoldRegistryName(name));
  return slot == valueIndex_.end() ? nullptr : &values_[slot->second].value;
}

void RegistryTree::Key::SetValue(std::string_view name, RegistryValue value) {
  const auto [slot, added] = valueIndex_.try_emplace(FoldRegistryName(name), values_.size());
  if (added) {
    values_.push_back({std::string(name), std::move(value)});
  } else {
    values_[slot->second].value = std::move(value);
  }
}

RegistryTree::Key* RegistryTree::Key::FindChild(std::string_view name) {
  const auto child = children_.find(FoldRegistryName(name));
  return child == children_.end() ? nullptr : child->second.get();
}

const RegistryTree::Key* RegistryTree::Key::FindChild(std::string_view name) const {
  return const_cast<Key*>(this)->FindChild(name);
}

RegistryTree::Key& RegistryTree::Key::AddChild(std::string_view name) {
  auto& child = children_[FoldRegistryName(name)];
  if (!child) child = std::make_unique<Key>(std::string(name));
  return *child;
}

RegistryTree::Key* RegistryTree::Find(const std::vector<std::string_view>& names) {
  Key* key = &root_;
  for (const std::string_view name : names) {
    key = key->FindChild(name);
    if (!key) return nullptr;
  }
  return key;
}

const RegistryTree::Key* RegistryTree::Find(const std::vector<std::string_view>& names) const {
  return const_cast<RegistryTree*>(this)->Find(names);
}

RegistryTree::Key& RegistryTree::Create(const std::vector<std::string_view>& names) {
  Key* key = &root_;
  for (const std::string_view name : names) key = &key->AddChild(name);
  return *key;
}

}  // namespace trellisk::platform
