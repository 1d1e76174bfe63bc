// MemoryRegistry: a Registry held in memory only, with the same semantics as
// the real one (names compared without regard to case, Open fails for a
// missing key, Read fails for data longer than maxBytes). Tests of the core
// use it to run without files, and make writes fail to see how callers cope.
//
// Key objects share the registry's state and may outlive the registry
// object. Thread-safe: one mutex guards the state.
#pragma once

#include <memory>
#include <string_view>

#include "platform/registry.h"

namespace trellisk::platform {

class MemoryRegistry final : public Registry {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;

  std::unique_ptr<RegistryKey> Open(RegistryHive hive, std::string_view path) override;
  std::unique_ptr<RegistryKey> Create(RegistryHive hive, std::string_view path) override;

  // While set, every change fails: Write returns false and Create returns
  // null for a key that does not exist yet (an existing key still opens).
  void SetFailWrites(bool fail);
  // From now on every Write of a value of this name (in any key, any case)
  // fails, so that a test can fail one write among many.
  void FailWritesOfValue(std::string_view name);

 private:
  struct State;
  class Key;
  std::shared_ptr<State> state_;
};

}  // namespace trellisk::platform
