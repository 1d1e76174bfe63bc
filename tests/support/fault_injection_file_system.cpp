#include "tests/support/fault_injection_file_system.h"

namespace trellisk::testing {
namespace {

class FaultInjectionFile final : public platform::WritableFile {
 public:
  FaultInjectionFile(std::unique_ptr<platform::WritableFile> base, FaultInjectionFileSystem& files)
      : base_(std::move(base)), files_(files) {}

  bool Append(std::string_view data) override { return Pass() && Track(base_->Append(data)); }
  bool Flush() override { return Pass() && Track(base_->Flush()); }
  bool Sync() override { return Pass() && Track(base_->Sync()); }
  bool Close() override {
    const bool allowed = files_.NextWriteSucceeds();
    const bool closed = base_->Close();
    return allowed && closed && !broken_;
  }

 private:
  // Counts the operation; a failing one breaks the file for good.
  bool Pass() {
    if (!files_.NextWriteSucceeds()) broken_ = true;
    return !broken_;
  }
  bool Track(bool succeeded) {
    if (!succeeded) broken_ = true;
    return succeeded;
  }

  std::unique_ptr<platform::WritableFile> base_;
  FaultInjectionFileSystem& files_;
  bool broken_ = false;
};

}  // namespace

FaultInjectionFileSystem::FaultInjectionFileSystem(platform::FileSystem& base) : base_(base) {}

void FaultInjectionFileSystem::FailWriteOperation(int n) {
  failAt_ = n;
  count_ = 0;
}

bool FaultInjectionFileSystem::NextWriteSucceeds() { return ++count_ != failAt_; }

std::unique_ptr<platform::ReadableFile> FaultInjectionFileSystem::OpenForReading(const std::string& path) {
  if (failReads_) return nullptr;
  return base_.OpenForReading(path);
}

std::unique_ptr<platform::WritableFile> FaultInjectionFileSystem::OpenForWriting(const std::string& path) {
  auto file = base_.OpenForWriting(path);
  if (!file) return nullptr;
  return std::make_unique<FaultInjectionFile>(std::move(file), *this);
}

std::unique_ptr<platform::WritableFile> FaultInjectionFileSystem::OpenForAppending(const std::string& path) {
  auto file = base_.OpenForAppending(path);
  if (!file) return nullptr;
  return std::make_unique<FaultInjectionFile>(std::move(file), *this);
}

bool FaultInjectionFileSystem::Remove(const std::string& path) { return base_.Remove(path); }

bool FaultInjectionFileSystem::Replace(const std::string& from, const std::string& to) {
  return NextWriteSucceeds() && base_.Replace(from, to);
}

bool FaultInjectionFileSystem::Exists(const std::string& path) { return base_.Exists(path); }

std::optional<std::string> FaultInjectionFileSystem::Identity(const std::string& path) { return base_.Identity(path); }

}  // namespace trellisk::testing
