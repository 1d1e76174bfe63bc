#include "base/language_resources.h"

#include "base/resource_image.h"
#include "base/translation.h"
#include "platform/limited_file.h"

namespace trellisk {
namespace {

std::optional<std::vector<uint8_t>> ReadWhole(platform::FileSystem& files, const std::string& path,
                                              std::string& problem) {
  const auto file = files.OpenForReading(path);
  if (!file) {
    problem = "it cannot be opened";
    return std::nullopt;
  }
  platform::LimitedFile limited(*file, LanguageResources::kMaxFileBytes);
  std::vector<uint8_t> bytes;
  char buffer[65536];
  for (size_t read; (read = limited.Read(buffer, sizeof(buffer))) > 0;) bytes.insert(bytes.end(), buffer, buffer + read);
  if (limited.exceeded()) {
    problem = "it is larger than " + std::to_string(LanguageResources::kMaxFileBytes >> 20) + " MB";
    return std::nullopt;
  }
  return bytes;
}

}  // namespace

LanguageResources::LanguageResources(const ResourceModule& own, std::string fallbackFolder)
    : own_(own), fallbackFolder_(std::move(fallbackFolder)), current_(&own) {}

bool LanguageResources::Open(platform::FileSystem& files, const std::string& path, std::string& problem) {
  std::lock_guard<std::mutex> lock(switchMutex_);
  file_.reset();
  auto bytes = ReadWhole(files, path, problem);
  if (!bytes) return false;
  file_ = LanguageFile::Parse(std::move(*bytes), problem);
  return file_.has_value();
}

bool LanguageResources::Switch(uint32_t language, std::string& problem) {
  std::lock_guard<std::mutex> lock(switchMutex_);
  if (language == language_) return true;
  current_ = &own_;
  language_ = 0;
  if (language == 0) return true;
  if (!file_) {
    problem = "there is no language file";
    return false;
  }
  const auto record = file_->Record(language, problem);
  if (!record) return false;
  auto module = LoadResourceImage(BuildResourceImage(TranslateResources(own_.Resources(), *record)), fallbackFolder_);
  if (!module) {
    problem = "the translated module cannot be loaded";
    return false;
  }
  current_ = module.get();
  translations_.push_back(std::move(module));
  language_ = language;
  return true;
}

void LanguageResources::Release() {
  std::lock_guard<std::mutex> lock(switchMutex_);
  current_ = &own_;
  language_ = 0;
  translations_.clear();
}

}  // namespace trellisk
