#include "platform/report_file.h"

#include <cstdio>
#include <mutex>
#include <optional>

#include "platform/environment.h"

namespace trellisk::platform {

bool AppendToReportFile(const char* variable, const std::string& line) {
  static std::mutex appendMutex;
  const std::optional<std::string> path = EnvironmentVariable(variable);
  if (!path || path->empty()) return false;
  std::lock_guard<std::mutex> lock(appendMutex);
  std::FILE* file = std::fopen(path->c_str(), "ab");
  if (!file) return false;
  const bool written = std::fprintf(file, "%s\n", line.c_str()) > 0;
  return std::fclose(file) == 0 && written;
}

}  // namespace trellisk::platform
