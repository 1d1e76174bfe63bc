// SharedLibrary loads a dynamic library (the plug-in, for the test host) and
// looks up its exported functions by their undecorated names. Unloads the
// library when destroyed. Thread-safe.
#pragma once

#include <memory>
#include <string>

namespace trellisk::platform {

class SharedLibrary {
 public:
  // Null, with `error` describing why, when the library cannot be loaded.
  static std::unique_ptr<SharedLibrary> Open(const std::string& path, std::string& error);
  ~SharedLibrary();
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  // The exported symbol's address, or null.
  void* Symbol(const char* name) const;

 private:
  explicit SharedLibrary(void* handle) : handle_(handle) {}
  void* handle_;
};

}  // namespace trellisk::platform
