#include "platform/memory_registry.h"

#include <mutex>
#include <set>
#include <string>

#include "platform/registry_tree.h"

namespace trellisk::platform {

struct MemoryRegistry::State {
  std::mutex mutex;
  RegistryTree localMachine;
  RegistryTree currentUser;
  bool failWrites = false;
  std::set<std::string> failingValueNames;  // folded

  RegistryTree& Tree(RegistryHive hive) {
    return hive == RegistryHive::LocalMachine ? localMachine : currentUser;
  }
  bool WriteFails(std::string_view valueName) const {
    return failWrites || failingValueNames.count(FoldRegistryName(valueName)) != 0;
  }
};

// Keys are never removed from a tree, so the key pointer stays valid for as
// long as the shared state lives.
class MemoryRegistry::Key final : public RegistryKey {
 public:
  Key(std::shared_ptr<State> state, RegistryTree::Key& key) : state_(std::move(state)), key_(key) {}

  std::optional<RegistryValue> Read(std::string_view name, size_t maxBytes) override {
    std::lock_guard<std::mutex> lock(state_->mutex);
    const RegistryValue* value = key_.FindValue(name);
    if (!value || value->data.size() > maxBytes) return std::nullopt;
    return *value;
  }

  bool Write(std::string_view name, const RegistryValue& value) override {
    if (!IsStorableRegistryName(name)) return false;
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->WriteFails(name)) return false;
    key_.SetValue(name, value);
    return true;
  }

 private:
  std::shared_ptr<State> state_;
  RegistryTree::Key& key_;
};

MemoryRegistry::MemoryRegistry() : state_(std::make_shared<State>()) {}

MemoryRegistry::~MemoryRegistry() = default;

std::unique_ptr<RegistryKey> MemoryRegistry::Open(RegistryHive hive, std::string_view path) {
  const auto names = SplitRegistryPath(path);
  if (!names) return nullptr;
  std::lock_guard<std::mutex> lock(state_->mutex);
  RegistryTree::Key* key = state_->Tree(hive).Find(*names);
  if (!key) return nullptr;
  return std::make_unique<Key>(state_, *key);
}

std::unique_ptr<RegistryKey> MemoryRegistry::Create(RegistryHive hive, std::string_view path) {
  const auto names = SplitRegistryPath(path);
  if (!names) return nullptr;
  std::lock_guard<std::mutex> lock(state_->mutex);
  RegistryTree& tree = state_->Tree(hive);
  RegistryTree::Key* key = tree.Find(*names);
  if (!key) {
    if (state_->failWrites) return nullptr;
    key = &tree.Create(*names);
  }
  return std::make_unique<Key>(state_, *key);
}

void MemoryRegistry::SetFailWrites(bool fail) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->failWrites = fail;
}

void MemoryRegistry::FailWritesOfValue(std::string_view name) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->failingValueNames.insert(FoldRegistryName(name));
}

}  // namespace trellisk::platform
