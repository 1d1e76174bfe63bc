#include "host/filter_message.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace trellisk::host {

std::optional<FilterMessage> FilterMessage::ReadStandardInput(std::string& error) {
  std::string bytes;
  char buffer[65536];
  size_t read = 0;
  while ((read = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) bytes.append(buffer, read);
  if (std::ferror(stdin)) {
    error = std::string("cannot read standard input: ") + std::strerror(errno);
    return std::nullopt;
  }
  return FilterMessage(std::move(bytes));
}

bool FilterMessage::Write(std::string_view output) {
  written_ = true;
  const bool whole = std::fwrite(output.data(), 1, output.size(), stdout) == output.size();
  return std::fflush(stdout) == 0 && whole;
}

bool FilterMessage::PassThrough() { return written_ || Write(bytes_); }

}  // namespace trellisk::host
