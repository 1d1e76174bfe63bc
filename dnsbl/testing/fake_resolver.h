// FakeResolver stands in for the system's resolver in the DNS blacklist
// tests: it answers from a table (names not in it are not found), records
// every name it is asked about and how many lookups ran at once, can hold
// every lookup until the test releases it, and can throw for a name.
//
// Test-only. Thread-safe: lookups arrive on many threads.
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/dns_resolver.h"

namespace trellisk::testing {

class FakeResolver final : public platform::DnsResolver {
 public:
  using Result = platform::LookupResult;

  void SetReady(bool ready) {
    std::lock_guard lock(mutex_);
    ready_ = ready;
  }
  void SetResult(const std::string& name, Result result) {
    std::lock_guard lock(mutex_);
    results_[name] = result;
  }
  void List(const std::string& name) { SetResult(name, Result::kFound); }
  void ThrowFor(const std::string& name) {
    std::lock_guard lock(mutex_);
    throwing_ = name;
  }
  // Lookups wait in the resolver until ReleaseLookups.
  void HoldLookups() {
    std::lock_guard lock(mutex_);
    holding_ = true;
  }
  void ReleaseLookups() {
    std::lock_guard lock(mutex_);
    holding_ = false;
    changed_.notify_all();
  }
  // Waits (at most a minute, so a broken bound fails instead of hanging)
  // until `count` lookups are running at once.
  bool WaitForRunning(int count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::minutes(1), [&] { return running_ >= count; });
  }

  std::vector<std::string> names() {
    std::lock_guard lock(mutex_);
    return names_;
  }
  int maxRunning() {
    std::lock_guard lock(mutex_);
    return maxRunning_;
  }

  bool Ready() const override {
    std::lock_guard lock(mutex_);
    return ready_;
  }

  Result Lookup(const std::string& name) override {
    std::unique_lock lock(mutex_);
    names_.push_back(name);
    ++running_;
    maxRunning_ = std::max(maxRunning_, running_);
    changed_.notify_all();
    changed_.wait(lock, [&] { return !holding_; });
    --running_;
    if (name == throwing_) throw std::runtime_error("resolver failure");
    const auto it = results_.find(name);
    return it == results_.end() ? Result::kHostNotFound : it->second;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool ready_ = true;
  bool holding_ = false;
  std::map<std::string, Result> results_;
  std::string throwing_;
  std::vector<std::string> names_;
  int running_ = 0;
  int maxRunning_ = 0;
};

}  // namespace trellisk::testing
