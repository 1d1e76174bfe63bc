#include "platform/file_registry.h"

#include <algorithm>
#include <vector>

#include "platform/hive_file.h"
#include "platform/registry_tree.h"

namespace trellisk::platform {

class FileRegistry::Key final : public RegistryKey {
 public:
  Key(std::shared_ptr<HiveFile> file, std::string_view path) : file_(std::move(file)), path_(path) {}

  std::optional<RegistryValue> Read(std::string_view name, size_t maxBytes) override {
    std::optional<RegistryValue> result;
    file_->Inspect([&](const RegistryTree& tree) {
      const RegistryTree::Key* key = tree.Find(Names());
      const RegistryValue* value = key ? key->FindValue(name) : nullptr;
      if (value && value->data.size() <= maxBytes) result = *value;
    });
    return result;
  }

  // A value that already holds these data is not stored again: saving
  // unchanged settings then costs reads, not a file replacement each.
  bool Write(std::string_view name, const RegistryValue& value) override {
    if (!IsStorableRegistryName(name)) return false;
    bool unchanged = false;
    file_->Inspect([&](const RegistryTree& tree) { unchanged = Holds(tree, name, value); });
    return unchanged || file_->Update([&](RegistryTree& tree) {
      if (Holds(tree, name, value)) return false;
      tree.Create(Names()).SetValue(name, value);
      return true;
    });
  }

 private:
  bool Holds(const RegistryTree& tree, std::string_view name, const RegistryValue& value) const {
    const RegistryTree::Key* key = tree.Find(Names());
    const RegistryValue* stored = key ? key->FindValue(name) : nullptr;
    return stored && *stored == value;
  }

  // The path was checked when the key was opened.
  std::vector<std::string_view> Names() const { return *SplitRegistryPath(path_); }

  std::shared_ptr<HiveFile> file_;
  std::string path_;
};

FileRegistry::FileRegistry(const std::string& directory, RegistryProblemSink problems)
    : localMachine_(std::make_shared<HiveFile>(directory, RegistryHive::LocalMachine, problems)),
      currentUser_(std::make_shared<HiveFile>(directory, RegistryHive::CurrentUser, problems)) {}

FileRegistry::~FileRegistry() = default;

std::unique_ptr<RegistryKey> FileRegistry::Open(RegistryHive hive, std::string_view path) {
  const auto names = SplitRegistryPath(path);
  if (!names) return nullptr;
  bool exists = false;
  const bool read = File(hive)->Inspect([&](const RegistryTree& tree) { exists = tree.Find(*names) != nullptr; });
  if (!read || !exists) return nullptr;
  return std::make_unique<Key>(File(hive), path);
}

std::unique_ptr<RegistryKey> FileRegistry::Create(RegistryHive hive, std::string_view path) {
  const auto names = SplitRegistryPath(path);
  if (!names) return nullptr;
  bool exists = false;
  File(hive)->Inspect([&](const RegistryTree& tree) { exists = tree.Find(*names) != nullptr; });
  const bool created = exists || File(hive)->Update([&](RegistryTree& tree) {
    if (tree.Find(*names)) return false;
    tree.Create(*names);
    return true;
  });
  if (!created) return nullptr;
  return std::make_unique<Key>(File(hive), path);
}

bool FileRegistry::WriteValues(RegistryHive hive, std::span<const RegistryWrite> writes) {
  struct Placed {
    std::vector<std::string_view> names;
    const RegistryWrite* write;
  };
  std::vector<Placed> placed;
  for (const RegistryWrite& write : writes) {
    auto names = SplitRegistryPath(write.path);
    if (names && IsStorableRegistryName(write.name)) placed.push_back({std::move(*names), &write});
  }
  const auto holdsAll = [&](const RegistryTree& tree) {
    return std::all_of(placed.begin(), placed.end(), [&](const Placed& p) {
      const RegistryTree::Key* key = tree.Find(p.names);
      const RegistryValue* stored = key ? key->FindValue(p.write->name) : nullptr;
      return stored && *stored == p.write->value;
    });
  };
  bool unchanged = false;
  File(hive)->Inspect([&](const RegistryTree& tree) { unchanged = holdsAll(tree); });
  const bool stored = unchanged || File(hive)->Update([&](RegistryTree& tree) {
    if (holdsAll(tree)) return false;
    for (const Placed& p : placed) tree.Create(p.names).SetValue(p.write->name, p.write->value);
    return true;
  });
  return stored && placed.size() == writes.size();
}

const std::string& FileRegistry::HivePath(RegistryHive hive) const { return File(hive)->path(); }

const std::shared_ptr<HiveFile>& FileRegistry::File(RegistryHive hive) const {
  return hive == RegistryHive::LocalMachine ? localMachine_ : currentUser_;
}

}  // namespace trellisk::platform
