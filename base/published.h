// Published<T> holds the current version of a value that many threads read
// and few replace, such as the settings. A reader takes the whole current
// version as an immutable snapshot and may keep it as long as it likes; a
// writer puts a complete new version in place in one step. So no reader ever
// sees half of a change, and a version lives while anyone still holds it.
//
// Thread-safe. Writers are serialised, so an Update never loses another
// writer's change. A read holds the lock only to copy the pointer.
#pragma once

#include <memory>
#include <mutex>
#include <utility>

namespace trellisk {

template <typename T>
class Published {
 public:
  explicit Published(T initial = T{}) : current_(std::make_shared<const T>(std::move(initial))) {}
  Published(const Published&) = delete;
  Published& operator=(const Published&) = delete;

  // The current version; never null.
  std::shared_ptr<const T> Current() const {
    std::lock_guard<std::mutex> lock(currentMutex_);
    return current_;
  }

  // Copies the current version, lets `change` edit the copy and publishes
  // it; returns the published version.
  template <typename Change>
  std::shared_ptr<const T> Update(Change&& change) {
    std::lock_guard<std::mutex> lock(writerMutex_);
    T next = *Current();
    std::forward<Change>(change)(next);
    auto published = std::make_shared<const T>(std::move(next));
    Install(published);
    return published;
  }

 private:
  // The old version is released outside the readers' lock.
  void Install(std::shared_ptr<const T> version) {
    {
      std::lock_guard<std::mutex> lock(currentMutex_);
      current_.swap(version);
    }
  }

  std::mutex writerMutex_;
  mutable std::mutex currentMutex_;
  std::shared_ptr<const T> current_;
};

}  // namespace trellisk
