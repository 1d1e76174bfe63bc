#include "host/message_inputs.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string_view>

namespace trellisk::host {
namespace {

namespace fs = std::filesystem;

bool IsOneOf(std::string_view word, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), word) != names.end();
}

// An mbox postmark: "From ", the envelope sender, then a date that starts
// with a weekday and a month ("From a@b Thu Aug 22 13:17:22 2002").
bool IsPostmark(std::string_view line) {
  if (line.size() < 5 || line.compare(0, 5, "From ") != 0) return false;
  line.remove_prefix(5);
  const size_t senderEnd = line.find_first_of(" \t");
  if (senderEnd == 0 || senderEnd == std::string_view::npos) return false;
  line.remove_prefix(senderEnd);
  const size_t dayStart = line.find_first_not_of(' ');
  if (dayStart == std::string_view::npos || line.size() < dayStart + 8) return false;
  const std::string_view day = line.substr(dayStart, 3);
  const std::string_view month = line.substr(dayStart + 4, 3);
  return line[dayStart + 3] == ' ' && IsOneOf(day, {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}) &&
         IsOneOf(month, {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"});
}

bool IsMaildir(const fs::path& directory) {
  std::error_code ignored;
  return fs::is_directory(directory / "cur", ignored) && fs::is_directory(directory / "new", ignored);
}

std::vector<fs::path> SortedEntries(const fs::path& directory, std::error_code& error) {
  std::vector<fs::path> entries;
  for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    entries.push_back(it->path());
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

// Bytes of message files kept from listing to loading, at most.
constexpr size_t kKeptBytesLimit = size_t{256} << 20;

// `length` bytes from `offset` on, or the rest of the file when no length
// is given.
std::optional<std::string> ReadFileBytes(const std::string& path, size_t offset, std::optional<size_t> length) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return std::nullopt;
  std::string bytes;
  bool ok = std::fseek(file, 0, SEEK_END) == 0;
  const long size = ok ? std::ftell(file) : -1;
  ok = size >= 0 && static_cast<size_t>(size) >= offset && std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
  if (ok) {
    bytes.resize(std::min(length.value_or(SIZE_MAX), static_cast<size_t>(size) - offset));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    ok = !std::ferror(file);
  }
  std::fclose(file);
  if (!ok) return std::nullopt;
  return bytes;
}

// Reads only the first line, to tell an mbox file from a message file
// without reading every message file whole.
bool StartsWithPostmark(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  char line[512];
  const bool read = std::fgets(line, sizeof line, file) != nullptr;
  std::fclose(file);
  return read && IsPostmark(std::string_view(line).substr(0, std::string_view(line).find('\n')));
}

}  // namespace

std::optional<std::vector<std::pair<size_t, size_t>>> SplitMbox(const std::string& text) {
  std::vector<size_t> postmarks;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find('\n', start);
    const size_t lineEnd = end == std::string::npos ? text.size() : end;
    const bool afterBlankLine = start == 0 || (start >= 2 && text.compare(start - 2, 2, "\n\n") == 0) ||
                                (start >= 3 && text.compare(start - 3, 3, "\n\r\n") == 0);
    if (afterBlankLine && IsPostmark(std::string_view(text).substr(start, lineEnd - start))) {
      postmarks.push_back(start);
    }
    start = lineEnd + 1;
  }
  if (postmarks.size() < 2 || postmarks.front() != 0) return std::nullopt;
  std::vector<std::pair<size_t, size_t>> messages;
  for (size_t i = 0; i < postmarks.size(); ++i) {
    const size_t bodyStart = std::min(text.size(), text.find('\n', postmarks[i]) + 1);
    const size_t next = i + 1 < postmarks.size() ? postmarks[i + 1] : text.size();
    messages.emplace_back(bodyStart, next - bodyStart);
  }
  return messages;
}

void MessageInputs::Add(const std::string& path, const std::string& displayName) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status)) {
    problems_.push_back({displayName, "no such file or directory"});
  } else if (fs::is_directory(status)) {
    AddDirectory(path, displayName);
  } else {
    AddFile(path, displayName);
  }
}

void MessageInputs::AddDirectory(const std::string& path, const std::string& displayName) {
  const fs::path directory(path);
  std::vector<fs::path> folders{directory};
  if (IsMaildir(directory)) folders = {directory / "cur", directory / "new"};
  for (const fs::path& folder : folders) {
    std::error_code error;
    const std::vector<fs::path> entries = SortedEntries(folder, error);
    if (error) {
      problems_.push_back({folder.string(), error.message()});
      continue;
    }
    for (const fs::path& entry : entries) {
      const std::string name = (fs::path(displayName) / entry.lexically_relative(directory)).string();
      if (fs::is_directory(entry, error)) {
        AddDirectory(entry.string(), name);
      } else if (fs::is_regular_file(entry, error)) {
        AddFile(entry.string(), name);
      }
    }
  }
}

void MessageInputs::AddFile(const std::string& path, const std::string& displayName) {
  if (!StartsWithPostmark(path)) {
    messages_.push_back({displayName, path, 0, std::nullopt, nullptr});
    return;
  }
  std::optional<std::string> text = ReadFileBytes(path, 0, std::nullopt);
  if (!text) {
    problems_.push_back({displayName, "cannot be read"});
    return;
  }
  const auto mbox = SplitMbox(*text);
  if (!mbox) {
    MessageInput message{displayName, path, 0, std::nullopt, nullptr};
    if (keptBytes_ + text->size() <= kKeptBytesLimit) {
      keptBytes_ += text->size();
      message.content = std::make_shared<const std::string>(std::move(*text));
    }
    messages_.push_back(std::move(message));
    return;
  }
  for (size_t i = 0; i < mbox->size(); ++i) {
    const auto [offset, length] = (*mbox)[i];
    messages_.push_back({displayName + "#" + std::to_string(i + 1), path, offset, length, nullptr});
  }
}

std::optional<std::string> LoadMessage(const MessageInput& input, std::string& error) {
  if (input.content) return *input.content;
  std::optional<std::string> bytes = ReadFileBytes(input.path, input.offset, input.length);
  if (!bytes) error = "cannot be read";
  return bytes;
}

}  // namespace trellisk::host
