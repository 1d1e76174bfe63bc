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

// The file the plug-in appends its notices to, made once per process.
const std::string& ReportFile() {
  static const std::string path = [] {
    const std::string file = MakeTemporaryDirectory() + "/notices.txt";
    platform::SetEnvironmentVariable(kReportVariable, file);
    return file;
  }();
  return path;
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
