// RegistryTree: the keys and values of one registry hive in memory, with the
// Windows naming rules: key and value names are compared without regard to
// case (ASCII letters only) but keep the spelling they were created with.
// The hive's root is the key with the empty path; child keys are listed in
// the order of their case-folded names, values in the order they were first
// written, so that the tree always serialises the same way.
//
// The tree owns its keys; a Key pointer stays valid until the tree is
// destroyed or assigned (keys are never removed). Not thread-safe: the
// registries that hold a tree guard it with their own mutex.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/registry.h"

namespace trellisk::platform {

// The ASCII case-folded form under which names are compared.
std::string FoldRegistryName(std::string_view name);

// Whether a key or value name can be stored: no NUL, carriage return or line
// feed, which no hive file line could carry.
bool IsStorableRegistryName(std::string_view name);

// Splits "Software\Trellisk" into its key names; the empty path is the root
// (no names). Nothing when a name is empty (a leading, trailing or doubled
// backslash) or not storable.
std::optional<std::vector<std::string_view>> SplitRegistryPath(std::string_view path);

class RegistryTree {
 public:
  struct NamedValue {
    std::string name;
    RegistryValue value;
  };

  class Key {
   public:
    explicit Key(std::string name) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    const std::vector<NamedValue>& values() const { return values_; }
    // Child keys in the order of their case-folded names.
    std::vector<const Key*> Children() const;

    const RegistryValue* FindValue(std::string_view name) const;
    // Creates or replaces; a replaced value keeps the spelling of its name.
    void SetValue(std::string_view name, RegistryValue value);

    Key* FindChild(std::string_view name);
    const Key* FindChild(std::string_view name) const;
    // The existing child of that name, or a new one.
    Key& AddChild(std::string_view name);

   private:
    std::string name_;
    std::vector<NamedValue> values_;
    std::unordered_map<std::string, size_t> valueIndex_;  // folded name -> values_ slot
    std::map<std::string, std::unique_ptr<Key>> children_;  // by folded name
  };

  RegistryTree() : root_("") {}

  Key& root() { return root_; }
  const Key& root() const { return root_; }

  // The key at `names` below the root, or null when any of them is missing.
  Key* Find(const std::vector<std::string_view>& names);
  const Key* Find(const std::vector<std::string_view>& names) const;
  // The key at `names`, created with every missing parent.
  Key& Create(const std::vector<std::string_view>& names);

 private:
  Key root_;
};

}  // namespace trellisk::platform
