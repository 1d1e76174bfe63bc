// LanguageResources is the current resource module: the plug-in's own, or a
// translated copy of it built from one record of the language file beside
// the plug-in. Open indexes the language file; Switch puts a language in
// effect (0 is the own module); every text is loaded through Load, which
// reads the module current at the time.
//
// Thread-safe: texts and Current may be read from any thread while one
// thread switches. A module that stops being current is not freed at once,
// since a reader may still be loading a text from it: it is kept until
// Release (shutdown), when no reader is left.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/language_file.h"
#include "base/resource_module.h"
#include "platform/file_system.h"

namespace trellisk {

class LanguageResources final : public TextSource {
 public:
  // A language file larger than this is not one of ours.
  static constexpr size_t kMaxFileBytes = 16u << 20;

  // `fallbackFolder` is where a translated module is written where the
  // system loads libraries from files only.
  LanguageResources(const ResourceModule& own, std::string fallbackFolder);

  // Reads and indexes the language file; false, with the reason in
  // `problem`, when it cannot be read or is not a language file. A damaged
  // record also sets `problem` while the records before it stay usable.
  bool Open(platform::FileSystem& files, const std::string& path, std::string& problem);
  // Puts the language in effect; true when it is afterwards. When false,
  // the own module is current and `problem` says why.
  bool Switch(uint32_t language, std::string& problem);
  // Back to the own module, every translation freed. Only while no reader
  // uses a text of this object.
  void Release();

  uint32_t language() const { return language_; }
  const ResourceModule& Current() const { return *current_.load(); }
  std::string Load(int id) const override { return Current().Load(id); }

 private:
  const ResourceModule& own_;
  const std::string fallbackFolder_;
  std::mutex switchMutex_;
  std::optional<LanguageFile> file_;
  std::atomic<uint32_t> language_{0};
  std::atomic<const ResourceModule*> current_;
  std::vector<std::unique_ptr<ResourceModule>> translations_;
};

}  // namespace trellisk
