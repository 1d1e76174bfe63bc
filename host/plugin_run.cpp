#include "host/plugin_run.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/environment.h"
#include "platform/file_lock.h"
#include "plugin/store_lock.h"

namespace trellisk::host {
namespace {

constexpr const char* kReportVariable = "TRELLISK_HOST_REPORT";

// The file the plug-in appends its notices to, in a temporary directory
// made once per process and removed with it when the process ends.
class NoticeFile {
 public:
  NoticeFile() : directory_(MakeTemporaryDirectory()), path_(directory_ + "/notices.txt") {
    platform::SetEnvironmentVariable(kReportVariable, path_);
  }
  ~NoticeFile() {
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
  }
  NoticeFile(const NoticeFile&) = delete;
  NoticeFile& operator=(const NoticeFile&) = delete;

  const std::string& path() const { return path_; }

 private:
  const std::string directory_;
  const std::string path_;
};

const std::string& ReportFile() {
  static const NoticeFile file;
  return file.path();
}

}  // namespace

void StartPlugin(PluginApi& plugin, const HostEnvironment& environment) {
  std::ofstream(ReportFile(), std::ios::trunc).close();
  std::string error;
  const std::string lockPath = environment.dataDirectory() + kStoreLockFileName;
  if (!platform::FileLock::TryAcquire(lockPath, error) && error.empty()) {
    std::fprintf(stderr, "trellisk-host: another instance uses the stores in %s; waiting for it\n",
                 environment.dataDirectory().c_str());
  }
  plugin.Initialize();
}

bool StopPlugin(PluginApi& plugin) {
  plugin.Finalize();
  std::ifstream notices(ReportFile());
  bool clean = true;
  for (std::string line; std::getline(notices, line);) {
    std::fprintf(stderr, "trellisk-host: %s\n", line.c_str());
    clean = false;
  }
  return clean;
}

}  // namespace trellisk::host
